// CreateMutexW, OpenMutexW and ReleaseMutex. Waiting is WaitForSingleObject,
// closing CloseHandle. A process holds each named mutex once, however many
// handles it has to it; its threads share that one state.
#include <windows.h>

#include "kernel32/MutexObject.h"

#include <map>
#include <mutex>

namespace wincompat {

namespace {

struct NamedMutexes {
    std::mutex lock;
    std::map<std::wstring, std::weak_ptr<MutexState>> byName;  // full names; a state goes with its last handle
};

NamedMutexes& Named() {
    static NamedMutexes* named = new NamedMutexes;  // handles may be closed during exit
    return *named;
}

enum class Intent { kCreate, kOpen };

// This process's state of the named mutex, or the prefix's, or (creating) a
// new one. existed tells whether some process held it already.
std::shared_ptr<MutexState> FindNamed(const std::wstring& fullName, Intent intent, bool initialOwner, bool& existed,
                                      DWORD& error) {
    NamedMutexes& named = Named();
    std::lock_guard<std::mutex> guard(named.lock);
    if (std::shared_ptr<MutexState> held = named.byName[fullName].lock()) {
        existed = true;
        return held;
    }
    auto claim = [&](int fd) {
        if (initialOwner) MutexState::ClaimNewFile(fd);
    };
    std::unique_ptr<NamedObjectFile> file =
        NamedObjectFile::Open(fullName, intent == Intent::kCreate, claim, existed, error);
    if (!file) {
        named.byName.erase(fullName);
        return nullptr;
    }
    auto state = std::make_shared<MutexState>(std::move(file));
    named.byName[fullName] = state;
    return state;
}

// FindNamed for a caller's name; null with the last error set on failure.
std::shared_ptr<MutexState> FindByName(LPCWSTR name, Intent intent, bool initialOwner, bool& existed) {
    std::wstring fullName;
    DWORD error = ERROR_SUCCESS;
    std::shared_ptr<MutexState> state;
    if (NamedObjectFile::FullName(name, fullName, error))
        state = FindNamed(fullName, intent, initialOwner, existed, error);
    if (!state) SetLastError(error);
    return state;
}

HANDLE NewHandle(std::shared_ptr<MutexState> state, DWORD access) {
    return AddHandle(std::make_shared<MutexHandle>(std::move(state), access));
}

}  // namespace

}  // namespace wincompat

extern "C" HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name) {
    if (!name || !*name) {
        auto state = std::make_shared<wincompat::MutexState>(nullptr);
        if (initialOwner) state->AdoptOwnership();
        SetLastError(ERROR_SUCCESS);
        return wincompat::NewHandle(std::move(state), MUTEX_ALL_ACCESS);
    }
    bool existed = false;
    auto state = wincompat::FindByName(name, wincompat::Intent::kCreate, initialOwner, existed);
    if (!state) return nullptr;
    // An existing mutex is opened as it is: the caller gets no ownership.
    if (!existed && initialOwner) state->AdoptOwnership();
    HANDLE handle = wincompat::NewHandle(std::move(state), MUTEX_ALL_ACCESS);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

extern "C" HANDLE WINAPI OpenMutexW(DWORD desiredAccess, BOOL, LPCWSTR name) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    bool existed = false;
    auto state = wincompat::FindByName(name, wincompat::Intent::kOpen, false, existed);
    if (!state) return nullptr;
    return wincompat::NewHandle(std::move(state), desiredAccess);
}

extern "C" BOOL WINAPI ReleaseMutex(HANDLE mutex) {
    auto handle = wincompat::FindHandleOf<wincompat::MutexHandle>(mutex);
    return handle && handle->State().Release();
}
