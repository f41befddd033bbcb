// Another process holding a file: build/wincompat-hold, started with the
// given arguments and stopped (SIGTERM) when the object goes away.
#pragma once

#include "support/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

extern char** environ;

class FileHolder {
public:
    // Waits (up to ten seconds) for the "holding" line or the end of the holder.
    explicit FileHolder(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), BuildFile("wincompat-hold"));
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        std::vector<char*> argv;
        for (std::string& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        ReadFirstLine(out[0]);
        close(out[0]);
    }
    ~FileHolder() { Stop(); }
    FileHolder(const FileHolder&) = delete;
    FileHolder& operator=(const FileHolder&) = delete;

    bool Holding() const { return line_.rfind("holding ", 0) == 0; }
    const std::string& Line() const { return line_; }

    // Ends the holder; its exit code (-1 when it did not exit normally).
    int Stop() {
        if (pid_ <= 0) return exitCode_;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return exitCode_;
    }

private:
    void ReadFirstLine(int fd) {
        pollfd wait = {fd, POLLIN, 0};
        char c;
        while (poll(&wait, 1, 10000) > 0 && read(fd, &c, 1) == 1 && c != '\n') line_ += c;
    }

    pid_t pid_ = -1;
    int exitCode_ = -1;
    std::string line_;
};
