#include "ChildProcess.h"

#include "support/ProcessRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

extern char** environ;

namespace {

std::vector<std::string> Environment(const std::map<std::string, std::string>& added) {
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        std::string text = *entry;
        size_t equals = text.find('=');
        if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : added) merged[name] = value;
    std::vector<std::string> result;
    for (const auto& [name, value] : merged) result.push_back(name + "=" + value);
    return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

bool ChildProcess::Start(const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment, const std::string& outputFolder) {
    outputFile_ = outputFolder + "/stdout.txt";
    errorFile_ = outputFolder + "/stderr.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outputFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> argv = arguments;
    std::vector<std::string> envp = Environment(environment);
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
