// Microsoft C runtime functions that the C library lacks. Reached through the
// stdlib.h, wchar.h, string.h and time.h of this folder, as on Windows.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct tm;

#ifdef __cplusplus
extern "C" {
#endif

typedef int64_t __time64_t;
#ifndef _ERRNO_T_DEFINED
#define _ERRNO_T_DEFINED
typedef int errno_t;
#endif

int _wtoi(const wchar_t* str);
long _wtol(const wchar_t* str);
int _wcsicmp(const wchar_t* a, const wchar_t* b);
int _wcsnicmp(const wchar_t* a, const wchar_t* b, size_t count);
int _stricmp(const char* a, const char* b);
__time64_t _time64(__time64_t* timer);
struct tm* _localtime64(const __time64_t* timer);

// Paths: _MAX_* count characters with the terminator.
#define _MAX_PATH 260
#define _MAX_DRIVE 3
#define _MAX_DIR 256
#define _MAX_FNAME 256
#define _MAX_EXT 256

// The full path of relPath (the current folder when NULL or empty) in absPath
// of maxLength characters; with absPath NULL, a malloc'ed buffer of _MAX_PATH.
// NULL with errno ERANGE when it does not fit, EINVAL when it cannot be formed.
wchar_t* _wfullpath(wchar_t* absPath, const wchar_t* relPath, size_t maxLength);
// Splits a path into drive, folder (with its final separator), file name and
// extension (with its dot). A NULL buffer skips a part; its size must be 0.
// EINVAL for bad arguments, ERANGE when a part does not fit; every given
// buffer is then left empty.
errno_t _wsplitpath_s(const wchar_t* path, wchar_t* drive, size_t driveNumberOfElements, wchar_t* dir,
                      size_t dirNumberOfElements, wchar_t* fname, size_t nameNumberOfElements,
                      wchar_t* ext, size_t extNumberOfElements);

#ifdef __cplusplus
}
#endif
