// COM task memory: the allocator for memory one side allocates and the other frees.
#include <objbase.h>

#include <stdlib.h>

extern "C" LPVOID WINAPI CoTaskMemAlloc(SIZE_T cb) { return malloc(cb ? cb : 1); }

extern "C" LPVOID WINAPI CoTaskMemRealloc(LPVOID pv, SIZE_T cb) { return realloc(pv, cb ? cb : 1); }

extern "C" void WINAPI CoTaskMemFree(LPVOID pv) { free(pv); }
