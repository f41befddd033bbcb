// The extraction's diagnostics: narrow text on standard output, which a
// windowed program shows nowhere unless its output is redirected. Each call
// writes its text with one formatted print, so lines from the library's
// threads never interleave.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>

namespace sevenzip {

// "Error: <message>", a line end, the path in the OEM code page, a line end.
void WriteErrorLine(const char* message, const std::wstring& path);
// "Archive total size[<total>]" and a line end.
void WriteArchiveTotal(uint64_t total);
// The line end, "Password is not defined" and a line end.
void WritePasswordNotDefined();
// "Testing     " or "Skipping    " for those ask modes, nothing otherwise.
void WriteOperationStart(int32_t askMode);
// For a result other than OK: "  :  " and the error's text or number.
void WriteOperationResult(int32_t result);

}  // namespace sevenzip
