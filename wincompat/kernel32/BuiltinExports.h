// The system DLLs built into the layer and the exports they offer by name.
#pragma once

#include <windef.h>

#include <string>

namespace wincompat {

bool IsBuiltinModule(const std::string& lowerCaseFileName);
FARPROC FindBuiltinExport(const std::string& lowerCaseFileName, const char* exportName);

}  // namespace wincompat
