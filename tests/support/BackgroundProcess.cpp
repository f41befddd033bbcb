#include "support/BackgroundProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

bool PathExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

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

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& arguments, const std::string& readyPath) {
    std::vector<std::string> texts = arguments;
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (texts.empty() || texts[0].empty() ||
        posix_spawn(&pid_, texts[0].c_str(), &actions, nullptr, argv.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    for (int waited = 0; pid_ > 0 && !PathExists(readyPath) && waited < 100; ++waited) usleep(50 * 1000);
    // Ready is our own server's doing only while it still runs: one that lost
    // a race for its address has exited, and the path is another's.
    if (pid_ > 0 && (!PathExists(readyPath) || waitpid(pid_, nullptr, WNOHANG) != 0)) Stop(SIGKILL);
}

BackgroundProcess::~BackgroundProcess() {
    if (pid_ > 0) Stop(SIGTERM);
}

void BackgroundProcess::Stop(int signal) {
    if (kill(pid_, signal) == 0) waitpid(pid_, nullptr, 0);
    pid_ = -1;
}
