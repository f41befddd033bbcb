// The environment a child process starts with.
#pragma once

#include <string>
#include <vector>

namespace wincompat {

// The caller's block ("NAME=value\0...\0\0", wide with
// CREATE_UNICODE_ENVIRONMENT, else in the ANSI code page) or, without one,
// this process's own environment. Either way WINCOMPAT_PREFIX names this
// process's prefix, so the child sees the same machine, and extra entries
// ("NAME=value") replace those of the same name.
std::vector<std::string> ChildEnvironment(const void* block, bool unicode, const std::vector<std::string>& extra);

}  // namespace wincompat
