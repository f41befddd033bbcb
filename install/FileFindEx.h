// A directory search over FindFirstFileW / FindNextFileW that keeps one entry
// ahead, so a walk knows while handling an entry whether more follow.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

class CFileFindEx {
public:
    CFileFindEx() = default;
    CFileFindEx(const CFileFindEx&) = delete;
    CFileFindEx& operator=(const CFileFindEx&) = delete;
    virtual ~CFileFindEx();

    // The current entry; empty, or false, before the first FindNext.
    virtual std::wstring GetName() const;
    virtual std::wstring GetPath() const;
    virtual std::wstring GetTitle() const;
    virtual std::wstring GetUrl() const;
    // The searched folder, ending with a separator.
    virtual std::wstring GetRoot() const;
    virtual BOOL GetAccessTime(FILETIME* time) const;
    virtual BOOL GetCreationTime(FILETIME* time) const;
    virtual BOOL HasAttributes(DWORD mask) const;
    virtual BOOL IsDotEntry() const;

    // Starts a search (NULL means "*.*"). Patterns over MAX_PATH - 1
    // characters fail with ERROR_BAD_ARGUMENTS. The first entry becomes
    // current with the first FindNext.
    virtual BOOL FindFirst(LPCWSTR pattern = nullptr, DWORD unused = 0);
    // Makes the next entry current; false when it is the last one.
    virtual BOOL FindNext();
    virtual void CloseSearch();

private:
    void Reset();

    std::unique_ptr<WIN32_FIND_DATAW> current_;
    std::unique_ptr<WIN32_FIND_DATAW> next_;
    HANDLE search_ = nullptr;
    std::wstring root_;
    wchar_t separator_ = L'\\';
};
