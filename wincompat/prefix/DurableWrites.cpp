#include <windows.h>

#include "prefix/DurableWrites.h"

#include "prefix/Prefix.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <mutex>
#include <set>

namespace wincompat {

namespace {

struct Pending {
    std::mutex mutex;
    std::set<std::string> files;
    bool exitHook = false;
};

// Never destroyed: the exit hook may run after static destructors.
Pending& ThePending() {
    static Pending* pending = new Pending;
    return *pending;
}

// 0, or the errno of the open or the fsync. A file replaced away since is not
// there to sync, and nothing of it is left to lose.
int SyncPath(const std::string& path, int flags) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | flags);
    if (fd < 0) return errno == ENOENT ? 0 : errno;
    int error = fsync(fd) == 0 ? 0 : errno;
    close(fd);
    return error == EINVAL ? 0 : error;  // a file system without fsync has nothing to make durable
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
}

void SyncAtExit() { SyncReplacedFiles(); }

}  // namespace

void NoteReplacedFile(const std::string& unixPath) {
    Pending& pending = ThePending();
    std::lock_guard<std::mutex> lock(pending.mutex);
    try {
        pending.files.insert(unixPath);
    } catch (const std::bad_alloc&) {
        SyncPath(unixPath, 0);  // no room to remember it: made durable now
    }
    if (!pending.exitHook) pending.exitHook = atexit(SyncAtExit) == 0;
}

DWORD SyncReplacedFiles() {
    Pending& pending = ThePending();
    std::lock_guard<std::mutex> lock(pending.mutex);
    std::set<std::string> folders;
    int firstError = 0;
    for (auto file = pending.files.begin(); file != pending.files.end();) {
        int error = SyncPath(*file, 0);
        if (error == 0) {
            folders.insert(FolderOf(*file));
            file = pending.files.erase(file);
        } else {
            if (!firstError) firstError = error;
            ++file;
        }
    }
    for (const std::string& folder : folders) {
        int error = SyncPath(folder, O_DIRECTORY);
        if (error && !firstError) firstError = error;
    }
    return firstError ? ErrorFromErrno(firstError) : ERROR_SUCCESS;
}

}  // namespace wincompat
