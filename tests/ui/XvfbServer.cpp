#include "XvfbServer.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

extern char** environ;

namespace {

const char kXvfb[] = "/usr/bin/Xvfb";

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

}  // namespace

bool XvfbServer::Installed() { return access(kXvfb, X_OK) == 0; }

bool XvfbServer::Start(std::string& reason) {
    if (!Installed()) {
        reason = "Xvfb is not installed (package xvfb)";
        return false;
    }
    // Spread display numbers by process so parallel test processes never meet.
    for (int attempt = 0; attempt < 20; ++attempt) {
        int number = 200 + (getpid() * 7 + attempt * 13) % 700;
        std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
        if (Exists("/tmp/.X" + std::to_string(number) + "-lock") || Exists(socket)) continue;
        display_ = ":" + std::to_string(number);
        std::vector<std::string> args = {kXvfb, display_, "-noreset", "-nolisten", "tcp", "-screen", "0", "1280x800x24"};
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        int spawned = posix_spawn(&pid_, kXvfb, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) break;
        for (int wait = 0; wait < 100; ++wait) {
            if (Exists(socket)) return true;
            int status;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = 0;
                break;  // lost a race for the number: try another
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (pid_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            pid_ = 0;
        }
    }
    reason = "Xvfb did not start";
    return false;
}

XvfbServer::~XvfbServer() {
    if (!pid_) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}
