// reg add and reg delete.
#include "reg/RegCommands.h"
#include "reg/RegData.h"

#include <stdio.h>

#include <vector>

namespace regtool {

namespace {

// reg.exe asks before it overwrites or deletes, unless /f is given.
bool Confirm(const RegArguments& arguments, const std::wstring& question) {
    if (arguments.force) return true;
    Print(question + L" (Yes/No)? ");
    fflush(stdout);
    char answer[64];
    if (!fgets(answer, sizeof answer, stdin)) return false;
    return answer[0] == 'y' || answer[0] == 'Y';
}

std::wstring ShownName(const std::wstring& valueName) {
    return valueName.empty() ? std::wstring(L"(Default)") : valueName;
}

int Done() {
    Print(L"The operation completed successfully.\n");
    return 0;
}

int DeleteValues(HKEY key, const RegArguments& arguments) {
    if (arguments.oneValue) {
        LONG status = RegDeleteValueW(key, arguments.valueName.c_str());
        return status == ERROR_SUCCESS ? Done() : NotFound();
    }
    std::vector<std::wstring> names;
    WCHAR name[16384];
    DWORD length = 16384;
    for (DWORD index = 0; RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) ==
                          ERROR_SUCCESS; ++index, length = 16384)
        names.emplace_back(name, length);
    for (const std::wstring& each : names)
        if (RegDeleteValueW(key, each.c_str()) != ERROR_SUCCESS) return Fail("Access is denied.");
    return Done();
}

}  // namespace

int RunAdd(const RegArguments& arguments) {
    bool setsValue = arguments.oneValue || arguments.hasData;
    std::vector<BYTE> data;
    if (setsValue && !ParseValueData(arguments.type, arguments.data, arguments.separator, data))
        return Fail("Invalid syntax.");
    HKEY key;
    if (RegCreateKeyExW(arguments.root, arguments.subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS | arguments.view, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return Fail("Access is denied.");
    int code = 0;
    bool exists = RegQueryValueExW(key, arguments.valueName.c_str(), nullptr, nullptr, nullptr, nullptr) ==
                  ERROR_SUCCESS;
    if (setsValue && exists &&
        !Confirm(arguments, L"Value " + ShownName(arguments.valueName) + L" exists, overwrite")) {
        Print(L"The operation was cancelled by the user.\n");
    } else if (setsValue && RegSetValueExW(key, arguments.valueName.c_str(), 0, arguments.type, data.data(),
                                           static_cast<DWORD>(data.size())) != ERROR_SUCCESS) {
        code = Fail("Access is denied.");
    } else {
        code = Done();
    }
    RegCloseKey(key);
    return code;
}

int RunDelete(const RegArguments& arguments) {
    if (arguments.subKey.empty()) return Fail("Invalid key name.");
    HKEY key;
    if (RegOpenKeyExW(arguments.root, arguments.subKey.c_str(), 0, KEY_ALL_ACCESS | arguments.view, &key) !=
        ERROR_SUCCESS)
        return NotFound();
    int code = 0;
    if (arguments.oneValue || arguments.allValues) {
        std::wstring question = arguments.allValues ? L"Delete all values under the registry key " + arguments.KeyName()
                                                    : L"Delete the registry value " + ShownName(arguments.valueName);
        code = Confirm(arguments, question) ? DeleteValues(key, arguments) : 0;
    } else if (Confirm(arguments, L"Permanently delete the registry key " + arguments.KeyName())) {
        bool deleted = RegDeleteTreeW(key, nullptr) == ERROR_SUCCESS &&
                       RegDeleteKeyExW(arguments.root, arguments.subKey.c_str(), arguments.view, 0) == ERROR_SUCCESS;
        code = deleted ? Done() : Fail("Access is denied.");
    }
    RegCloseKey(key);
    return code;
}

}  // namespace regtool
