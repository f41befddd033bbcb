#include "support/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>

extern char** environ;

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extra) {
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry; ++entry) {
        std::string text = *entry;
        size_t equals = text.find('=');
        if (equals != std::string::npos) merged[text.substr(0, equals)] = text.substr(equals + 1);
    }
    for (const auto& [name, value] : extra) merged[name] = value;
    std::vector<std::string> list;
    for (const auto& [name, value] : merged) list.push_back(name + "=" + value);
    return list;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

namespace {

// Reads both pipes until they close or the time runs out.
bool Drain(int outFd, int errFd, ProcessResult& result, int timeoutSeconds) {
    time_t deadline = time(nullptr) + timeoutSeconds;
    pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        int left = static_cast<int>(deadline - time(nullptr));
        if (left <= 0) return false;
        if (poll(fds, 2, left * 1000) <= 0) continue;
        for (pollfd& fd : fds) {
            if (fd.fd < 0 || !(fd.revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char chunk[4096];
            ssize_t got = read(fd.fd, chunk, sizeof(chunk));
            if (got <= 0) {
                close(fd.fd);
                fd.fd = -1;
                --open;
            } else {
                (fd.fd == outFd ? result.output : result.errors).append(chunk, got);
            }
        }
    }
    return true;
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment, int timeoutSeconds) {
    ProcessResult result;
    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<std::string> argv = arguments;
    std::vector<std::string> envp = MergedEnvironment(environment);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, Pointers(argv).data(), Pointers(envp).data());
    posix_spawn_file_actions_destroy(&actions);
    close(outPipe[1]);
    close(errPipe[1]);
    if (spawned != 0) {
        close(outPipe[0]);
        close(errPipe[0]);
        result.errors = "could not start " + argv[0];
        return result;
    }
    if (!Drain(outPipe[0], errPipe[0], result, timeoutSeconds)) {
        kill(pid, SIGKILL);
        result.errors += "\n[timed out]";
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

std::string BuildFile(const std::string& name) { return std::string(VELMORA_BUILD_DIR) + "/" + name; }

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}
