#include "app/InstallFolderCheck.h"

#include "app/ProductPaths.h"

#include <windows.h>
#include <shlobj.h>
#include <wchar.h>

#include <algorithm>

namespace {

// What the install puts after the folder's trailing backslash, longest
// first: the last name the rename-in-place rule may give a held library.
const wchar_t kLongestMovedAsideSuffix[] = L".remove11";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool IsRefusedCharacter(wchar_t c) { return c < 32 || wcschr(L"<>:\"|?*", c) != nullptr; }

std::wstring WithoutTrailingSeparators(std::wstring path) {
    while (path.size() > 3 && IsSeparator(path.back())) path.pop_back();
    return path;
}

// Every name between separators after "X:\" must be a real name: not empty,
// not made of dots and blanks alone (Windows reads "..." as ".."), and free
// of the characters Windows refuses in names.
bool HasOnlyRealComponents(const std::wstring& path) {
    size_t start = 3;
    while (start < path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        std::wstring component = path.substr(start, end - start);
        if (component.find_first_not_of(L". ") == std::wstring::npos) return false;
        for (wchar_t c : component)
            if (IsRefusedCharacter(c)) return false;
        start = end + 1;
    }
    return true;
}

size_t LongestNameInFolder() {
    size_t longest = wcslen(VersionFileName);
    for (const wchar_t* library : ShellExtensionLibraries)
        longest = std::max(longest, wcslen(library) + wcslen(kLongestMovedAsideSuffix));
    return longest;
}

// The install step gives every step the folder with one more backslash.
bool FitsEveryRecord(const std::wstring& path) { return path.size() + 1 + LongestNameInFolder() < MAX_PATH; }

std::wstring SpecialFolder(int csidl) {
    WCHAR folder[MAX_PATH] = {};
    return SHGetSpecialFolderPathW(nullptr, folder, csidl, FALSE) ? std::wstring(folder) : std::wstring();
}

// Granting Everyone full control on one of these would open the whole
// machine, not a product folder.
bool IsSystemFolder(const std::wstring& path) {
    if (path.size() <= 3) return true;  // "X:\"
    for (int csidl : {CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86})
        if (IsSameFolder(path, SpecialFolder(csidl))) return true;
    return false;
}

std::wstring ParentFolder(const std::wstring& path) {
    size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return std::wstring();
    return path.substr(0, separator < 3 ? 3 : separator);
}

bool IsFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

bool IsSameFolder(const std::wstring& a, const std::wstring& b) {
    return !a.empty() && !b.empty() &&
           _wcsicmp(WithoutTrailingSeparators(a).c_str(), WithoutTrailingSeparators(b).c_str()) == 0;
}

InstallFolderVerdict CheckInstallFolder(const std::wstring& text) {
    if (text.size() < 3 || !IsDriveLetter(text[0]) || text[1] != L':' || !IsSeparator(text[2]))
        return InstallFolderVerdict::NotOnDrive;
    const std::wstring path = WithoutTrailingSeparators(text);
    if (!HasOnlyRealComponents(path) || (text.size() > path.size() + 1 && path.size() > 3))
        return InstallFolderVerdict::BadComponent;  // "C:\A\\" ends in an empty name
    if (!FitsEveryRecord(text)) return InstallFolderVerdict::TooLong;
    if (IsSystemFolder(path)) return InstallFolderVerdict::SystemFolder;

    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return InstallFolderVerdict::IsLink;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return InstallFolderVerdict::IsFile;
        return InstallFolderVerdict::Acceptable;
    }
    if (!IsFolder(GetFileAttributesW(ParentFolder(path).c_str()))) return InstallFolderVerdict::NoParentFolder;
    return InstallFolderVerdict::Acceptable;
}

const char* DescribeInstallFolderVerdict(InstallFolderVerdict verdict) {
    switch (verdict) {
        case InstallFolderVerdict::Acceptable: return "acceptable";
        case InstallFolderVerdict::NotOnDrive: return "not a full path on a drive";
        case InstallFolderVerdict::BadComponent: return "a name in the path is not valid";
        case InstallFolderVerdict::TooLong: return "the path is too long";
        case InstallFolderVerdict::SystemFolder: return "a drive root or system folder";
        case InstallFolderVerdict::IsFile: return "an existing file, not a folder";
        case InstallFolderVerdict::IsLink: return "a symbolic link or junction";
        case InstallFolderVerdict::NoParentFolder: return "neither the folder nor its parent folder exists";
    }
    return "not acceptable";
}
