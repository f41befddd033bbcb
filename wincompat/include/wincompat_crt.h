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

#ifdef __cplusplus
}
#endif
