// Local heap blocks, used for buffers a call hands to its caller.
#include <windows.h>

#include <stdlib.h>

extern "C" HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes) {
    void* block = (flags & LMEM_ZEROINIT) ? calloc(1, bytes ? bytes : 1) : malloc(bytes ? bytes : 1);
    if (!block) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

extern "C" HLOCAL WINAPI LocalFree(HLOCAL memory) {
    free(memory);
    return nullptr;
}
