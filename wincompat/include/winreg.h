// advapi32: the registry.
//
// Sizes are in bytes of the caller's buffers, as on Windows. For the string
// types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) they count WCHARs:
// (characters + 1) * sizeof(WCHAR) for a terminated REG_SZ. WCHAR is 4 bytes
// here, so such a size is twice the Windows figure; the store keeps the text
// itself (UTF-16 in the hive files, as Windows and Wine do) and converts at
// this boundary. Name lengths (RegEnumKeyExW, RegEnumValueW) are in WCHARs.
#pragma once

#include <windef.h>
#include <winnt.h>

typedef DWORD REGSAM;
typedef REGSAM* PREGSAM;
typedef DWORD SECURITY_INFORMATION;
typedef PVOID PSECURITY_DESCRIPTOR;
struct _SECURITY_ATTRIBUTES;

#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)((LONG)0x80000000))
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)((LONG)0x80000001))
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)((LONG)0x80000002))
#define HKEY_USERS ((HKEY)(ULONG_PTR)((LONG)0x80000003))

#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_WOW64_RES 0x0300
#define KEY_READ ((STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY) & ~SYNCHRONIZE)
#define KEY_WRITE ((STANDARD_RIGHTS_WRITE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY) & ~SYNCHRONIZE)
#define KEY_EXECUTE (KEY_READ & ~SYNCHRONIZE)
#define KEY_ALL_ACCESS                                                                        \
    ((STANDARD_RIGHTS_ALL | KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY |           \
      KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY | KEY_CREATE_LINK) & ~SYNCHRONIZE)

#define REG_OPTION_RESERVED 0x00000000
#define REG_OPTION_NON_VOLATILE 0x00000000
#define REG_OPTION_VOLATILE 0x00000001
#define REG_OPTION_CREATE_LINK 0x00000002
#define REG_OPTION_BACKUP_RESTORE 0x00000004
#define REG_OPTION_OPEN_LINK 0x00000008

#define REG_CREATED_NEW_KEY 0x00000001
#define REG_OPENED_EXISTING_KEY 0x00000002

#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_RESOURCE_LIST 8
#define REG_FULL_RESOURCE_DESCRIPTOR 9
#define REG_RESOURCE_REQUIREMENTS_LIST 10
#define REG_QWORD 11
#define REG_QWORD_LITTLE_ENDIAN 11

WINCOMPAT_BEGIN_DECLS

LONG WINAPI RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, REGSAM samDesired, PHKEY result);
LONG WINAPI RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                            REGSAM samDesired, struct _SECURITY_ATTRIBUTES* securityAttributes,
                            PHKEY result, LPDWORD disposition);
LONG WINAPI RegCloseKey(HKEY key);
// Makes what this process wrote to the registry durable (on disk).
LONG WINAPI RegFlushKey(HKEY key);
// Fails with ERROR_ACCESS_DENIED when the key has subkeys, as on Windows.
LONG WINAPI RegDeleteKeyW(HKEY key, LPCWSTR subKey);
LONG WINAPI RegDeleteKeyExW(HKEY key, LPCWSTR subKey, REGSAM samDesired, DWORD reserved);
// Deletes the subkeys and values of key\subKey, and key\subKey itself when subKey is given.
LONG WINAPI RegDeleteTreeW(HKEY key, LPCWSTR subKey);
LONG WINAPI RegEnumKeyW(HKEY key, DWORD index, LPWSTR name, DWORD nameLength);
LONG WINAPI RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD reserved,
                          LPWSTR keyClass, LPDWORD classLength, PFILETIME lastWriteTime);

LONG WINAPI RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD dataSize);
LONG WINAPI RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                             LPDWORD dataSize);
LONG WINAPI RegDeleteValueW(HKEY key, LPCWSTR valueName);
LONG WINAPI RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameLength,
                          LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize);

WINCOMPAT_END_DECLS

WINCOMPAT_BEGIN_DECLS

// Key security: the descriptor persists with the key and is checked when the key is opened.
LONG WINAPI RegSetKeySecurity(HKEY key, SECURITY_INFORMATION securityInformation,
                              PSECURITY_DESCRIPTOR securityDescriptor);
LONG WINAPI RegGetKeySecurity(HKEY key, SECURITY_INFORMATION securityInformation,
                              PSECURITY_DESCRIPTOR securityDescriptor, LPDWORD securityDescriptorSize);

WINCOMPAT_END_DECLS
