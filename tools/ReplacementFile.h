// Replaces a file the safe way: the new contents go to a temporary file in
// the same folder, which is renamed over the original when complete. This
// also works on a running executable, which cannot be opened for writing.
#pragma once

#include <cstddef>
#include <string>

class ReplacementFile {
public:
    // Creates the temporary file next to target, which must exist.
    explicit ReplacementFile(std::string target);
    ~ReplacementFile();  // removes the temporary file unless committed
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // False when the temporary file could not be created; error() says why.
    bool ok() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }

    // Appends to the temporary file. Another program may instead write the
    // file named path().
    bool Write(const void* data, size_t size);
    // Gives the temporary file target's permissions, flushes it to disk and
    // renames it over the target.
    bool Commit();

private:
    bool Fail(const std::string& what);

    std::string target_;
    std::string path_;
    std::string error_;
    unsigned mode_ = 0;
    int fd_ = -1;
    bool committed_ = false;
};
