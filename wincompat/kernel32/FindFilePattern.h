// The name patterns of FindFirstFileW, matched as Windows matches them.
#pragma once

#include <string_view>

namespace wincompat {

bool HasWildcard(std::wstring_view mask);

// Case-insensitive. "*" is any run of characters; "?" one character, or none
// before a dot or at the end; a dot followed by a wildcard or ending the mask
// also matches the end of a name, so "*.*" matches names without a dot and
// "*." only those.
bool MatchesFindPattern(std::wstring_view mask, std::wstring_view name);

}  // namespace wincompat
