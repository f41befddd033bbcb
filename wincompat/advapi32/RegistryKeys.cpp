// advapi32: opening, creating, enumerating and deleting keys.
#include "advapi32/RegistryAccess.h"
#include "advapi32/RegistryHandles.h"
#include "advapi32/RegistryLookup.h"
#include "prefix/DurableWrites.h"
#include "prefix/RegistryStore.h"

#include <string.h>

using namespace wincompat;

namespace {

// The parent of a real path: its handle's key must still be there.
LONG CheckParent(const RegistryKey& root, const OpenKey& parent) {
    return FindOpenKey(root, parent) ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

// Copies name into a buffer of *length WCHARs; on success *length is the
// name's length without the terminator.
LONG CopyName(const std::wstring& name, LPWSTR buffer, LPDWORD length) {
    if (name.size() >= *length) return ERROR_MORE_DATA;
    wmemcpy(buffer, name.data(), name.size());
    buffer[name.size()] = L'\0';
    *length = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

LONG CreateMissingKey(RegistryKey& root, const OpenKey& parent, const KeyPath& path, LPCWSTR keyClass,
                      OpenKey& opened) {
    if (!(parent.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    bool created = false;
    RegistryKey* key = CreateKey(root, parent.hive, path, &opened.path, &created);
    if (!key) return ERROR_FILE_NOT_FOUND;
    if (keyClass) key->className = keyClass;
    return ERROR_SUCCESS;
}

LONG DeleteKeyAt(RegistryKey& root, Hive hive, const KeyPath& path) {
    KeyPath real;
    RegistryKey* key = FindKey(root, hive, path, &real);
    if (!key) return ERROR_FILE_NOT_FOUND;
    if (real.empty() || !key->subkeys.empty()) return ERROR_ACCESS_DENIED;
    if (LONG denied = CheckKeyAccess(*key, DELETE)) return denied;
    RegistryKey* parent = FindKey(root, hive, KeyPath(real.begin(), real.end() - 1));
    parent->RemoveSubkey(real.back());
    parent->lastWrite = FileTimeNow();
    return ERROR_SUCCESS;
}

}  // namespace

LONG WINAPI RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM samDesired, PHKEY result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey parent;
    if (!LookupKeyHandle(key, parent)) return ERROR_INVALID_HANDLE;
    KeyPath path;
    if (!ResolveSubKey(parent, subKey, samDesired, path)) return ERROR_FILE_NOT_FOUND;
    OpenKey opened{parent.hive, {}, GrantedKeyAccess(samDesired)};
    LONG status = ProcessRegistry().Read(parent.hive, [&](const RegistryKey& root) -> LONG {
        if (LONG gone = CheckParent(root, parent)) return gone;
        const RegistryKey* found = path == parent.path ? FindOpenKey(root, parent)
                                                       : FindKey(root, parent.hive, path, &opened.path);
        if (!found) return ERROR_FILE_NOT_FOUND;
        if (path == parent.path) opened.path = parent.path;
        return CheckKeyAccess(*found, opened.access);
    });
    if (status == ERROR_SUCCESS) *result = AddKeyHandle(std::move(opened));
    return status;
}

// Volatile keys are kept like the others: the store has no place that a
// restart clears.
LONG WINAPI RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                            REGSAM samDesired, struct _SECURITY_ATTRIBUTES* securityAttributes,
                            PHKEY result, LPDWORD disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    OpenKey parent;
    if (!LookupKeyHandle(key, parent)) return ERROR_INVALID_HANDLE;
    KeyPath path;
    if (!ResolveSubKey(parent, subKey, samDesired, path)) return ERROR_BAD_PATHNAME;
    OpenKey opened{parent.hive, {}, GrantedKeyAccess(samDesired)};
    DWORD outcome = REG_OPENED_EXISTING_KEY;
    LONG status = ProcessRegistry().Write(parent.hive, [&](RegistryKey& root, bool& changed) -> LONG {
        if (LONG gone = CheckParent(root, parent)) return gone;
        if (RegistryKey* existing = FindKey(root, parent.hive, path, &opened.path))
            return CheckKeyAccess(*existing, opened.access);
        LONG made = CreateMissingKey(root, parent, path, keyClass, opened);
        changed = made == ERROR_SUCCESS;
        outcome = REG_CREATED_NEW_KEY;
        return made;
    });
    if (status != ERROR_SUCCESS) return status;
    if (disposition) *disposition = outcome;
    *result = AddKeyHandle(std::move(opened));
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) { return CloseKeyHandle(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE; }

// Every hive this process rewrote, not only the key's: each is one file.
LONG WINAPI RegFlushKey(HKEY key) {
    OpenKey opened;
    if (!LookupKeyHandle(key, opened)) return ERROR_INVALID_HANDLE;
    return static_cast<LONG>(SyncReplacedFiles());
}

LONG WINAPI RegDeleteKeyExW(HKEY key, LPCWSTR subKey, REGSAM samDesired, DWORD reserved) {
    if (!subKey) return ERROR_INVALID_PARAMETER;
    OpenKey parent;
    if (!LookupKeyHandle(key, parent)) return ERROR_INVALID_HANDLE;
    KeyPath path;
    if (!ResolveSubKey(parent, subKey, samDesired, path)) return ERROR_FILE_NOT_FOUND;
    return ProcessRegistry().Write(parent.hive, [&](RegistryKey& root, bool& changed) -> LONG {
        if (LONG gone = CheckParent(root, parent)) return gone;
        LONG deleted = DeleteKeyAt(root, parent.hive, path);
        changed = deleted == ERROR_SUCCESS;
        return deleted;
    });
}

LONG WINAPI RegDeleteKeyW(HKEY key, LPCWSTR subKey) { return RegDeleteKeyExW(key, subKey, 0, 0); }

LONG WINAPI RegDeleteTreeW(HKEY key, LPCWSTR subKey) {
    OpenKey parent;
    if (!LookupKeyHandle(key, parent)) return ERROR_INVALID_HANDLE;
    KeyPath path;
    if (!ResolveSubKey(parent, subKey, 0, path)) return ERROR_FILE_NOT_FOUND;
    bool whole = subKey && *subKey;
    REGSAM needed = DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE;
    if (!whole && (parent.access & needed) != needed) return ERROR_ACCESS_DENIED;
    return ProcessRegistry().Write(parent.hive, [&](RegistryKey& root, bool& changed) -> LONG {
        if (LONG gone = CheckParent(root, parent)) return gone;
        KeyPath real;
        RegistryKey* target = FindKey(root, parent.hive, path, &real);
        if (!target) return ERROR_FILE_NOT_FOUND;
        if (LONG denied = CheckKeyAccess(*target, needed)) return denied;
        if (!whole && !target->values.empty() && !(parent.access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
        target->subkeys.clear();
        changed = true;
        if (whole && !real.empty()) return DeleteKeyAt(root, parent.hive, real);
        target->values.clear();
        target->lastWrite = FileTimeNow();
        return ERROR_SUCCESS;
    });
}

LONG WINAPI RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD reserved,
                          LPWSTR keyClass, LPDWORD classLength, PFILETIME lastWriteTime) {
    if (!name || !nameLength || reserved || (keyClass && !classLength)) return ERROR_INVALID_PARAMETER;
    OpenKey open;
    if (!LookupKeyHandle(key, open)) return ERROR_INVALID_HANDLE;
    if (!(open.access & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
    return ProcessRegistry().Read(open.hive, [&](const RegistryKey& root) -> LONG {
        const RegistryKey* parent = FindOpenKey(root, open);
        if (!parent) return ERROR_KEY_DELETED;
        if (index >= parent->subkeys.size()) return ERROR_NO_MORE_ITEMS;
        const RegistryKey& subkey = *parent->subkeys[index];
        if (LONG copied = CopyName(subkey.name, name, nameLength)) return copied;
        if (keyClass) {
            if (LONG copied = CopyName(subkey.className, keyClass, classLength)) return copied;
        } else if (classLength) {
            *classLength = static_cast<DWORD>(subkey.className.size());
        }
        if (lastWriteTime) {
            lastWriteTime->dwLowDateTime = static_cast<DWORD>(subkey.lastWrite);
            lastWriteTime->dwHighDateTime = static_cast<DWORD>(subkey.lastWrite >> 32);
        }
        return ERROR_SUCCESS;
    });
}

LONG WINAPI RegEnumKeyW(HKEY key, DWORD index, LPWSTR name, DWORD nameLength) {
    return RegEnumKeyExW(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
}
