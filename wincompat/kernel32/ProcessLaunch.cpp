#include "kernel32/ProcessLaunch.h"

#include "prefix/HostFile.h"
#include "prefix/Prefix.h"

#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>

namespace wincompat {

namespace {

const char kDynamicLoader[] = "/lib64/ld-linux-x86-64.so.2";

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

// Windows runs any image file it may read; unix wants an execute bit, which
// files written by a Windows program (an archive's extraction) do not get.
// Such a file is run through what the kernel would have used: the script's
// interpreter, or the dynamic loader for an ELF image.
void RunWithoutExecuteBit(const std::string& program, std::vector<std::string>& argv) {
    if (access(program.c_str(), X_OK) == 0 || access(program.c_str(), R_OK) != 0) return;
    std::string head;
    ReadHostFile(program, head, 256);
    std::vector<std::string> runner;
    if (head.rfind("#!", 0) == 0) {
        // The interpreter and at most one argument, as the kernel takes them.
        const std::string line = head.substr(2, head.find('\n') - 2);
        for (size_t at = line.find_first_not_of(" \t"); at != std::string::npos && runner.size() < 2;) {
            size_t end = std::min(line.find_first_of(" \t", at), line.size());
            runner.push_back(line.substr(at, end - at));
            at = line.find_first_not_of(" \t", end);
        }
    } else if (head.rfind("\x7f" "ELF", 0) == 0) {
        runner.push_back(kDynamicLoader);
    }
    if (runner.empty()) return;
    argv.erase(argv.begin());
    argv.insert(argv.begin(), program);
    argv.insert(argv.begin(), runner.begin(), runner.end());
}

}  // namespace

pid_t Launch(const LaunchPlan& plan, DWORD& error) {
    SpawnActions actions;
    SpawnAttributes attributes;
    AddActions(plan, actions.Get());
    std::vector<std::string> argv = plan.arguments;
    RunWithoutExecuteBit(plan.program, argv);
    pid_t pid = 0;
    int result = posix_spawn(&pid, argv.size() > plan.arguments.size() ? argv[0].c_str() : plan.program.c_str(),
                             actions.Get(), attributes.Get(), Pointers(argv).data(),
                             Pointers(plan.environment).data());
    if (result == 0) return pid;
    error = result == ENOEXEC ? ERROR_BAD_EXE_FORMAT : ErrorFromErrno(result);
    return 0;
}

}  // namespace wincompat
