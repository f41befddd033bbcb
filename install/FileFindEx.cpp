#include "install/FileFindEx.h"

#include <stdlib.h>
#include <wchar.h>

namespace {

bool IsOpen(HANDLE search) { return search != nullptr && search != INVALID_HANDLE_VALUE; }

// The drive and folder of the pattern's full path, ending with a separator.
bool RootOf(LPCWSTR pattern, std::wstring& root) {
    wchar_t full[MAX_PATH];
    if (!_wfullpath(full, pattern, MAX_PATH)) return false;
    wchar_t drive[_MAX_DRIVE];
    wchar_t folder[_MAX_DIR];
    if (_wsplitpath_s(full, drive, _MAX_DRIVE, folder, _MAX_DIR, nullptr, 0, nullptr, 0) != 0) return false;
    root = std::wstring(drive) + folder;
    return true;
}

}  // namespace

CFileFindEx::~CFileFindEx() {
    if (IsOpen(search_)) CloseSearch();
}

std::wstring CFileFindEx::GetName() const { return current_ ? current_->cFileName : L""; }

std::wstring CFileFindEx::GetPath() const {
    std::wstring path = root_;
    if (path.empty() || (path.back() != L'\\' && path.back() != L'/')) path += separator_;
    return path + GetName();
}

std::wstring CFileFindEx::GetTitle() const {
    wchar_t title[_MAX_FNAME];
    if (_wsplitpath_s(GetName().c_str(), nullptr, 0, nullptr, 0, title, _MAX_FNAME, nullptr, 0) != 0) return L"";
    return title;
}

std::wstring CFileFindEx::GetUrl() const { return L"file://" + GetPath(); }

std::wstring CFileFindEx::GetRoot() const { return root_; }

BOOL CFileFindEx::GetAccessTime(FILETIME* time) const {
    if (!current_ || !time) return FALSE;
    *time = current_->ftLastAccessTime;
    return TRUE;
}

BOOL CFileFindEx::GetCreationTime(FILETIME* time) const {
    if (!current_ || !time) return FALSE;
    *time = current_->ftCreationTime;
    return TRUE;
}

BOOL CFileFindEx::HasAttributes(DWORD mask) const { return current_ && (current_->dwFileAttributes & mask) != 0; }

BOOL CFileFindEx::IsDotEntry() const {
    if (!HasAttributes(FILE_ATTRIBUTE_DIRECTORY)) return FALSE;
    std::wstring name = GetName();
    return name == L"." || name == L"..";
}

BOOL CFileFindEx::FindFirst(LPCWSTR pattern, DWORD unused) {
    Reset();
    if (!pattern) pattern = L"*.*";
    if (wcslen(pattern) > MAX_PATH - 1) {
        SetLastError(ERROR_BAD_ARGUMENTS);
        return FALSE;
    }
    next_ = std::make_unique<WIN32_FIND_DATAW>();
    search_ = FindFirstFileW(pattern, next_.get());
    if (search_ == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        Reset();
        SetLastError(error);
        return FALSE;
    }
    if (!RootOf(pattern, root_)) {
        Reset();
        SetLastError(ERROR_INVALID_NAME);
        return FALSE;
    }
    return TRUE;
}

BOOL CFileFindEx::FindNext() {
    if (!IsOpen(search_)) return FALSE;
    if (!current_) current_ = std::make_unique<WIN32_FIND_DATAW>();
    current_.swap(next_);
    return FindNextFileW(search_, next_.get());
}

void CFileFindEx::CloseSearch() {
    FindClose(search_);
    search_ = nullptr;
}

// Closes any search and drops both entries and the root.
void CFileFindEx::Reset() {
    if (IsOpen(search_)) CloseSearch();
    search_ = nullptr;
    current_.reset();
    next_.reset();
    root_.clear();
}
