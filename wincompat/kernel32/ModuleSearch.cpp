#include "kernel32/ModuleSearch.h"

#include "kernel32/BuiltinExports.h"
#include "prefix/Machine.h"
#include "prefix/Prefix.h"

#include <unistd.h>

#include <atomic>
#include <map>
#include <set>

namespace wincompat {

namespace {

constexpr DWORD kApplicationDir = 0x00000200;  // LOAD_LIBRARY_SEARCH_APPLICATION_DIR
constexpr DWORD kUserDirs = 0x00000400;        // LOAD_LIBRARY_SEARCH_USER_DIRS
constexpr DWORD kSearchFlags = kApplicationDir | kUserDirs | LOAD_LIBRARY_SEARCH_SYSTEM32 |
                               LOAD_LIBRARY_SEARCH_DEFAULT_DIRS;

// 0 means the classic order, which starts in the program's own folder.
std::atomic<DWORD> defaultSearch{0};

// Windows names of libraries that the system provides as unix shared objects.
const std::map<std::string, std::string> kUnixBackedLibraries = {
    {"7z.dll", "/usr/lib/p7zip/7z.so"},
};

// Session Manager's KnownDLLs of Windows 10: always taken from the system,
// never from the program's folder.
const std::set<std::string> kKnownDlls = {
    "advapi32.dll", "clbcatq.dll",  "combase.dll",  "comdlg32.dll", "coml2.dll",    "difxapi.dll",
    "gdi32.dll",    "gdiplus.dll",  "imagehlp.dll", "imm32.dll",    "kernel32.dll", "msctf.dll",
    "msvcrt.dll",   "normaliz.dll", "nsi.dll",      "ntdll.dll",    "ole32.dll",    "oleaut32.dll",
    "psapi.dll",    "rpcrt4.dll",   "sechost.dll",  "setupapi.dll", "shcore.dll",   "shell32.dll",
    "shlwapi.dll",  "user32.dll",   "wldap32.dll",  "ws2_32.dll",
};

bool ExistingFile(const std::wstring& dosPath, std::string& unixPath) {
    DWORD error = 0;
    return DosToUnix(dosPath, unixPath, &error) && access(unixPath.c_str(), F_OK) == 0;
}

std::wstring ApplicationFolder() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

bool SearchesApplicationFolder(DWORD flags) {
    DWORD search = flags & kSearchFlags;
    if (search == 0) search = defaultSearch.load();
    if (search == 0) return true;
    return (search & (kApplicationDir | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS)) != 0;
}

bool FromSystemFolder(std::wstring_view requested, const std::string& name, std::string& unixPath) {
    if (IsBuiltinModule(name)) {
        unixPath.clear();
        return true;
    }
    auto backed = kUnixBackedLibraries.find(name);
    if (backed != kUnixBackedLibraries.end()) {
        unixPath = backed->second;
        return true;
    }
    return ExistingFile(SystemFolder() + L"\\" + std::wstring(requested), unixPath);
}

}  // namespace

std::wstring SystemFolder() {
    return CurrentMachine().RunsUnderWow64() ? L"C:\\windows\\syswow64" : L"C:\\windows\\system32";
}

bool SetDefaultSearchFlags(DWORD flags) {
    if (flags == 0 || (flags & ~kSearchFlags) != 0) return false;
    defaultSearch.store(flags);
    return true;
}

bool SearchLibrary(std::wstring_view requested, const std::string& name, DWORD flags, std::string& unixPath) {
    if (!kKnownDlls.count(name) && SearchesApplicationFolder(flags)) {
        std::wstring folder = ApplicationFolder();
        if (!folder.empty() && ExistingFile(folder + L"\\" + std::wstring(requested), unixPath)) return true;
    }
    return FromSystemFolder(requested, name, unixPath);
}

}  // namespace wincompat
