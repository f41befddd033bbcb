// A display of the test's own: an Xvfb server on a free display number,
// ended with the object, and the programs that drive and watch it.
#pragma once

#include "support/BackgroundProcess.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class XvfbDisplay {
public:
    // Empty when every program a desktop test needs is installed, else what is missing.
    static std::string MissingPrograms();

    XvfbDisplay();

    bool Running() const { return server_->Running(); }

    // DISPLAY and the settings GTK needs to start quietly and quickly here;
    // under the sanitizers, the losses of fontconfig and GTK are not the
    // program's (desktop-lsan-suppressions.txt).
    std::map<std::string, std::string> Environment(int scale = 1) const;

    // Runs xdotool with the arguments; its standard output.
    std::string Xdotool(const std::vector<std::string>& arguments) const;

    struct Screenshot {
        std::string rgb;
        int width = 0;
        // The colour of a screen pixel as 0xRRGGBB.
        unsigned Pixel(int x, int y) const;
    };
    Screenshot TakeScreenshot() const;

private:
    int number_ = 0;
    std::unique_ptr<BackgroundProcess> server_;
};
