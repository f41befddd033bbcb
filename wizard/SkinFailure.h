// A skin that lacks what the wizard needs cannot be shown: the toolkit's
// message for an unusable skin file, then the process ends with exit code 1.
#pragma once

#include <string>

[[noreturn]] void EndWithUnusableSkin(const std::wstring& skinFile);
