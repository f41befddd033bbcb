// Basic Windows types, as the Windows headers define them for a program that
// uses wide text. WCHAR is wchar_t (4 bytes here, 2 on Windows).
#pragma once

#include <stddef.h>
#include <stdint.h>

#define WINAPI
#define CALLBACK
#define APIENTRY
#define STDMETHODCALLTYPE
#define WINAPIV
#define CONST const
#define VOID void

#ifdef __cplusplus
#define WINCOMPAT_EXTERN_C extern "C"
#define WINCOMPAT_BEGIN_DECLS extern "C" {
#define WINCOMPAT_END_DECLS }
#else
#define WINCOMPAT_EXTERN_C
#define WINCOMPAT_BEGIN_DECLS
#define WINCOMPAT_END_DECLS
#endif

typedef int BOOL;
typedef BOOL* PBOOL;
typedef BOOL* LPBOOL;
typedef unsigned char BYTE;
typedef BYTE* PBYTE;
typedef BYTE* LPBYTE;
typedef unsigned char UCHAR;
typedef unsigned char BOOLEAN;
typedef unsigned short WORD;
typedef WORD* PWORD;
typedef WORD* LPWORD;
typedef unsigned short USHORT;
typedef uint32_t DWORD;
typedef DWORD* PDWORD;
typedef DWORD* LPDWORD;
typedef uint32_t ULONG;
typedef ULONG* PULONG;
typedef int32_t LONG;
typedef LONG* PLONG;
typedef LONG* LPLONG;
typedef int INT;
typedef unsigned int UINT;
typedef UINT* PUINT;
typedef short SHORT;
typedef char CHAR;
typedef char CCHAR;
typedef float FLOAT;
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef uint64_t DWORD64;
typedef uint64_t DWORDLONG;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef ULONG_PTR SIZE_T;
typedef LONG_PTR SSIZE_T;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef LONG HRESULT;
typedef WORD ATOM;
typedef WORD LANGID;
typedef DWORD LCID;
typedef DWORD COLORREF;

typedef wchar_t WCHAR;
typedef WCHAR* PWCHAR;
typedef WCHAR* LPWSTR;
typedef WCHAR* PWSTR;
typedef const WCHAR* LPCWSTR;
typedef const WCHAR* PCWSTR;
typedef CHAR* LPSTR;
typedef CHAR* PSTR;
typedef const CHAR* LPCSTR;
typedef const CHAR* PCSTR;
typedef WCHAR OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

typedef void* PVOID;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef void* HANDLE;
typedef HANDLE* PHANDLE;
typedef HANDLE* LPHANDLE;

#define WINCOMPAT_DECLARE_HANDLE(name) \
    struct name##__ { int unused; };   \
    typedef struct name##__* name

WINCOMPAT_DECLARE_HANDLE(HINSTANCE);
typedef HINSTANCE HMODULE;
WINCOMPAT_DECLARE_HANDLE(HRSRC);
WINCOMPAT_DECLARE_HANDLE(HKEY);
typedef HKEY* PHKEY;
WINCOMPAT_DECLARE_HANDLE(HWND);
WINCOMPAT_DECLARE_HANDLE(HMENU);
WINCOMPAT_DECLARE_HANDLE(HICON);
typedef HICON HCURSOR;
WINCOMPAT_DECLARE_HANDLE(HBRUSH);
WINCOMPAT_DECLARE_HANDLE(HDC);
WINCOMPAT_DECLARE_HANDLE(HMONITOR);
WINCOMPAT_DECLARE_HANDLE(HBITMAP);
WINCOMPAT_DECLARE_HANDLE(HFONT);
typedef HANDLE HGLOBAL;
typedef HANDLE HLOCAL;

typedef INT_PTR(WINAPI* FARPROC)(void);
typedef LRESULT(CALLBACK* WNDPROC)(HWND, UINT, WPARAM, LPARAM);

#define TRUE 1
#define FALSE 0
#ifndef NULL
#define NULL 0
#endif
#define MAX_PATH 260
#define INFINITE 0xFFFFFFFFu

#define MAKEWORD(a, b) ((WORD)(((BYTE)((a) & 0xff)) | ((WORD)((BYTE)((b) & 0xff))) << 8))
#define MAKELONG(a, b) ((LONG)(((WORD)((a) & 0xffff)) | ((DWORD)((WORD)((b) & 0xffff))) << 16))
#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)(((DWORD_PTR)(w)) & 0xff))
#define HIBYTE(w) ((BYTE)((((DWORD_PTR)(w)) >> 8) & 0xff))

#define MAKEINTRESOURCEW(i) ((LPWSTR)((ULONG_PTR)((WORD)(i))))
#define IS_INTRESOURCE(r) ((((ULONG_PTR)(r)) >> 16) == 0)

typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *PFILETIME, *LPFILETIME;

typedef struct _SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *PSYSTEMTIME, *LPSYSTEMTIME;

typedef union _LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
} LARGE_INTEGER, *PLARGE_INTEGER;

typedef union _ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
} ULARGE_INTEGER, *PULARGE_INTEGER;

typedef struct _GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID, IID, CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT, *PPOINT, *LPPOINT;

typedef struct tagRECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
} RECT, *PRECT, *LPRECT;
typedef const RECT* LPCRECT;

typedef struct tagSIZE {
    LONG cx;
    LONG cy;
} SIZE, *PSIZE, *LPSIZE;
