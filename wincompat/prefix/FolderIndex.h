// Case-insensitive lookup of names in folders, remembered per folder so that
// a lookup costs a stat instead of a read of the whole folder. Thread safe.
//
// Folders are watched with inotify, which reports every change of their
// names, this process's or another's. Where a folder cannot be watched, its
// index holds while the folder's stamp (inode, mtime and ctime) does, and the
// process's own changes, told through the Note* calls, keep it current.
#pragma once

#include "prefix/FolderNames.h"
#include "prefix/FolderWatch.h"

#include <sys/stat.h>

#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace wincompat {

// The on-disk spelling of name in folder without regard to case; empty when
// the folder holds no such name or cannot be read. Uses the process's index.
// folderInfo, when given, is the folder's lstat just taken by the caller (a
// folder, not a link), which saves the lookup its own; *listed tells whether
// the folder's names were known, so that an empty answer means no such name.
std::string FindNameNoCase(const std::string& folder, std::wstring_view name,
                           const struct stat* folderInfo = nullptr, bool* listed = nullptr);

// This process made, removed or renamed the file or folder at unixPath.
void NoteNameAdded(const std::string& unixPath);
void NoteNameRemoved(const std::string& unixPath);
void NoteNameMoved(const std::string& from, const std::string& to);

// The indexes of a bounded set of folders, the least recently used dropped
// first; keyed by device and inode, so every path to a folder shares one.
class FolderIndex {
public:
    explicit FolderIndex(bool watchFolders = true) : watch_(watchFolders) {}

    std::string Find(const std::string& folder, std::wstring_view name, const struct stat* folderInfo = nullptr,
                     bool* listed = nullptr);
    void Added(const std::string& path);
    void Removed(const std::string& path);

    // How often a folder was read whole, and how many are indexed.
    unsigned long long FolderReads() const;
    size_t FolderCount() const;

private:
    struct InodeKey {
        dev_t device;
        ino_t inode;
        bool operator==(const InodeKey&) const = default;
    };
    struct InodeHash {
        size_t operator()(const InodeKey& key) const { return key.inode * 31 + key.device; }
    };
    struct Entry {
        FolderNames names;
        FolderStamp stamp;
        int watch = -1;
        bool trusted = false;  // no events were lost; for an unwatched folder, its stamp was settled
        unsigned long long lastUse = 0;
    };

    void Drain();
    void Apply(int watch, FolderWatch::Change change, std::string_view name);
    bool Current(const Entry& entry, const FolderStamp& stamp) const;
    Entry* Rebuild(const std::string& folder);
    void Erase(const InodeKey& key);
    void Evict();
    Entry* Unwatched(const std::string& folder, FolderStamp& stamp);
    void Note(const std::string& path, bool added);

    mutable std::mutex mutex_;
    FolderWatch watch_;
    std::unordered_map<InodeKey, Entry, InodeHash> entries_;
    std::unordered_map<int, InodeKey> watched_;
    size_t names_ = 0;
    size_t unwatched_ = 0;
    unsigned long long uses_ = 0;
    unsigned long long reads_ = 0;
};

}  // namespace wincompat
