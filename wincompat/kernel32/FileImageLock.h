// The hold a mapped library keeps on its file, as Windows' image section
// does: the file may be renamed, but not deleted or opened for writing.
#pragma once

#include <memory>
#include <string>

namespace wincompat {

class FileImageLock {
public:
    // Null when the file cannot be opened for reading.
    static std::unique_ptr<FileImageLock> Hold(const std::string& unixPath);
    ~FileImageLock();
    FileImageLock(const FileImageLock&) = delete;
    FileImageLock& operator=(const FileImageLock&) = delete;

private:
    explicit FileImageLock(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace wincompat
