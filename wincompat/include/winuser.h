// user32: text formatting (windows and messages come with the UI).
#pragma once

#include <windef.h>
#include <stdarg.h>

WINCOMPAT_BEGIN_DECLS
int WINAPIV wsprintfW(LPWSTR buffer, LPCWSTR format, ...);
int WINAPI wvsprintfW(LPWSTR buffer, LPCWSTR format, va_list args);
WINCOMPAT_END_DECLS
