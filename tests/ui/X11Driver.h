// Drives windows on the test's X display the way a user would, through
// xdotool (keyboard and mouse) and ImageMagick's import (screenshots).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct WindowGeometry {
    int x = 0, y = 0, width = 0, height = 0;
};

class X11Driver {
public:
    explicit X11Driver(std::string display) : display_(std::move(display)) {}

    // The visible windows of a process (or with a title); empty when none in time.
    std::vector<std::string> WaitForWindows(pid_t pid, int timeoutMilliseconds) const;
    std::string WaitForWindowNamed(const std::string& title, int timeoutMilliseconds) const;
    std::vector<std::string> VisibleWindows(pid_t pid) const;
    WindowGeometry Geometry(const std::string& window) const;
    std::string Title(const std::string& window) const;

    void Focus(const std::string& window) const;
    // xdotool key names: "Return", "Tab", "shift+Tab", "alt+F4", "space".
    void Key(const std::string& keys, int pauseMilliseconds = 150) const;
    void Type(const std::string& text) const;
    // A left click at a point of the window (window coordinates).
    void Click(const std::string& window, int x, int y) const;

    // The window as a PNG file.
    bool Screenshot(const std::string& window, const std::string& file) const;
    // The colour "#RRGGBB" of one pixel of a screenshot.
    static std::string PixelColour(const std::string& file, int x, int y);

private:
    std::string Run(const std::vector<std::string>& arguments) const;

    std::string display_;
};
