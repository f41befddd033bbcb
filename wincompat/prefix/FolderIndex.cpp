// The folder indexes and the process's own.
#include "prefix/FolderIndex.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wincompat {

namespace {

// Enough for the folders an install works in; a huge tree stays bounded.
constexpr size_t kMaxFolders = 256;
constexpr size_t kMaxNames = 65536;

void SplitPath(const std::string& path, std::string& folder, std::string& name) {
    size_t slash = path.rfind('/');
    folder = slash == 0 ? "/" : path.substr(0, slash == std::string::npos ? 0 : slash);
    name = slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void FolderIndex::Drain() {
    watch_.Drain([this](int watch, FolderWatch::Change change, std::string_view name) { Apply(watch, change, name); });
}

void FolderIndex::Apply(int watch, FolderWatch::Change change, std::string_view name) {
    if (change == FolderWatch::Change::Overflow) {
        for (auto& [key, entry] : entries_) entry.trusted = false;  // events were lost
        return;
    }
    auto found = watched_.find(watch);
    if (found == watched_.end()) return;
    auto entry = entries_.find(found->second);
    if (change == FolderWatch::Change::WatchEnded) {
        watched_.erase(found);
        if (entry == entries_.end()) return;
        names_ -= entry->second.names.size();
        entries_.erase(entry);
        return;
    }
    if (entry == entries_.end()) return;
    FolderNames& names = entry->second.names;
    names_ -= names.size();
    if (change == FolderWatch::Change::Added) names.Add(name);
    else if (!names.Remove(name)) entry->second.trusted = false;
    names_ += names.size();
}

bool FolderIndex::Current(const Entry& entry, const FolderStamp& stamp) const {
    if (!entry.trusted) return false;
    return entry.watch >= 0 || entry.stamp.SameState(stamp);
}

void FolderIndex::Erase(const InodeKey& key) {
    auto found = entries_.find(key);
    if (found == entries_.end()) return;
    names_ -= found->second.names.size();
    if (found->second.watch >= 0) {
        watch_.Unwatch(found->second.watch);
        watched_.erase(found->second.watch);
    } else {
        --unwatched_;
    }
    entries_.erase(found);
}

// Reads the folder again. The watch is placed before the read, so a change
// made during the read is in the folder's names, in the queue, or both.
FolderIndex::Entry* FolderIndex::Rebuild(const std::string& folder) {
    int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0) {
        close(fd);
        return nullptr;
    }
    FolderStamp stamp = StampOf(info);
    InodeKey key{stamp.device, stamp.inode};
    auto [slot, added] = entries_.try_emplace(key);
    Entry& entry = slot->second;
    if (added) ++unwatched_;
    if (entry.watch < 0 && (entry.watch = watch_.Watch(fd)) >= 0) {
        watched_[entry.watch] = key;
        --unwatched_;
    }
    names_ -= entry.names.size();
    ++reads_;
    if (!entry.names.Read(fd)) {
        names_ += entry.names.size();
        Erase(key);
        return nullptr;
    }
    names_ += entry.names.size();
    entry.stamp = stamp;
    entry.trusted = entry.watch >= 0 || stamp.Settled();
    return &entry;
}

void FolderIndex::Evict() {
    while (entries_.size() > 1 && (entries_.size() > kMaxFolders || names_ > kMaxNames)) {
        auto oldest = entries_.begin();
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (it->second.lastUse < oldest->second.lastUse) oldest = it;
        Erase(oldest->first);
    }
}

std::string FolderIndex::Find(const std::string& folder, std::wstring_view name, const struct stat* folderInfo,
                              bool* listed) {
    if (listed) *listed = false;
    std::lock_guard<std::mutex> lock(mutex_);
    Drain();
    struct stat info;
    if (folderInfo) info = *folderInfo;
    else if (stat(folder.c_str(), &info) != 0) return std::string();
    if (!S_ISDIR(info.st_mode)) return std::string();
    FolderStamp stamp = StampOf(info);
    auto found = entries_.find({stamp.device, stamp.inode});
    Entry* entry = found != entries_.end() && Current(found->second, stamp) ? &found->second : Rebuild(folder);
    if (!entry) return std::string();
    if (listed) *listed = true;
    entry->lastUse = ++uses_;
    std::string onDisk = entry->names.Find(name);
    Evict();
    return onDisk;
}

// The index of an unwatched folder that was current before this process's
// change; the change then moved its stamp on. A folder that is watched hears
// of the change from inotify instead.
FolderIndex::Entry* FolderIndex::Unwatched(const std::string& folder, FolderStamp& stamp) {
    if (unwatched_ == 0) return nullptr;
    struct stat info;
    if (stat(folder.c_str(), &info) != 0) return nullptr;
    stamp = StampOf(info);
    auto found = entries_.find({stamp.device, stamp.inode});
    if (found == entries_.end() || found->second.watch >= 0 || !found->second.trusted) return nullptr;
    return &found->second;
}

// The stamp moves on with the change; a change another process makes in the
// same instant goes unseen until the folder changes again (watched folders
// have no such gap).
void FolderIndex::Note(const std::string& path, bool added) {
    std::string folder, name;
    SplitPath(path, folder, name);
    std::lock_guard<std::mutex> lock(mutex_);
    FolderStamp stamp;
    Entry* entry = Unwatched(folder, stamp);
    if (!entry) return;
    names_ -= entry->names.size();
    if (added) entry->names.Add(name);
    else entry->trusted = entry->names.Remove(name);
    names_ += entry->names.size();
    entry->stamp = stamp;
}

void FolderIndex::Added(const std::string& path) { Note(path, true); }

void FolderIndex::Removed(const std::string& path) { Note(path, false); }

unsigned long long FolderIndex::FolderReads() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return reads_;
}

size_t FolderIndex::FolderCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return entries_.size();
}

namespace {

FolderIndex& TheIndex() {
    static FolderIndex* index = new FolderIndex;  // outlives every thread's last lookup
    return *index;
}

}  // namespace

std::string FindNameNoCase(const std::string& folder, std::wstring_view name, const struct stat* folderInfo,
                           bool* listed) {
    return TheIndex().Find(folder, name, folderInfo, listed);
}

void NoteNameAdded(const std::string& unixPath) { TheIndex().Added(unixPath); }

void NoteNameRemoved(const std::string& unixPath) { TheIndex().Removed(unixPath); }

void NoteNameMoved(const std::string& from, const std::string& to) {
    TheIndex().Removed(from);
    TheIndex().Added(to);
}

}  // namespace wincompat
