// UTF-8 <-> wide text, for the libraries that speak UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace DuiLib {

std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);

}  // namespace DuiLib
