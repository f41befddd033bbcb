#include "install/SevenZipItemPath.h"

#include <windows.h>

namespace sevenzip {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Windows drops trailing dots and spaces from a name, so a component made of
// dots and spaces with two dots or more climbs like "..".
bool ClimbsUp(std::wstring_view component) {
    if (component.find_first_not_of(L". ") != std::wstring_view::npos) return false;
    return component.find(L"..") != std::wstring_view::npos;
}

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// "C:" or "C:\" or "\" alone: roots that are never created.
bool IsRoot(const std::wstring& path) {
    if (path.empty()) return true;
    if (path.size() == 2 && path[1] == L':') return true;
    return path.find_first_not_of(L"\\/") == std::wstring::npos ||
           (path.size() == 3 && path[1] == L':' && IsSeparator(path[2]));
}

// A link at the place of a folder is removed (the link, never its target)
// and a real folder made there.
void MakeRealFolder(const std::wstring& folder) {
    DWORD attributes = GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryW(folder.c_str());
        else DeleteFileW(folder.c_str());
        attributes = INVALID_FILE_ATTRIBUTES;
    }
    if (attributes == INVALID_FILE_ATTRIBUTES) CreateDirectoryW(folder.c_str(), nullptr);
}

}  // namespace

bool IsContainedItemPath(const std::wstring& itemPath) {
    if (itemPath.empty() || IsSeparator(itemPath.front())) return false;
    if (itemPath.find(L':') != std::wstring::npos) return false;
    size_t start = 0;
    while (start <= itemPath.size()) {
        size_t end = start;
        while (end < itemPath.size() && !IsSeparator(itemPath[end])) ++end;
        if (ClimbsUp(std::wstring_view(itemPath).substr(start, end - start))) return false;
        start = end + 1;
    }
    return true;
}

std::wstring ParentOfPath(const std::wstring& path) {
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

void CreateMissingFolders(const std::wstring& path) {
    std::wstring folder = path;
    while (!folder.empty() && IsSeparator(folder.back())) folder.pop_back();
    if (IsRoot(folder) || IsFolder(folder)) return;
    CreateMissingFolders(ParentOfPath(folder));
    CreateDirectoryW(folder.c_str(), nullptr);
}

void CreateRealFolders(const std::wstring& base, const std::wstring& relative) {
    std::wstring folder = base;
    size_t start = 0;
    while (start < relative.size()) {
        size_t end = relative.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = relative.size();
        if (end > start) {
            folder.append(relative, start, end - start);
            MakeRealFolder(folder);
            folder += L'\\';
        }
        start = end + 1;
    }
}

}  // namespace sevenzip
