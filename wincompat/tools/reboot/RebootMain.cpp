// wincompat-reboot: carries out the prefix's pending file operations as a
// restart of Windows does, in their order, then removes the list - also when
// an operation failed, as Wine's wineboot does. One line per operation.
#include <windows.h>

#include "kernel32/PendingOperations.h"
#include "prefix/Prefix.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

using wincompat::PendingOperation;

namespace {

std::string Utf8(const std::wstring& text) { return wincompat::Utf8FromWide(text); }

// At a restart no process holds anything, so the unix calls act directly.
int Carry(const PendingOperation& operation, const std::string& source) {
    if (operation.target.empty()) {
        struct stat info;
        if (lstat(source.c_str(), &info) != 0) return errno;
        return (S_ISDIR(info.st_mode) ? rmdir(source.c_str()) : unlink(source.c_str())) == 0 ? 0 : errno;
    }
    std::string target;
    DWORD error = 0;
    if (!wincompat::DosToUnix(operation.target, target, &error, 32767)) return ENOENT;
    unsigned flags = operation.replace ? 0 : RENAME_NOREPLACE;
    return renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), flags) == 0 ? 0 : errno;
}

void Report(const PendingOperation& operation, int error) {
    std::string what = operation.target.empty() ? "delete " + Utf8(operation.source)
                       : (operation.replace ? "replace " : "rename ") + Utf8(operation.source) + " -> " +
                             Utf8(operation.target);
    if (error) printf("failed: %s: %s\n", what.c_str(), strerror(error));
    else printf("done: %s\n", what.c_str());
}

}  // namespace

int main() {
    wincompat::PendingOperationsLock lock;
    std::vector<PendingOperation> operations;
    if (LONG status = wincompat::ReadPendingOperations(operations)) {
        fprintf(stderr, "wincompat-reboot: cannot read the pending operations (error %ld)\n",
                static_cast<long>(status));
        return 1;
    }
    for (const PendingOperation& operation : operations) {
        std::string source;
        DWORD error = 0;
        bool known = wincompat::DosToUnix(operation.source, source, &error, 32767);
        Report(operation, known ? Carry(operation, source) : ENOENT);
    }
    if (LONG status = wincompat::WritePendingOperations({})) {
        fprintf(stderr, "wincompat-reboot: cannot remove the pending operations (error %ld)\n",
                static_cast<long>(status));
        return 1;
    }
    return 0;
}
