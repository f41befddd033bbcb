// Changes to a folder made as another program would make them: in a child
// process, with plain POSIX calls.
#pragma once

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

inline void Touch(const std::string& path) {
    int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0) << path;
    close(fd);
}

inline void InAnotherProcess(const std::function<void()>& change) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        change();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
