// The table of open key handles.
#include "advapi32/RegistryHandles.h"

#include <mutex>
#include <unordered_map>

namespace wincompat {

namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<ULONG_PTR, OpenKey> keys;
    ULONG_PTR next = 0x1000;
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

bool LookupPredefined(HKEY handle, OpenKey& key) {
    key = OpenKey();
    key.access = KEY_ALL_ACCESS;
    key.predefined = true;
    if (handle == HKEY_LOCAL_MACHINE) return true;
    if (handle == HKEY_CURRENT_USER) {
        key.hive = Hive::CurrentUser;
        return true;
    }
    if (handle == HKEY_CLASSES_ROOT) {
        key.path = {L"Software", L"Classes"};
        return true;
    }
    return false;
}

}  // namespace

bool LookupKeyHandle(HKEY handle, OpenKey& key) {
    if (LookupPredefined(handle, key)) return true;
    HandleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.mutex);
    auto found = table.keys.find(reinterpret_cast<ULONG_PTR>(handle));
    if (found == table.keys.end()) return false;
    key = found->second;
    return true;
}

HKEY AddKeyHandle(OpenKey key) {
    HandleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.mutex);
    ULONG_PTR value = table.next;
    table.next += 4;
    table.keys.emplace(value, std::move(key));
    return reinterpret_cast<HKEY>(value);
}

bool CloseKeyHandle(HKEY handle) {
    OpenKey predefined;
    if (LookupPredefined(handle, predefined)) return true;
    HandleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.mutex);
    return table.keys.erase(reinterpret_cast<ULONG_PTR>(handle)) == 1;
}

}  // namespace wincompat
