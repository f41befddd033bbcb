// Placeholder files for wincompat's built-in programs, kept where Windows
// keeps the real ones (C:\windows\system32 and syswow64), as Wine keeps its
// own: a small PE image marked right after the DOS header with Wine's
// placeholder signature. Starting such a file runs the built-in program of
// the same name; Wine, seeing the mark, may replace it with its own build.
#pragma once

#include <string>
#include <string_view>

namespace wincompat {

// Writes each missing placeholder into the prefix at root. A file already
// there (Wine's own, or anything else) is left as it is.
void EnsureBuiltinPlaceholders(const std::string& root);

// The built-in program a placeholder's file name stands for: "regsvr32" for
// "RegSvr32.exe", empty when wincompat has no program of that name.
std::string BuiltinProgramOf(std::string_view fileName);

// True when the file carries Wine's placeholder or built-in mark, which
// wincompat's placeholders and every program Wine installs in a prefix do.
bool IsBuiltinPlaceholder(const std::string& unixPath);

}  // namespace wincompat
