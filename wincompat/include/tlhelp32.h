// Tool help: snapshots of the running processes.
//
// PROCESSENTRY32W has Windows's members in Windows's order, but its size is
// not Windows's 556 bytes (the 32-bit figure): WCHAR is 4 bytes and
// ULONG_PTR 8 here, so sizeof(PROCESSENTRY32W) is larger. Callers set
// dwSize = sizeof(PROCESSENTRY32W), as on Windows; a smaller dwSize is
// refused with ERROR_BAD_LENGTH.
#pragma once

#include <windows.h>

#define TH32CS_SNAPHEAPLIST 0x00000001
#define TH32CS_SNAPPROCESS 0x00000002
#define TH32CS_SNAPTHREAD 0x00000004
#define TH32CS_SNAPMODULE 0x00000008
#define TH32CS_SNAPMODULE32 0x00000010
#define TH32CS_SNAPALL (TH32CS_SNAPHEAPLIST | TH32CS_SNAPPROCESS | TH32CS_SNAPTHREAD | TH32CS_SNAPMODULE)
#define TH32CS_INHERIT 0x80000000

#ifndef ERROR_BAD_LENGTH
#define ERROR_BAD_LENGTH 24L
#endif

typedef struct tagPROCESSENTRY32W {
    DWORD dwSize;
    DWORD cntUsage;
    DWORD th32ProcessID;
    ULONG_PTR th32DefaultHeapID;
    DWORD th32ModuleID;
    DWORD cntThreads;
    DWORD th32ParentProcessID;
    LONG pcPriClassBase;
    DWORD dwFlags;
    WCHAR szExeFile[MAX_PATH];
} PROCESSENTRY32W, *PPROCESSENTRY32W, *LPPROCESSENTRY32W;

WINCOMPAT_BEGIN_DECLS

// Only TH32CS_SNAPPROCESS is supported (ERROR_NOT_SUPPORTED otherwise);
// processId is ignored for it, as on Windows. The processes listed are those
// of this prefix only (kernel32/ProcessScope.h).
HANDLE WINAPI CreateToolhelp32Snapshot(DWORD flags, DWORD processId);
BOOL WINAPI Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry);
// FALSE with ERROR_NO_MORE_FILES after the last entry.
BOOL WINAPI Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry);

WINCOMPAT_END_DECLS
