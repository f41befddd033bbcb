// advapi32: setting, querying, enumerating and deleting values.
#include "advapi32/RegistryAccess.h"
#include "advapi32/RegistryHandles.h"
#include "advapi32/RegistryLookup.h"
#include "advapi32/RegistryValueData.h"
#include "prefix/RegistryStore.h"

#include <string.h>

using namespace wincompat;

namespace {

// Opens the handle's key for a value call that needs `right`.
LONG LookupForValues(HKEY key, REGSAM right, OpenKey& open) {
    if (!LookupKeyHandle(key, open)) return ERROR_INVALID_HANDLE;
    return (open.access & right) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

// Hands a value's data (in the caller's form) to the caller, Windows-style:
// the size is always reported; the data only when the buffer holds it.
LONG ReturnData(const RegistryValue& value, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    if (type) *type = value.type;
    if (!dataSize) return ERROR_SUCCESS;
    const std::vector<BYTE>& bytes = value.data;
    LONG status = ERROR_SUCCESS;
    if (data && bytes.size() > *dataSize)
        status = ERROR_MORE_DATA;
    else if (data && !bytes.empty())
        memcpy(data, bytes.data(), bytes.size());
    *dataSize = static_cast<DWORD>(bytes.size());
    return status;
}

// Reads one value of the handle's key, its data in the caller's form: by
// name, or by index when name is null. The copies are made inside the store's
// call, which answers a failed allocation with an error.
LONG ReadValue(const OpenKey& open, LPCWSTR name, DWORD index, RegistryValue& value) {
    return ProcessRegistry().Read(open.hive, [&](const RegistryKey& root) -> LONG {
        const RegistryKey* key = FindOpenKey(root, open);
        if (!key) return ERROR_KEY_DELETED;
        if (LONG denied = CheckKeyAccess(*key, KEY_QUERY_VALUE)) return denied;
        if (!name && index >= key->values.size()) return ERROR_NO_MORE_ITEMS;
        const RegistryValue* found = name ? key->FindValue(name) : &key->values[index];
        if (!found) return ERROR_FILE_NOT_FOUND;
        value = RegistryValue{found->name, found->type, CallerValueData(found->type, found->data)};
        return ERROR_SUCCESS;
    });
}

}  // namespace

LONG WINAPI RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD dataSize) {
    OpenKey open;
    if (LONG status = LookupForValues(key, KEY_SET_VALUE, open)) return status;
    if (!data && dataSize) return ERROR_NOACCESS;
    return ProcessRegistry().Write(open.hive, [&](RegistryKey& root, bool& changed) -> LONG {
        RegistryKey* target = FindOpenKey(root, open);
        if (!target) return ERROR_KEY_DELETED;
        if (target == &root) return ERROR_ACCESS_DENIED;  // a hive's root holds no values
        if (LONG denied = CheckKeyAccess(*target, KEY_SET_VALUE)) return denied;
        target->SetValue(valueName ? valueName : L"", type, StoredValueData(type, data, dataSize));
        target->lastWrite = FileTimeNow();
        changed = true;
        return ERROR_SUCCESS;
    });
}

LONG WINAPI RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD dataSize) {
    if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    OpenKey open;
    if (LONG status = LookupForValues(key, KEY_QUERY_VALUE, open)) return status;
    RegistryValue value;
    if (LONG status = ReadValue(open, valueName ? valueName : L"", 0, value)) return status;
    return ReturnData(value, type, data, dataSize);
}

LONG WINAPI RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameLength,
                          LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize) {
    if (!valueName || !valueNameLength || reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
    OpenKey open;
    if (LONG status = LookupForValues(key, KEY_QUERY_VALUE, open)) return status;
    RegistryValue value;
    if (LONG status = ReadValue(open, nullptr, index, value)) return status;
    if (value.name.size() >= *valueNameLength) return ERROR_MORE_DATA;
    wmemcpy(valueName, value.name.data(), value.name.size());
    valueName[value.name.size()] = L'\0';
    *valueNameLength = static_cast<DWORD>(value.name.size());
    return ReturnData(value, type, data, dataSize);
}

LONG WINAPI RegDeleteValueW(HKEY key, LPCWSTR valueName) {
    OpenKey open;
    if (LONG status = LookupForValues(key, KEY_SET_VALUE, open)) return status;
    return ProcessRegistry().Write(open.hive, [&](RegistryKey& root, bool& changed) -> LONG {
        RegistryKey* target = FindOpenKey(root, open);
        if (!target) return ERROR_KEY_DELETED;
        if (LONG denied = CheckKeyAccess(*target, KEY_SET_VALUE)) return denied;
        if (!target->RemoveValue(valueName ? valueName : L"")) return ERROR_FILE_NOT_FOUND;
        target->lastWrite = FileTimeNow();
        changed = true;
        return ERROR_SUCCESS;
    });
}
