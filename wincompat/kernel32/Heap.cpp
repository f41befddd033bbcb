// kernel32: the process heap. One heap serves the process; blocks come from
// the C allocator, so any thread may free what another allocated.
#include <windows.h>

#include <stdlib.h>

namespace {

// Any stable non-null value: callers only hand it back.
int processHeap;

}  // namespace

extern "C" HANDLE WINAPI GetProcessHeap(void) { return &processHeap; }

extern "C" LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    if (!heap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    void* block = (flags & HEAP_ZERO_MEMORY) ? calloc(1, bytes ? bytes : 1) : malloc(bytes ? bytes : 1);
    if (!block) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

extern "C" BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID memory) {
    if (!heap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    free(memory);
    return TRUE;
}
