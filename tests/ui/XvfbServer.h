// A private X display for one test process: Xvfb on a free display number,
// started without resets (a reset would wipe GTK's cached visual information
// and make every window start slow), stopped at the end.
#pragma once

#include <sys/types.h>

#include <string>

class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    static bool Installed();
    // False with a reason when no display could be started.
    bool Start(std::string& reason);
    // ":N"
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = 0;
    std::string display_;
};
