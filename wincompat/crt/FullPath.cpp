// _wfullpath of the Microsoft C runtime, over GetFullPathNameW.
#include <stdlib.h>
#include <windows.h>

#include <errno.h>
#include <string.h>
#include <wchar.h>

#include <vector>

extern "C" wchar_t* _wfullpath(wchar_t* absPath, const wchar_t* relPath, size_t maxLength) {
    if (!relPath || !*relPath) relPath = L".";
    DWORD needed = GetFullPathNameW(relPath, 0, nullptr, nullptr);
    if (needed == 0) {
        errno = EINVAL;
        return nullptr;
    }
    std::vector<wchar_t> full(needed);
    DWORD length = GetFullPathNameW(relPath, needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        errno = EINVAL;
        return nullptr;
    }
    // Without a buffer the runtime allocates _MAX_PATH characters and ignores maxLength.
    size_t capacity = absPath ? maxLength : _MAX_PATH;
    if (length + 1 > capacity) {
        errno = ERANGE;
        return nullptr;
    }
    wchar_t* result = absPath ? absPath : static_cast<wchar_t*>(malloc(_MAX_PATH * sizeof(wchar_t)));
    if (!result) {
        errno = ENOMEM;
        return nullptr;
    }
    wmemcpy(result, full.data(), length + 1);
    return result;
}
