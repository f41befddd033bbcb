// kernel32: mutexes. Waiting for any object is WaitForSingleObject (winbase.h).
#pragma once

#include <winbase.h>

#ifndef MUTEX_MODIFY_STATE
#define MUTEX_MODIFY_STATE 0x0001
#define MUTEX_ALL_ACCESS (STANDARD_RIGHTS_REQUIRED | SYNCHRONIZE | MUTEX_MODIFY_STATE)
#endif

WINCOMPAT_BEGIN_DECLS

// A named mutex is an object of the prefix, seen by all its processes; it
// goes when the last handle to it closes, in whatever process. "Global\" and
// "Local\" name the namespace (Local without one). The security attributes
// are not used: handles are not inherited.
HANDLE WINAPI CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);
HANDLE WINAPI OpenMutexW(DWORD desiredAccess, BOOL inheritHandle, LPCWSTR name);
BOOL WINAPI ReleaseMutex(HANDLE mutex);

WINCOMPAT_END_DECLS
