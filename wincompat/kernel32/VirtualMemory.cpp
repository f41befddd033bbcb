// Working-set calls on memory the process already has.
#include <windows.h>

#include "kernel32/ResourcePages.h"

#include <errno.h>
#include <stdint.h>
#include <sys/mman.h>
#include <unistd.h>

using namespace wincompat;

// Nothing is ever locked here (VirtualLock is not offered), so every page of
// the range is one "not locked": Windows then takes it out of the working
// set and answers FALSE with ERROR_NOT_LOCKED. A resource's pages are
// dropped outright (they come back from the file); any other memory is paged
// out with its contents kept.
extern "C" BOOL WINAPI VirtualUnlock(LPVOID address, SIZE_T size) {
    if (!address) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    if (!DropResourcePages(address, size)) {
        const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
        const uintptr_t from = reinterpret_cast<uintptr_t>(address) & ~(page - 1);
        const uintptr_t to = (reinterpret_cast<uintptr_t>(address) + (size ? size : 1) + page - 1) & ~(page - 1);
        if (madvise(reinterpret_cast<void*>(from), to - from, MADV_PAGEOUT) != 0 && errno == ENOMEM) {
            SetLastError(ERROR_INVALID_ADDRESS);  // part of the range is not the process's memory
            return FALSE;
        }
    }
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
}
