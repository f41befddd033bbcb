#include "wincompat/XvfbDisplay.h"

#include "support/ProcessRunner.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 800;

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

// A number no other server (or test) holds, starting from one of our own.
int FreeDisplayNumber() {
    for (int number = 100 + getpid() % 800;; ++number)
        if (!Exists("/tmp/.X" + std::to_string(number) + "-lock") &&
            !Exists("/tmp/.X11-unix/X" + std::to_string(number)))
            return number;
}

}  // namespace

std::string FindProgram(const std::string& name) {
    const char* path = getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return std::string();
}

std::string XvfbDisplay::MissingPrograms() {
    std::string missing;
    for (const char* program : {"Xvfb", "xdotool", "import"})
        if (FindProgram(program).empty()) missing += std::string(missing.empty() ? "" : ", ") + program;
    return missing;
}

XvfbDisplay::XvfbDisplay() {
    number_ = FreeDisplayNumber();
    std::string display = ":" + std::to_string(number_);
    std::string program = FindProgram("Xvfb");
    std::string screen = std::to_string(kWidth) + "x" + std::to_string(kHeight) + "x24";
    std::vector<std::string> arguments = {program, display, "-noreset", "-nolisten", "tcp", "-screen", "0", screen};
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (program.empty() || posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    std::string socket = "/tmp/.X11-unix/X" + std::to_string(number_);
    for (int waited = 0; pid_ > 0 && !Exists(socket) && waited < 100; ++waited) usleep(50 * 1000);
    if (pid_ > 0 && !Exists(socket)) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

XvfbDisplay::~XvfbDisplay() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

std::map<std::string, std::string> XvfbDisplay::Environment(int scale) const {
    return {{"DISPLAY", ":" + std::to_string(number_)},
            {"GDK_BACKEND", "x11"},
            {"GSETTINGS_BACKEND", "memory"},
            {"NO_AT_BRIDGE", "1"},
            {"GDK_GL", "disable"},
            {"GDK_SCALE", std::to_string(scale)}};
}

std::string XvfbDisplay::Xdotool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command = {FindProgram("xdotool")};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunProcess(command, Environment(), 30).output;
}

XvfbDisplay::Screenshot XvfbDisplay::TakeScreenshot() const {
    ProcessResult shot = RunProcess({FindProgram("import"), "-window", "root", "-depth", "8", "rgb:-"}, Environment(), 30);
    return Screenshot{shot.output, kWidth};
}

unsigned XvfbDisplay::Screenshot::Pixel(int x, int y) const {
    size_t at = (static_cast<size_t>(y) * width + x) * 3;
    if (at + 2 >= rgb.size()) return 0xFFFFFFFFu;
    auto byte = [&](size_t i) { return static_cast<unsigned>(static_cast<unsigned char>(rgb[at + i])); };
    return byte(0) << 16 | byte(1) << 8 | byte(2);
}
