// The names of one folder by their case-folded form, so a name given in any
// case is found without reading the folder again.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

#include <string>
#include <string_view>
#include <unordered_map>

namespace wincompat {

// What identifies a folder's state on disk: which folder it is and when its
// list of names last changed.
struct FolderStamp {
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified{};
    timespec changed{};

    bool SameFolder(const FolderStamp& other) const { return device == other.device && inode == other.inode; }
    bool SameState(const FolderStamp& other) const;
    // Changed before the current clock tick. A folder changed within the tick
    // it was read in may change again with the same timestamps, so a stamp
    // that is not settled proves nothing.
    bool Settled() const;
};

FolderStamp StampOf(const struct stat& info);

class FolderNames {
public:
    // Reads the folder open as fd (the descriptor is consumed). False when it
    // cannot be read.
    bool Read(int fd);

    // The on-disk spelling of name, empty when the folder holds no such name.
    std::string Find(std::wstring_view name) const;
    void Add(std::string_view onDisk);
    // False when the index can no longer tell: a name removed while another
    // spelling of it (only unix tools make those) may remain.
    bool Remove(std::string_view onDisk);

    size_t size() const { return names_.size(); }

private:
    static std::wstring Folded(std::wstring_view name);

    std::unordered_map<std::wstring, std::string> names_;
    bool twins_ = false;  // two names on disk differ only in case
};

}  // namespace wincompat
