// A program started in the background, with its output collected in files,
// that the test waits for (or ends) later.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Environment entries are added to (or replace) the test's own. The
    // program runs in workingFolder, or in the test's own when it is empty.
    // A process started earlier must have ended (Wait) before the next Start.
    bool Start(const std::vector<std::string>& arguments, const std::map<std::string, std::string>& environment,
               const std::string& outputFolder, const std::string& workingFolder = "");
    pid_t Pid() const { return pid_; }
    bool Running();
    // The exit code, or -1 when it did not end in time (it is then killed) or was signalled.
    int Wait(int timeoutMilliseconds);
    std::string Output() const;
    std::string Errors() const;

private:
    pid_t pid_ = 0;
    int status_ = -1;
    bool ended_ = false;
    std::string outputFile_;
    std::string errorFile_;
};
