// A display of the test's own: an Xvfb server on a free display number,
// ended with the object, and the programs that drive and watch it.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

class XvfbDisplay {
public:
    // Empty when every program a desktop test needs is installed, else what is missing.
    static std::string MissingPrograms();

    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    bool Running() const { return pid_ > 0; }

    // DISPLAY and the settings GTK needs to start quietly and quickly here.
    std::map<std::string, std::string> Environment(int scale = 1) const;

    // Runs xdotool with the arguments; its standard output.
    std::string Xdotool(const std::vector<std::string>& arguments) const;

    // The colour of a screen pixel as 0xRRGGBB, from a screenshot.
    struct Screenshot {
        std::string rgb;
        int width = 0;
        unsigned Pixel(int x, int y) const;
    };
    Screenshot TakeScreenshot() const;

private:
    pid_t pid_ = -1;
    int number_ = 0;
};

// The full path of a program on PATH; empty when there is none.
std::string FindProgram(const std::string& name);
