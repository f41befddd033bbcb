// Building and keeping one folder's case-folded index.
#include "prefix/FolderNames.h"

#include "prefix/Prefix.h"

#include <dirent.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

namespace wincompat {

namespace {

bool SameTime(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool IsDotEntry(const char* name) { return strcmp(name, ".") == 0 || strcmp(name, "..") == 0; }

}  // namespace

bool FolderStamp::SameState(const FolderStamp& other) const {
    return SameFolder(other) && SameTime(modified, other.modified) && SameTime(changed, other.changed);
}

bool FolderStamp::Settled() const {
    timespec now;
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return changed.tv_sec < now.tv_sec || (changed.tv_sec == now.tv_sec && changed.tv_nsec < now.tv_nsec);
}

FolderStamp StampOf(const struct stat& info) { return {info.st_dev, info.st_ino, info.st_mtim, info.st_ctim}; }

std::wstring FolderNames::Folded(std::wstring_view name) {
    std::wstring folded(name);
    for (wchar_t& c : folded) c = UpperCase(c);
    return folded;
}

bool FolderNames::Read(int fd) {
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    names_.clear();
    twins_ = false;
    while (dirent* entry = readdir(dir))
        if (!IsDotEntry(entry->d_name)) Add(entry->d_name);
    closedir(dir);
    return true;
}

std::string FolderNames::Find(std::wstring_view name) const {
    auto found = names_.find(Folded(name));
    return found == names_.end() ? std::string() : found->second;
}

void FolderNames::Add(std::string_view onDisk) {
    auto [slot, added] = names_.try_emplace(Folded(WideFromUtf8(onDisk)), onDisk);
    if (!added && slot->second != onDisk) twins_ = true;
}

bool FolderNames::Remove(std::string_view onDisk) {
    auto found = names_.find(Folded(WideFromUtf8(onDisk)));
    if (found == names_.end()) return true;
    if (twins_) return false;
    names_.erase(found);
    return true;
}

}  // namespace wincompat
