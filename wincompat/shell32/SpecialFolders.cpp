// Special folders as Windows 10 names them; the prefix's lower-case "users"
// and "windows" folders are found through the case-insensitive lookup.
#include <shlobj.h>

#include "prefix/HostFolders.h"
#include "prefix/Machine.h"
#include "prefix/Prefix.h"

#include <sys/stat.h>
#include <wchar.h>

#include <string>

using namespace wincompat;

namespace {

// Empty for a folder this layer does not know.
std::wstring FolderPath(int csidl) {
    const Machine& machine = CurrentMachine();
    std::wstring profile = L"C:\\Users\\" + UserName();
    std::wstring programFiles64 = L"C:\\Program Files";
    std::wstring programFiles32 = machine.NativeIs64Bit() ? L"C:\\Program Files (x86)" : L"C:\\Program Files";
    switch (csidl & ~CSIDL_FLAG_CREATE) {
    case CSIDL_PROGRAM_FILES: return machine.processBits == 64 ? programFiles64 : programFiles32;
    case CSIDL_PROGRAM_FILESX86: return programFiles32;
    case CSIDL_PROGRAM_FILES_COMMON:
        return (machine.processBits == 64 ? programFiles64 : programFiles32) + L"\\Common Files";
    case CSIDL_LOCAL_APPDATA: return profile + L"\\AppData\\Local";
    case CSIDL_APPDATA: return profile + L"\\AppData\\Roaming";
    case CSIDL_DESKTOP:
    case CSIDL_DESKTOPDIRECTORY: return profile + L"\\Desktop";
    case CSIDL_PROGRAMS: return profile + L"\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs";
    case CSIDL_COMMON_APPDATA: return L"C:\\ProgramData";
    case CSIDL_COMMON_STARTMENU: return L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu";
    case CSIDL_COMMON_PROGRAMS: return L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
    case CSIDL_COMMON_DESKTOPDIRECTORY: return L"C:\\Users\\Public\\Desktop";
    case CSIDL_WINDOWS: return L"C:\\Windows";
    case CSIDL_SYSTEM: return machine.RunsUnderWow64() ? L"C:\\Windows\\SysWOW64" : L"C:\\Windows\\system32";
    default: return std::wstring();
    }
}

// Creates the folder and any missing parents.
bool CreateFolderTree(const std::wstring& path) {
    std::string unixPath;
    if (!DosToUnix(path, unixPath, nullptr)) return false;
    return MakeHostFolders(unixPath);
}

bool FolderExists(const std::wstring& path) {
    std::string unixPath;
    struct stat info;
    return DosToUnix(path, unixPath, nullptr) && stat(unixPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

HRESULT CopyFolder(const std::wstring& path, LPWSTR out) {
    if (path.size() >= MAX_PATH) return E_FAIL;
    wmemcpy(out, path.c_str(), path.size() + 1);
    return S_OK;
}

}  // namespace

extern "C" BOOL WINAPI SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create) {
    std::wstring folder = FolderPath(csidl);
    if (!path || folder.empty()) return FALSE;
    if (create && !FolderExists(folder) && !CreateFolderTree(folder)) return FALSE;
    return SUCCEEDED(CopyFolder(folder, path)) ? TRUE : FALSE;
}

extern "C" HRESULT WINAPI SHGetFolderPathW(HWND owner, int csidl, HANDLE token, DWORD flags, LPWSTR path) {
    std::wstring folder = FolderPath(csidl);
    if (!path) return E_INVALIDARG;
    path[0] = L'\0';
    if (folder.empty()) return E_INVALIDARG;
    if ((csidl & CSIDL_FLAG_CREATE) && !FolderExists(folder) && !CreateFolderTree(folder))
        return HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED);
    return CopyFolder(folder, path);
}
