#include "kernel32/ProcessLaunch.h"

#include "prefix/Prefix.h"

#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>

namespace wincompat {

namespace {

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* Get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

class SpawnAttributes {
public:
    // Signals back to their defaults and none blocked.
    SpawnAttributes() {
        posix_spawnattr_init(&attributes_);
        sigset_t all, none;
        sigfillset(&all);
        sigemptyset(&none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* Get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_;
};

std::vector<char*> Pointers(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (const std::string& text : texts) pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

void AddActions(const LaunchPlan& plan, posix_spawn_file_actions_t* actions) {
    if (plan.replaceStandard) {
        for (int target = 0; target < 3; ++target) {
            int source = plan.standardFds[target];
            if (source < 0) posix_spawn_file_actions_addopen(actions, target, "/dev/null", O_RDWR, 0);
            else posix_spawn_file_actions_adddup2(actions, source, target);
        }
    }
    if (!plan.inheritDescriptors) posix_spawn_file_actions_addclosefrom_np(actions, 3);
    if (!plan.folder.empty()) posix_spawn_file_actions_addchdir_np(actions, plan.folder.c_str());
}

}  // namespace

pid_t Launch(const LaunchPlan& plan, DWORD& error) {
    SpawnActions actions;
    SpawnAttributes attributes;
    AddActions(plan, actions.Get());
    pid_t pid = 0;
    int result = posix_spawn(&pid, plan.program.c_str(), actions.Get(), attributes.Get(),
                             Pointers(plan.arguments).data(), Pointers(plan.environment).data());
    if (result == 0) return pid;
    error = result == ENOEXEC ? ERROR_BAD_EXE_FORMAT : ErrorFromErrno(result);
    return 0;
}

}  // namespace wincompat
