// reg query: the key's values, then its subkeys.
#include "reg/RegCommands.h"
#include "reg/RegData.h"

#include <vector>

namespace regtool {

namespace {

std::wstring ValueLine(const std::wstring& name, DWORD type, const std::vector<BYTE>& data) {
    return L"    " + (name.empty() ? std::wstring(L"(Default)") : name) + L"    " + TypeName(type) + L"    " +
           FormatValueData(type, data) + L"\n";
}

LONG ReadValue(HKEY key, const std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
    DWORD size = 0;
    LONG status = RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < 4; ++attempt) {
        data.resize(size);
        status = RegQueryValueExW(key, name.c_str(), nullptr, &type, data.data(), &size);
        if (status == ERROR_MORE_DATA) status = ERROR_SUCCESS;
        else if (status == ERROR_SUCCESS) return (data.resize(size), ERROR_SUCCESS);
    }
    return status;
}

bool EnumValue(HKEY key, DWORD index, std::wstring& name, DWORD& type, std::vector<BYTE>& data) {
    std::vector<WCHAR> buffer(16384);
    DWORD length = static_cast<DWORD>(buffer.size());
    if (RegEnumValueW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    name.assign(buffer.data(), length);
    return ReadValue(key, name, type, data) == ERROR_SUCCESS;
}

int QueryOneValue(HKEY key, const RegArguments& arguments) {
    DWORD type = REG_SZ;
    std::vector<BYTE> data;
    LONG status = ReadValue(key, arguments.valueName, type, data);
    std::wstring line;
    if (status == ERROR_SUCCESS)
        line = ValueLine(arguments.valueName, type, data);
    else if (status == ERROR_FILE_NOT_FOUND && arguments.valueName.empty())
        line = L"    (Default)    REG_SZ    (value not set)\n";
    else
        return NotFound();
    Print(L"\n" + arguments.KeyName() + L"\n" + line + L"\n");
    return 0;
}

}  // namespace

int RunQuery(const RegArguments& arguments) {
    HKEY key;
    if (RegOpenKeyExW(arguments.root, arguments.subKey.c_str(), 0, KEY_READ | arguments.view, &key) != ERROR_SUCCESS)
        return NotFound();
    if (arguments.oneValue) {
        int code = QueryOneValue(key, arguments);
        RegCloseKey(key);
        return code;
    }
    Print(L"\n" + arguments.KeyName() + L"\n");
    std::wstring name;
    DWORD type;
    std::vector<BYTE> data;
    for (DWORD index = 0; EnumValue(key, index, name, type, data); ++index) Print(ValueLine(name, type, data));
    Print(L"\n");
    WCHAR subkey[256];
    for (DWORD index = 0; RegEnumKeyW(key, index, subkey, 256) == ERROR_SUCCESS; ++index)
        Print(arguments.KeyName() + L"\\" + subkey + L"\n");
    RegCloseKey(key);
    return 0;
}

}  // namespace regtool
