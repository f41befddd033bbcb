// The prefix: a Windows machine on disk in Wine's layout. Maps Windows paths
// to unix paths and back, and creates the standard folders on first use.
#pragma once

#include <windef.h>
#include <winerror.h>

#include <string>
#include <string_view>

namespace wincompat {

// The prefix folder (WINCOMPAT_PREFIX, default ~/.wincompat), created with
// Wine's layout on first call. Empty when it cannot be created; the reason
// has then been written once to standard error.
const std::string& PrefixRoot();

// The unix login, which names the profile folder under C:\users.
const std::wstring& UserName();

// Turns any Windows path into a full one: drive letter upper-case, "\" as
// separator, "." and ".." resolved, trailing dots and spaces of each element
// removed, relative paths taken from the current directory. "\\?\" and "\??\"
// prefixes are dropped. Returns false (with *error set) for paths it cannot
// express, such as UNC paths.
bool FullDosPath(std::wstring_view path, std::wstring& full, DWORD* error);

// Maps a Windows path to the unix path that holds it. Existing elements are
// found without regard to case; missing ones keep the case given. maxLength
// is the longest full path the calling API accepts (MAX_PATH - 1 for most).
// A trailing separator after an existing file ("C:\a.txt\") is
// ERROR_INVALID_NAME, as Windows answers; after a folder it is fine.
bool DosToUnix(std::wstring_view path, std::string& unixPath, DWORD* error,
               size_t maxLength = MAX_PATH - 1);

// What the mapping learnt of the last element: Missing when the folder that
// should hold it exists and holds no such name in any case, at the moment
// of the lookup.
enum class PathEnd { Unknown, Missing };

// DosToUnix that also answers what it learnt of the last element, so a
// caller need not look again.
bool MapDosPath(std::wstring_view path, std::string& unixPath, DWORD* error, PathEnd& end,
                size_t maxLength = MAX_PATH - 1);

// Maps a unix path to the Windows path of the drive that holds it, the
// drive with the longest matching root winning (C: for the prefix's drive_c,
// Z: for everything else).
std::wstring UnixToDos(std::string_view unixPath);

// Windows error code for an errno value.
DWORD ErrorFromErrno(int error);

// Case-insensitive comparison as Windows file names and registry keys use it.
int CompareNoCase(std::wstring_view a, std::wstring_view b);
bool EqualNoCase(std::wstring_view a, std::wstring_view b);
wchar_t UpperCase(wchar_t c);

// Unix file names and the registry files hold UTF-8.
std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);

}  // namespace wincompat
