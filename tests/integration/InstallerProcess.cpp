#include "integration/InstallerProcess.h"

#include "support/ProcessRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

InstallerProcess::InstallerProcess(const std::string& installer, const std::string& prefix,
                                   const std::string& errorFile, const std::string& gate) {
    std::vector<std::string> argv = {installer, "slient"};
    if (!gate.empty()) argv = {"/bin/sh", "-c", "flock -s \"$0\" true && exec \"$1\" slient", gate, installer};
    std::vector<std::string> environment = MergedEnvironment({{"WINCOMPAT_PREFIX", prefix}});
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    if (posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, Pointers(argv).data(), Pointers(environment).data()))
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
}

InstallerProcess::~InstallerProcess() {
    if (pid_ > 0 && !ended_) Kill();
}

void InstallerProcess::Kill() {
    if (pid_ <= 0 || ended_) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    ended_ = true;
}

int InstallerProcess::Wait() {
    for (int i = 0; i < 1200 && pid_ > 0 && !ended_; ++i) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            ended_ = true;
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    if (!ended_) Kill();
    return exitCode_;
}

Gate::Gate(const std::string& path) : path_(path) {
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ >= 0) flock(fd_, LOCK_EX);
}

Gate::~Gate() {
    if (fd_ >= 0) close(fd_);
}

void Gate::Open() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
}
