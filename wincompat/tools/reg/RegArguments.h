// The command line of wincompat-reg, which follows reg.exe:
//   query  KEY [/v NAME | /ve] [/reg:32 | /reg:64]
//   add    KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f] [/reg:32 | /reg:64]
//   delete KEY [/v NAME | /ve | /va] [/f] [/reg:32 | /reg:64]
#pragma once

#include <windows.h>

#include <string>

namespace regtool {

enum class Operation { Query, Add, Delete };

struct RegArguments {
    Operation operation = Operation::Query;
    HKEY root = nullptr;
    std::wstring rootName;      // the long form, as reg.exe prints it
    std::wstring subKey;        // as given, without trailing backslashes
    bool oneValue = false;      // /v or /ve
    std::wstring valueName;     // empty with /ve
    bool allValues = false;     // /va
    DWORD type = REG_SZ;
    bool hasData = false;
    std::wstring data;
    std::wstring separator = L"\\0";
    bool force = false;
    REGSAM view = KEY_WOW64_64KEY;  // 64-bit reg.exe unless /reg:32

    std::wstring KeyName() const { return subKey.empty() ? rootName : rootName + L"\\" + subKey; }
};

enum class ParseError { None, Syntax, KeyName };

ParseError ParseRegArguments(int argc, char** argv, RegArguments& arguments);
const char* OperationName(Operation operation);

}  // namespace regtool
