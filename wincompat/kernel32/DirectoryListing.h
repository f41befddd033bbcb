// The entries of a folder handle, handed out a buffer at a time by
// GetFileInformationByHandleEx: listed once from the folder the handle holds
// (a second descriptor opened through it, O_DIRECTORY, so nothing but a
// folder is ever opened), in NTFS order, each described as it is handed out.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace wincompat {

class DirectoryListing {
public:
    explicit DirectoryListing(int handleFd);
    ~DirectoryListing();
    DirectoryListing(const DirectoryListing&) = delete;
    DirectoryListing& operator=(const DirectoryListing&) = delete;

    // Fills the buffer with FILE_ID_BOTH_DIR_INFO records from the next entry
    // on (from the first when restart is set). ERROR_NO_MORE_FILES after the
    // last, ERROR_MORE_DATA when not even one fits, the listing's error when
    // the folder could not be read.
    DWORD Fill(BYTE* buffer, DWORD size, bool restart);

private:
    bool Describe(const std::string& name, BYTE* at, DWORD room, DWORD& used) const;

    std::mutex mutex_;
    int fd_ = -1;
    DWORD error_ = ERROR_SUCCESS;
    std::vector<std::string> names_;
    size_t next_ = 0;
};

}  // namespace wincompat
