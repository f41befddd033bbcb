#include "support/XvfbDisplay.h"

#include "support/ProcessRunner.h"

#include <stdlib.h>
#include <unistd.h>

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;

// A number no other server (or test) holds, starting from one of our own.
int FreeDisplayNumber() {
    for (int number = 100 + getpid() % 800;; ++number)
        if (!PathExists("/tmp/.X" + std::to_string(number) + "-lock") &&
            !PathExists("/tmp/.X11-unix/X" + std::to_string(number)))
            return number;
}

}  // namespace

std::string XvfbDisplay::MissingPrograms() {
    std::string missing;
    for (const char* program : {"Xvfb", "xdotool", "import"})
        if (FindProgram(program).empty()) missing += std::string(missing.empty() ? "" : ", ") + program;
    return missing;
}

// Another test may take the same free number at the same moment; the loser
// tries the next one.
XvfbDisplay::XvfbDisplay() {
    std::string screen = std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24";
    for (int attempt = 0; attempt < 5 && (!server_ || !server_->Running()); ++attempt) {
        number_ = FreeDisplayNumber();
        server_ = std::make_unique<BackgroundProcess>(
            std::vector<std::string>{FindProgram("Xvfb"), ":" + std::to_string(number_), "-noreset", "-nolisten",
                                     "tcp", "-screen", "0", screen},
            "/tmp/.X11-unix/X" + std::to_string(number_));
    }
}

std::map<std::string, std::string> XvfbDisplay::Environment(int scale) const {
    const char* sanitizer = getenv("ASAN_OPTIONS");
    std::string sanitizerOptions = std::string(sanitizer ? sanitizer : "") + ":fast_unwind_on_malloc=0";
    return {{"DISPLAY", ":" + std::to_string(number_)},
            {"GDK_BACKEND", "x11"},
            {"GSETTINGS_BACKEND", "memory"},
            {"NO_AT_BRIDGE", "1"},
            {"GDK_GL", "disable"},
            {"GDK_SCALE", std::to_string(scale)},
            {"ASAN_OPTIONS", sanitizerOptions},
            {"LSAN_OPTIONS", "suppressions=" DESKTOP_LSAN_SUPPRESSIONS}};
}

std::string XvfbDisplay::Xdotool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command = {FindProgram("xdotool")};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunProcess(command, Environment(), 30).output;
}

XvfbDisplay::Screenshot XvfbDisplay::TakeScreenshot() const {
    ProcessResult shot =
        RunProcess({FindProgram("import"), "-window", "root", "-depth", "8", "rgb:-"}, Environment(), 30);
    return Screenshot{shot.output, kWidth};
}

unsigned XvfbDisplay::Screenshot::Pixel(int x, int y) const {
    size_t at = (static_cast<size_t>(y) * width + x) * 3;
    if (at + 2 >= rgb.size()) return 0xFFFFFFFFu;
    auto byte = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(rgb[at + i])); };
    return byte(0) << 16 | byte(1) << 8 | byte(2);
}
