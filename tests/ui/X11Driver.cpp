#include "X11Driver.h"

#include "support/ProcessRunner.h"

#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    std::string line;
    while (std::getline(stream, line))
        if (!line.empty()) lines.push_back(line);
    return lines;
}

void Pause(int milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

}  // namespace

std::string X11Driver::Run(const std::vector<std::string>& arguments) const {
    return RunProcess(arguments, {{"DISPLAY", display_}}, 30).output;
}

std::vector<std::string> X11Driver::VisibleWindows(pid_t pid) const {
    // --onlyvisible leaves out GDK's hidden leader window.
    return Lines(Run({"/usr/bin/xdotool", "search", "--onlyvisible", "--pid", std::to_string(pid)}));
}

std::vector<std::string> X11Driver::WaitForWindows(pid_t pid, int timeoutMilliseconds) const {
    for (int waited = 0; waited < timeoutMilliseconds; waited += 50) {
        std::vector<std::string> windows = VisibleWindows(pid);
        if (!windows.empty()) return windows;
        Pause(50);
    }
    return {};
}

std::string X11Driver::WaitForWindowNamed(const std::string& title, int timeoutMilliseconds) const {
    for (int waited = 0; waited < timeoutMilliseconds; waited += 50) {
        std::vector<std::string> windows =
            Lines(Run({"/usr/bin/xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"}));
        if (!windows.empty()) return windows.front();
        Pause(50);
    }
    return std::string();
}

WindowGeometry X11Driver::Geometry(const std::string& window) const {
    WindowGeometry geometry;
    for (const std::string& line : Lines(Run({"/usr/bin/xdotool", "getwindowgeometry", "--shell", window}))) {
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string name = line.substr(0, equals);
        int value = std::stoi(line.substr(equals + 1));
        if (name == "X") geometry.x = value;
        if (name == "Y") geometry.y = value;
        if (name == "WIDTH") geometry.width = value;
        if (name == "HEIGHT") geometry.height = value;
    }
    return geometry;
}

std::string X11Driver::Title(const std::string& window) const {
    std::vector<std::string> lines = Lines(Run({"/usr/bin/xdotool", "getwindowname", window}));
    return lines.empty() ? std::string() : lines.front();
}

// Synthetic events sent to a window are ignored by GTK: focus it, then type
// as the keyboard would.
void X11Driver::Focus(const std::string& window) const {
    Run({"/usr/bin/xdotool", "windowfocus", "--sync", window});
    Pause(100);
}

void X11Driver::Key(const std::string& keys, int pauseMilliseconds) const {
    Run({"/usr/bin/xdotool", "key", "--delay", "60", keys});
    Pause(pauseMilliseconds);
}

void X11Driver::Type(const std::string& text) const {
    // The default 12 ms between characters drops or doubles some.
    Run({"/usr/bin/xdotool", "type", "--delay", "60", "--", text});
    Pause(150);
}

void X11Driver::Click(const std::string& window, int x, int y) const {
    Run({"/usr/bin/xdotool", "mousemove", "--window", window, std::to_string(x), std::to_string(y)});
    Pause(80);
    Run({"/usr/bin/xdotool", "click", "1"});
    Pause(150);
}

bool X11Driver::Screenshot(const std::string& window, const std::string& file) const {
    return RunProcess({"/usr/bin/import", "-window", window, file}, {{"DISPLAY", display_}}, 30).exitCode == 0;
}

std::string X11Driver::PixelColour(const std::string& file, int x, int y) {
    std::string point = std::to_string(x) + "," + std::to_string(y);
    std::vector<std::string> lines = Lines(RunProcess({"/usr/bin/convert", file, "-format",
                                                       "%[hex:p{" + point + "}]", "info:"}).output);
    return lines.empty() ? std::string() : "#" + lines.front().substr(0, 6);
}
