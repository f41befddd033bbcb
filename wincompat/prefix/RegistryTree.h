// The registry in memory: a hive is a tree of keys holding values. Names are
// case-insensitive and keep the case they were created with; subkeys and
// values are kept sorted by name, as Wine keeps and writes them.
#pragma once

#include <windef.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace wincompat {

struct RegistryValue {
    std::wstring name;          // empty: the default value
    DWORD type = 0;
    std::vector<BYTE> data;     // as Windows keeps it: string types in UTF-16LE
};

struct RegistryKey {
    std::wstring name;
    ULONGLONG lastWrite = 0;    // FILETIME
    std::wstring className;
    bool isLink = false;        // a symbolic link; the target is its SymbolicLinkValue
    // The self-relative security descriptor given by RegSetKeySecurity; empty
    // means the default one. Kept and saved here, checked by advapi32.
    std::vector<BYTE> security;
    std::vector<RegistryValue> values;
    std::vector<std::unique_ptr<RegistryKey>> subkeys;

    RegistryKey* FindSubkey(std::wstring_view subkeyName) const;
    // The subkey of that name, created when missing.
    RegistryKey& AddSubkey(std::wstring_view subkeyName, bool* created = nullptr);
    bool RemoveSubkey(std::wstring_view subkeyName);

    const RegistryValue* FindValue(std::wstring_view valueName) const;
    void SetValue(std::wstring_view valueName, DWORD type, std::vector<BYTE> data);
    bool RemoveValue(std::wstring_view valueName);
};

// The current time as a FILETIME, and FILETIME <-> unix seconds.
ULONGLONG FileTimeNow();
long long UnixSecondsFromFileTime(ULONGLONG fileTime);
ULONGLONG FileTimeFromUnixSeconds(long long seconds);

}  // namespace wincompat
