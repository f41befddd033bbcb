// Reading, locking, repairing and atomically rewriting the hive files.
#include "prefix/RegistryStore.h"

#include "prefix/DurableWrites.h"
#include "prefix/Prefix.h"
#include "prefix/RegistryStandardKeys.h"
#include "prefix/RegistryTemporaries.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <winerror.h>

#include <exception>

namespace wincompat {

namespace {

// Far above any real hive; a larger file is junk, and reading it whole would
// only cost memory.
constexpr off_t kLargestHive = 256 << 20;

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { if (fd_ >= 0) close(fd_); }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    int get() const { return fd_; }
private:
    int fd_;
};

// Holds the prefix-wide lock for its lifetime.
class ExclusiveLock {
public:
    explicit ExclusiveLock(int fd) : fd_(fd) {
        while (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) fd_ = -1;
        }
    }
    ~ExclusiveLock() { if (fd_ >= 0) flock(fd_, LOCK_UN); }
    bool held() const { return fd_ >= 0; }
private:
    int fd_;
};

// What the hive's path held when it was last read.
struct HiveText {
    bool exists = false;
    int error = 0;          // it exists but cannot be read
    bool tooLarge = false;  // larger than kLargestHive: not read
    std::string bytes;

    bool operator==(const HiveText& other) const {
        return exists == other.exists && error == other.error && tooLarge == other.tooLarge && bytes == other.bytes;
    }
};

bool ReadAll(int fd, size_t expected, std::string& data) {
    data.reserve(expected);
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        data.append(buffer, static_cast<size_t>(n));
        if (data.size() > static_cast<size_t>(kLargestHive)) return true;  // grew while read
    }
}

// O_NONBLOCK keeps a FIFO planted at the path from blocking the open.
HiveText ReadHiveText(const std::string& path) {
    HiveText text;
    UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) {
        if (errno != ENOENT) text.exists = true, text.error = errno;
        return text;
    }
    text.exists = true;
    struct stat info;
    if (fstat(fd.get(), &info) != 0) text.error = errno;
    else if (!S_ISREG(info.st_mode)) text.error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    else if (info.st_size > kLargestHive) text.tooLarge = true;
    else if (!ReadAll(fd.get(), static_cast<size_t>(info.st_size), text.bytes)) text.error = errno ? errno : EIO;
    if (text.bytes.size() > static_cast<size_t>(kLargestHive)) text.tooLarge = true, text.bytes.clear();
    return text;
}

