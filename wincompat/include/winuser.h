// user32: text formatting (windows and messages come with the UI).
#pragma once

#include <windef.h>

WINCOMPAT_BEGIN_DECLS
int WINAPIV wsprintfW(LPWSTR buffer, LPCWSTR format, ...);
WINCOMPAT_END_DECLS
