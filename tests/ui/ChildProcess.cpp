#include "ChildProcess.h"

#include "support/ProcessRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

bool ChildProcess::Start(const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment, const std::string& outputFolder,
                         const std::string& workingFolder) {
    if (Running()) return false;  // the one before would be left unwatched
    // A new process: what Wait learnt of the one before is not its.
    ended_ = false;
    status_ = -1;
    outputFile_ = outputFolder + "/stdout.txt";
    errorFile_ = outputFolder + "/stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!workingFolder.empty()) posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    std::vector<std::string> argv = arguments;
    std::vector<std::string> envp = MergedEnvironment(environment);
    int spawned = posix_spawn(&pid_, argv[0].c_str(), &actions, nullptr, Pointers(argv).data(), Pointers(envp).data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) pid_ = 0;
    return pid_ != 0;
}

bool ChildProcess::Running() {
    if (!pid_ || ended_) return false;
    if (waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
    return !ended_;
}

int ChildProcess::Wait(int timeoutMilliseconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
    while (Running() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (Running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status_, 0);
        ended_ = true;
        return -1;
    }
    return pid_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

std::string ChildProcess::Output() const { return ReadWholeFile(outputFile_); }
std::string ChildProcess::Errors() const { return ReadWholeFile(errorFile_); }

ChildProcess::~ChildProcess() {
    if (Running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}