bool WriteAll(int fd, const std::string& data) {
    for (size_t done = 0; done < data.size();) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// A new hive in a temporary file of the folder; made durable later (see
// DurableWrites.h). Empty (errno set) on failure, a failed close included: on
// some file systems a full disk shows only there.
std::string WriteTemporary(const std::string& hivePath, const std::string& data) {
    std::string temp = hivePath + ".XXXXXX";
    int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return std::string();
    bool written = fchmod(fd, 0644) == 0 && WriteAll(fd, data);
    int error = errno;
    if (close(fd) != 0 && written) written = false, error = errno;
    if (written) return temp;
    unlink(temp.c_str());
    errno = error;
    return std::string();
}

// Memory running out while a hive is read or changed is an error result:
// nothing is thrown out of the registry functions. The tree may then be half
// changed, so it is read again next time.
template <class Body>
LONG WithoutThrowing(bool& loaded, const Body& body) {
    try {
        return body();
    } catch (const std::exception&) {
        loaded = false;
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}  // namespace

struct RegistryStore::HiveFile {
    HiveFile(Hive which, std::string file) : hive(which), path(std::move(file)) {}
    Hive hive;
    std::string path;
    RegistryKey root;
    HiveText read;              // what the tree was read from
    bool loaded = false;
    bool setAside = false;      // damaged: renamed to <path>.damaged when the hive is next written
    bool lacksKeys = false;     // the standard keys were not all there
    const char* unusable = nullptr;  // why the file read is no hive, if it is not
};

RegistryStore::RegistryStore(std::string folder)
    : folder_(std::move(folder)),
      machine_(new HiveFile{Hive::LocalMachine, folder_ + "/system.reg"}),
      user_(new HiveFile{Hive::CurrentUser, folder_ + "/user.reg"}) {}

RegistryStore::~RegistryStore() {
    if (lockFd_ >= 0) close(lockFd_);
}

std::string RegistryStore::HivePath(Hive hive) const {
    return hive == Hive::LocalMachine ? machine_->path : user_->path;
}

RegistryStore::HiveFile& RegistryStore::File(Hive hive) {
    return hive == Hive::LocalMachine ? *machine_ : *user_;
}

int RegistryStore::LockFile() {
    if (lockFd_ < 0) lockFd_ = open((folder_ + "/.registry.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    return lockFd_;
}

void RegistryStore::Refresh(HiveFile& file) {
    HiveText now = ReadHiveText(file.path);
    if (file.loaded && now == file.read) return;
    file.root = RegistryKey();
    file.read = std::move(now);
    file.loaded = true;
    file.setAside = false;
    file.unusable = nullptr;
    const char* path = file.path.c_str();
    if (file.read.error) {
        fprintf(stderr, "wincompat: cannot read the registry file %s: %s\n", path, strerror(file.read.error));
        return;
    }
    ParseReport report;
    if (file.read.tooLarge) report.unusable = "larger than any hive";
    else if (file.read.exists) file.root = ParseHive(file.read.bytes, report);
    file.lacksKeys = LacksStandardKeys(file.hive, file.root);
    file.setAside = report.Damaged();
    file.unusable = report.Unusable() ? report.unusable : nullptr;  // said when it is set aside
    if (report.Damaged() && !report.Unusable())
        fprintf(stderr, "wincompat: the registry file %s is damaged (%zu unreadable lines, the first is line %zu: %s); "
                "the readable keys are kept, and the damaged file is kept as %s.damaged when it is rewritten\n",
                path, report.badLines, report.firstBadLine, report.firstProblem.c_str(), path);
}

// Missing, no hive at all, or without its standard keys: fixed under the
// lock, as soon as the hive is read.
bool RegistryStore::NeedsRepair(const HiveFile& file) const {
    return !file.read.error && file.lacksKeys;
}

// Renames the damaged file to <path>.damaged, replacing an older one (and a
// link of that name, never its target). Said once, by the process that does it.
bool RegistryStore::SetAside(const HiveFile& file) {
    std::string damaged = file.path + ".damaged";
    if (rename(file.path.c_str(), damaged.c_str()) != 0 && errno != ENOENT) {
        int error = errno;
        fprintf(stderr, "wincompat: cannot keep the damaged registry file %s as %s: %s\n", file.path.c_str(),
                damaged.c_str(), strerror(error));
        errno = error;
        return false;
    }
    if (file.unusable)
        fprintf(stderr, "wincompat: the registry file %s cannot be read as a hive (%s); it is kept as %s and a "
                "fresh hive is started\n", file.path.c_str(), file.unusable, damaged.c_str());
    return true;
}

// Under the lock. A damaged file that cannot be renamed aside is left in
// place and the hive is not written, so nothing is lost.
LONG RegistryStore::Save(HiveFile& file) {
    RemoveAbandonedTemporaries(folder_);
    std::string text = FormatHive(file.root, file.hive);
    std::string temp = WriteTemporary(file.path, text);
    bool ok = !temp.empty();
    if (ok && file.setAside) ok = SetAside(file);
    ok = ok && rename(temp.c_str(), file.path.c_str()) == 0;
    int error = errno;
    if (!ok) {
        if (!temp.empty()) unlink(temp.c_str());
        file.loaded = false;  // memory now differs from the disk: read it again next time
        return static_cast<LONG>(ErrorFromErrno(error));
    }
    NoteReplacedFile(file.path);
    file.read = HiveText{true, 0, false, std::move(text)};
    file.setAside = false;
    file.unusable = nullptr;
    file.lacksKeys = LacksStandardKeys(file.hive, file.root);
    return ERROR_SUCCESS;
}

LONG RegistryStore::Read(Hive hive, const Reader& read) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (folder_.empty()) return ERROR_PATH_NOT_FOUND;
    HiveFile& file = File(hive);
    return WithoutThrowing(file.loaded, [&] {
        Refresh(file);
        if (NeedsRepair(file)) {
            ExclusiveLock lock(LockFile());
            Refresh(file);
            if (lock.held() && NeedsRepair(file)) {
                EnsureStandardKeys(hive, file.root);
                Save(file);  // when it fails, the tree in memory still answers
            }
        }
        return read(file.root);
    });
}

LONG RegistryStore::Write(Hive hive, const Writer& change) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (folder_.empty()) return ERROR_PATH_NOT_FOUND;
    ExclusiveLock lock(LockFile());
    if (!lock.held()) return static_cast<LONG>(ErrorFromErrno(errno));
    HiveFile& file = File(hive);
    return WithoutThrowing(file.loaded, [&] {
        Refresh(file);
        if (file.read.error) return static_cast<LONG>(ErrorFromErrno(file.read.error));
        bool repair = NeedsRepair(file);
        if (repair) EnsureStandardKeys(hive, file.root);
        bool changed = false;
        LONG result = change(file.root, changed);
        if (changed || repair) {
            LONG saved = Save(file);
            if (saved != ERROR_SUCCESS) return saved;
        }
        return result;
    });
}

RegistryStore& ProcessRegistry() {
    static RegistryStore store(PrefixRoot());
    return store;
}

}  // namespace wincompat
