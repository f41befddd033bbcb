// FindFirstFileW, FindNextFileW and FindClose. A search is a kernel object in
// the handle table; only FindClose ends it, as on Windows.
#include <windows.h>

#include "kernel32/FindFilePattern.h"
#include "kernel32/FindFileSearch.h"
#include "kernel32/Handles.h"
#include "prefix/Prefix.h"

using namespace wincompat;

namespace {

struct SearchTarget {
    std::wstring folder;  // full DOS path
    std::wstring mask;
};

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

bool HasInvalidNameCharacter(std::wstring_view mask) {
    for (wchar_t c : mask)
        if (c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|') return true;
    return false;
}

size_t MaskStart(std::wstring_view pattern) {
    size_t separator = pattern.find_last_of(L"\\/");
    if (separator != std::wstring_view::npos) return separator + 1;
    return pattern.size() >= 2 && pattern[1] == L':' ? 2 : 0;
}

// Splits the pattern into its folder and the mask of its last element. A
// plain name is normalised with the whole path (so "dir\." names "dir"); a
// mask with wildcards is kept as written, trailing dots included.
bool SplitPattern(std::wstring_view pattern, SearchTarget& target, DWORD* error) {
    size_t maskStart = MaskStart(pattern);
    std::wstring_view mask = pattern.substr(maskStart);
    if (HasInvalidNameCharacter(mask)) {
        *error = ERROR_INVALID_NAME;
        return false;
    }
    if (HasWildcard(mask)) {
        std::wstring folder(pattern.substr(0, maskStart));
        if (!FullDosPath(folder.empty() ? L"." : folder, target.folder, error)) return false;
        target.mask = mask;
        return true;
    }
    std::wstring full;
    if (mask.empty() || !FullDosPath(pattern, full, error)) {
        if (mask.empty()) *error = ERROR_FILE_NOT_FOUND;  // a trailing separator names no entry
        return false;
    }
    size_t separator = full.rfind(L'\\');
    target.folder = full.substr(0, separator + 1);
    target.mask = full.substr(separator + 1);
    if (target.mask.empty()) *error = ERROR_FILE_NOT_FOUND;  // a drive root is no entry
    return !target.mask.empty();
}

std::shared_ptr<FindFileSearch> StartSearch(LPCWSTR fileName, DWORD* error) {
    SearchTarget target;
    if (!SplitPattern(fileName, target, error)) return nullptr;
    if (target.folder.back() != L'\\') target.folder += L'\\';
    std::string unixFolder;
    size_t limit = MAX_PATH - 1 > target.mask.size() ? MAX_PATH - 1 - target.mask.size() : 0;
    // Mapped without its separator (one character less to fit), so that a file
    // there is the search's ERROR_DIRECTORY rather than a bad name.
    std::wstring folder = target.folder;
    if (folder.size() > 3 && limit > 0) {
        folder.pop_back();
        --limit;
    }
    if (!DosToUnix(folder, unixFolder, error, limit)) return nullptr;
    return FindFileSearch::Start(target.folder, unixFolder, target.mask, error);
}

}  // namespace

extern "C" HANDLE WINAPI FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findFileData) {
    if (!fileName || !*fileName) return Fail(ERROR_PATH_NOT_FOUND);
    if (!findFileData) return Fail(ERROR_INVALID_PARAMETER);
    DWORD error = ERROR_PATH_NOT_FOUND;
    std::shared_ptr<FindFileSearch> search = StartSearch(fileName, &error);
    if (!search) return Fail(error);
    // Every listed entry may have gone before it could be described.
    if (!search->Next(*findFileData)) return Fail(ERROR_FILE_NOT_FOUND);
    return AddHandle(search);
}

extern "C" BOOL WINAPI FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findFileData) {
    std::shared_ptr<FindFileSearch> search = FindHandleOf<FindFileSearch>(findFile);
    if (!search) return FALSE;
    if (!findFileData) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (search->Next(*findFileData)) return TRUE;
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
}

extern "C" BOOL WINAPI FindClose(HANDLE findFile) {
    if (!FindHandleOf<FindFileSearch>(findFile)) return FALSE;
    RemoveHandle(findFile);
    return TRUE;
}
