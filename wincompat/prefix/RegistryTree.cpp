// Sorted, case-insensitive lookup in a key's subkeys and values.
#include "prefix/RegistryTree.h"

#include "prefix/Prefix.h"

#include <time.h>

#include <algorithm>

namespace wincompat {

namespace {

constexpr ULONGLONG kUnixEpochAsFileTime = 116444736000000000ULL;

auto SubkeyPosition(const std::vector<std::unique_ptr<RegistryKey>>& subkeys, std::wstring_view name) {
    return std::lower_bound(subkeys.begin(), subkeys.end(), name,
                            [](const std::unique_ptr<RegistryKey>& key, std::wstring_view wanted) {
                                return CompareNoCase(key->name, wanted) < 0;
                            });
}

template <class Values>
auto ValuePosition(Values& values, std::wstring_view name) {
    return std::lower_bound(values.begin(), values.end(), name,
                            [](const RegistryValue& value, std::wstring_view wanted) {
                                return CompareNoCase(value.name, wanted) < 0;
                            });
}

}  // namespace

RegistryKey* RegistryKey::FindSubkey(std::wstring_view subkeyName) const {
    auto at = SubkeyPosition(subkeys, subkeyName);
    return at != subkeys.end() && EqualNoCase((*at)->name, subkeyName) ? at->get() : nullptr;
}

RegistryKey& RegistryKey::AddSubkey(std::wstring_view subkeyName, bool* created) {
    auto at = SubkeyPosition(subkeys, subkeyName);
    if (created) *created = false;
    if (at != subkeys.end() && EqualNoCase((*at)->name, subkeyName)) return **at;
    auto key = std::make_unique<RegistryKey>();
    key->name = subkeyName;
    key->lastWrite = FileTimeNow();
    if (created) *created = true;
    return **subkeys.insert(at, std::move(key));
}

bool RegistryKey::RemoveSubkey(std::wstring_view subkeyName) {
    auto at = SubkeyPosition(subkeys, subkeyName);
    if (at == subkeys.end() || !EqualNoCase((*at)->name, subkeyName)) return false;
    subkeys.erase(at);
    return true;
}

const RegistryValue* RegistryKey::FindValue(std::wstring_view valueName) const {
    auto at = ValuePosition(values, valueName);
    return at != values.end() && EqualNoCase(at->name, valueName) ? &*at : nullptr;
}

void RegistryKey::SetValue(std::wstring_view valueName, DWORD type, std::vector<BYTE> data) {
    auto at = ValuePosition(values, valueName);
    if (at == values.end() || !EqualNoCase(at->name, valueName))
        at = values.insert(at, RegistryValue{std::wstring(valueName), 0, {}});
    at->type = type;
    at->data = std::move(data);
}

bool RegistryKey::RemoveValue(std::wstring_view valueName) {
    auto at = ValuePosition(values, valueName);
    if (at == values.end() || !EqualNoCase(at->name, valueName)) return false;
    values.erase(at);
    return true;
}

ULONGLONG FileTimeNow() {
    timespec now;
    clock_gettime(CLOCK_REALTIME, &now);
    return kUnixEpochAsFileTime + static_cast<ULONGLONG>(now.tv_sec) * 10000000ULL +
           static_cast<ULONGLONG>(now.tv_nsec) / 100;
}

long long UnixSecondsFromFileTime(ULONGLONG fileTime) {
    if (fileTime < kUnixEpochAsFileTime) return 0;
    return static_cast<long long>((fileTime - kUnixEpochAsFileTime) / 10000000ULL);
}

ULONGLONG FileTimeFromUnixSeconds(long long seconds) {
    return kUnixEpochAsFileTime + static_cast<ULONGLONG>(seconds < 0 ? 0 : seconds) * 10000000ULL;
}

}  // namespace wincompat
