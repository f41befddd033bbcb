// wincompat-hold: holds a file the way a Windows program does (an open handle
// with the given share modes, or a loaded library's image), or owns a named
// mutex, until killed.
#include "hold/HoldArguments.h"

#include <windows.h>

#include "kernel32/FileImageLock.h"
#include "prefix/Prefix.h"

#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>

#include <memory>

namespace {

bool IsWindowsPath(const std::string& path) {
    return path.find('\\') != std::string::npos || (path.size() >= 2 && path[1] == ':');
}

std::wstring WindowsPath(const std::string& path) {
    return IsWindowsPath(path) ? wincompat::WideFromUtf8(path) : wincompat::UnixToDos(path);
}

const char* ErrorText(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return "file not found";
    case ERROR_PATH_NOT_FOUND: return "path not found";
    case ERROR_ACCESS_DENIED: return "access denied";
    case ERROR_SHARING_VIOLATION: return "sharing violation";
    default: return "cannot open";
    }
}

int CannotOpen(const std::string& path, DWORD error) {
    fprintf(stderr, "wincompat-hold: cannot open %s: %s (error %u)\n", path.c_str(), ErrorText(error),
            static_cast<unsigned>(error));
    return 1;
}

// Blocks until SIGTERM or SIGINT arrives.
void WaitForTermination() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    int received = 0;
    sigwait(&signals, &received);
}

// A mutex of that name that this process creates and owns; one that exists
// already is refused, so that "holding" always means this process owns it.
int HoldMutex(const std::string& name) {
    HANDLE mutex = CreateMutexW(nullptr, TRUE, wincompat::WideFromUtf8(name).c_str());
    DWORD error = GetLastError();
    if (!mutex || error == ERROR_ALREADY_EXISTS) {
        fprintf(stderr, "wincompat-hold: cannot create the mutex %s (error %u)\n", name.c_str(),
                static_cast<unsigned>(error));
        return 1;
    }
    printf("holding %s\n", name.c_str());
    fflush(stdout);
    WaitForTermination();
    ReleaseMutex(mutex);
    CloseHandle(mutex);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    holdtool::HoldArguments arguments;
    if (!holdtool::ParseHoldArguments(argc, argv, arguments)) return 2;
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigprocmask(SIG_BLOCK, &signals, nullptr);  // before the hold, so no signal is lost

    if (arguments.mutex) return HoldMutex(arguments.path);
    std::wstring windowsPath = WindowsPath(arguments.path);
    std::unique_ptr<wincompat::FileImageLock> image;
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (arguments.image) {
        std::string unixPath;
        DWORD error = ERROR_PATH_NOT_FOUND;
        if (!wincompat::DosToUnix(windowsPath, unixPath, &error)) return CannotOpen(arguments.path, error);
        image = wincompat::FileImageLock::Hold(unixPath);
        if (!image) return CannotOpen(arguments.path, wincompat::ErrorFromErrno(errno));
    } else {
        handle = CreateFileW(windowsPath.c_str(), arguments.access, arguments.share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return CannotOpen(arguments.path, GetLastError());
    }
    printf("holding %s\n", arguments.path.c_str());
    fflush(stdout);
    WaitForTermination();
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    return 0;
}
