#include "kernel32/ProcessSearch.h"

#include "prefix/Prefix.h"

#include <windows.h>

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace wincompat {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool IsRegularFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool HasPath(const std::wstring& name) {
    return name.find_first_of(L"\\/") != std::wstring::npos || (name.size() >= 2 && name[1] == L':');
}

std::vector<std::wstring> NameVariants(const std::wstring& name) {
    size_t element = name.find_last_of(L"\\/");
    bool hasExtension = name.find(L'.', element == std::wstring::npos ? 0 : element) != std::wstring::npos;
    if (hasExtension) return {name};
    return {name + L".exe", name};
}

bool FindAsDosPath(const std::wstring& path, std::string& unixPath) {
    for (const std::wstring& variant : NameVariants(path)) {
        std::string mapped;
        DWORD error = 0;
        if (DosToUnix(variant, mapped, &error, 32767) && IsRegularFile(mapped)) {
            unixPath = mapped;
            return true;
        }
    }
    return false;
}

std::string RunningExecutableFolder() {
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) return {};
    std::string text(path, static_cast<size_t>(length));
    return text.substr(0, text.rfind('/'));
}

std::wstring DosFolder(const std::string& unixFolder) {
    return unixFolder.empty() ? std::wstring() : UnixToDos(unixFolder);
}

std::vector<std::wstring> UnixPathFolders() {
    std::vector<std::wstring> folders;
    const char* path = getenv("PATH");
    std::string text = path ? path : "";
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(':', start);
        if (end == std::string::npos) end = text.size();
        if (end > start) folders.push_back(DosFolder(text.substr(start, end - start)));
        start = end + 1;
    }
    return folders;
}

bool FindInFolders(const std::vector<std::wstring>& folders, const std::wstring& name, std::string& unixPath) {
    for (const std::wstring& folder : folders)
        if (!folder.empty() && FindAsDosPath(folder + L"\\" + name, unixPath)) return true;
    return false;
}

bool FindBareName(const std::wstring& name, std::string& unixPath) {
    WCHAR current[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    std::wstring currentFolder = length && length < MAX_PATH ? std::wstring(current, length) : std::wstring();
    if (FindInFolders({DosFolder(RunningExecutableFolder()), currentFolder}, name, unixPath)) return true;
    if (FindInFolders({L"C:\\windows\\system32", L"C:\\windows"}, name, unixPath)) return true;
    return FindInFolders(UnixPathFolders(), name, unixPath);
}

}  // namespace

bool FindProgram(const std::wstring& name, std::string& unixPath) {
    if (name.empty()) return false;
    return HasPath(name) ? FindAsDosPath(name, unixPath) : FindBareName(name, unixPath);
}

bool FindProgramOfCommandLine(const std::wstring& commandLine, ProgramChoice& choice) {
    size_t start = 0;
    while (start < commandLine.size() && IsBlank(commandLine[start])) ++start;
    if (start < commandLine.size() && commandLine[start] == L'"') {
        size_t close = commandLine.find(L'"', start + 1);
        size_t end = close == std::wstring::npos ? commandLine.size() : close;
        choice.name = commandLine.substr(start + 1, end - start - 1);
        choice.nameLength = close == std::wstring::npos ? end : close + 1;
        return FindProgram(choice.name, choice.unixPath);
    }
    for (size_t end = start; end <= commandLine.size(); ++end) {
        if (end < commandLine.size() && !IsBlank(commandLine[end])) continue;
        if (end == start || IsBlank(commandLine[end - 1])) continue;
        std::wstring candidate = commandLine.substr(start, end - start);
        if (FindProgram(candidate, choice.unixPath)) {
            choice.name = candidate;
            choice.nameLength = end;
            return true;
        }
    }
    return false;
}

}  // namespace wincompat
