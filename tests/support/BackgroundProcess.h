// A server a test runs beside itself (Xvfb, dbus-daemon): started with its
// output discarded, ended when the object goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class BackgroundProcess {
public:
    // arguments[0] is the program's full path. Running() is false when it
    // could not start or did not create readyPath within five seconds.
    BackgroundProcess(const std::vector<std::string>& arguments, const std::string& readyPath);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    bool Running() const { return pid_ > 0; }

private:
    void Stop(int signal);

    pid_t pid_ = -1;
};

bool PathExists(const std::string& path);

// The full path of a program on PATH; empty when there is none.
std::string FindProgram(const std::string& name);
