#include "kernel32/Handles.h"

#include <windows.h>

#include <map>
#include <mutex>

namespace wincompat {

namespace {

struct HandleTable {
    std::mutex mutex;
    std::map<uintptr_t, std::shared_ptr<KernelObject>> objects;
    uintptr_t next = 0x100;  // handle values are multiples of 4, as on Windows
};

HandleTable& Table() {
    static HandleTable* table = new HandleTable;  // handles may be closed during exit
    return *table;
}

}  // namespace

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    uintptr_t value = table.next;
    table.next += 4;
    table.objects[value] = std::move(object);
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> FindHandle(HANDLE handle) {
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    return found == table.objects.end() ? nullptr : found->second;
}

bool RemoveHandle(HANDLE handle) {
    std::shared_ptr<KernelObject> object;  // destroyed after the lock is released
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto found = table.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (found == table.objects.end()) return false;
    object = std::move(found->second);
    table.objects.erase(found);
    return true;
}

void SetLastErrorInvalidHandle() { SetLastError(ERROR_INVALID_HANDLE); }

}  // namespace wincompat

extern "C" BOOL WINAPI CloseHandle(HANDLE object) {
    if (object == GetCurrentProcess()) return TRUE;  // the pseudo handle needs no closing
    if (wincompat::RemoveHandle(object)) return TRUE;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
