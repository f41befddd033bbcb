// Reading, locking and atomically rewriting the hive files.
#include "prefix/RegistryStore.h"

#include "prefix/Prefix.h"
#include "prefix/RegistryPath.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <winerror.h>

namespace wincompat {

namespace {

// Which file a hive was read from: a rewrite makes a new inode and mtime.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified = {};

    static FileIdentity Of(const struct stat& info) {
        return {true, info.st_dev, info.st_ino, info.st_size, info.st_mtim};
    }
    bool operator==(const FileIdentity& other) const {
        return exists == other.exists && device == other.device && inode == other.inode &&
               size == other.size && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec;
    }
};

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

bool WriteAll(int fd, const std::string& data) {
    for (size_t done = 0; done < data.size();) {
        ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, std::string& data) {
    char buffer[65536];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        data.append(buffer, static_cast<size_t>(n));
    }
}

// Writes `data` to a new file named `path`, durably. false leaves errno set.
bool WriteNewFile(const std::string& path, const std::string& data, int flags) {
    UniqueFd fd(open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0644));
    return fd.get() >= 0 && WriteAll(fd.get(), data) && fsync(fd.get()) == 0;
}

bool SyncFolder(const std::string& folder) {
    UniqueFd fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && fsync(fd.get()) == 0;
}

// A new hive gets the keys every Windows has and that programs open without
// creating them, and the link keys of a Wine prefix, so that paths through
// them land where Wine keeps the keys.
void SeedHive(Hive hive, RegistryKey& root) {
    static const wchar_t* const kMachineKeys[] = {
        L"Software\\Classes\\Wow6432Node",
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
        L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
        L"System\\ControlSet001\\Control\\Session Manager",
    };
    if (hive == Hive::CurrentUser) {
        root.AddSubkey(L"Software");
        return;
    }
    for (const wchar_t* path : kMachineKeys) {
        KeyPath names;
        SplitKeyPath(path, names);
        CreateKey(root, hive, names, nullptr, nullptr);
    }
    MakeLinkKey(root, hive, {L"System", L"CurrentControlSet"}, {L"System", L"ControlSet001"});
    MakeLinkKey(root, hive, {L"Software", L"Wow6432Node", L"Classes"}, {L"Software", L"Classes", L"Wow6432Node"});
}

}  // namespace

struct RegistryStore::HiveFile {
    HiveFile(Hive which, std::string file) : hive(which), path(std::move(file)) {}
    Hive hive;
    std::string path;
    RegistryKey root;
    FileIdentity seen;
    bool loaded = false;
    int readError = 0;           // the file exists but cannot be read: never overwrite it
    std::string damagedText;     // the damaged file, kept until the first rewrite saves a copy
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
    struct stat info;
    FileIdentity now;
    if (stat(file.path.c_str(), &info) == 0) now = FileIdentity::Of(info);
    if (file.loaded && now == file.seen) return;
    file.root = RegistryKey();
    file.seen = FileIdentity();
    file.readError = 0;
    file.damagedText.clear();
    file.loaded = true;
    std::string text;
    UniqueFd fd(open(file.path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0 && errno == ENOENT) return;
    if (fd.get() < 0 || fstat(fd.get(), &info) != 0 || !ReadAll(fd.get(), text)) {
        file.readError = errno ? errno : EIO;
        fprintf(stderr, "wincompat: cannot read the registry file %s: %s\n", file.path.c_str(),
                strerror(file.readError));
        return;
    }
    file.seen = FileIdentity::Of(info);
    ParseReport report;
    file.root = ParseHive(text, report);
    if (!report.Damaged()) return;
    fprintf(stderr,
            "wincompat: the registry file %s is damaged (%zu unreadable lines, the first is line %zu: %s); "
            "the readable keys are kept, and the damaged file is saved as %s.damaged before it is rewritten\n",
            file.path.c_str(), report.badLines, report.firstBadLine, report.firstProblem.c_str(),
            file.path.c_str());
    file.damagedText = std::move(text);
}

LONG RegistryStore::Save(HiveFile& file) {
    if (!file.damagedText.empty()) {
        std::string copy = file.path + ".damaged";
        for (int n = 2; !WriteNewFile(copy, file.damagedText, O_EXCL); ++n) {
            if (errno != EEXIST || n > 999) return static_cast<LONG>(ErrorFromErrno(errno));
            copy = file.path + ".damaged." + std::to_string(n);
        }
        file.damagedText.clear();
    }
    std::string temp = file.path + ".XXXXXX";
    UniqueFd fd(mkostemp(temp.data(), O_CLOEXEC));
    struct stat info;
    bool ok = fd.get() >= 0 && fchmod(fd.get(), 0644) == 0 && WriteAll(fd.get(), FormatHive(file.root, file.hive)) &&
              fsync(fd.get()) == 0 && fstat(fd.get(), &info) == 0 && rename(temp.c_str(), file.path.c_str()) == 0;
    int error = errno;
    if (!ok) {
        if (fd.get() >= 0) unlink(temp.c_str());
        file.loaded = false;  // memory now differs from the disk: read it again next time
        return static_cast<LONG>(ErrorFromErrno(error));
    }
    SyncFolder(folder_);
    file.seen = FileIdentity::Of(info);
    return ERROR_SUCCESS;
}

LONG RegistryStore::Read(Hive hive, const Reader& read) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (folder_.empty()) return ERROR_PATH_NOT_FOUND;
    HiveFile& file = File(hive);
    Refresh(file);
    if (!file.seen.exists && !file.readError) {
        // First use: create the file, so that it exists with its header from now on.
        ExclusiveLock lock(LockFile());
        Refresh(file);
        if (lock.held() && !file.seen.exists && !file.readError) {
            SeedHive(hive, file.root);
            Save(file);
        }
    }
    return read(file.root);
}

LONG RegistryStore::Write(Hive hive, const Writer& change) {
    std::lock_guard<std::mutex> guard(mutex_);
    if (folder_.empty()) return ERROR_PATH_NOT_FOUND;
    ExclusiveLock lock(LockFile());
    if (!lock.held()) return static_cast<LONG>(ErrorFromErrno(errno));
    HiveFile& file = File(hive);
    Refresh(file);
    if (file.readError) return static_cast<LONG>(ErrorFromErrno(file.readError));
    bool created = !file.seen.exists;
    if (created) SeedHive(hive, file.root);
    bool changed = false;
    LONG result = change(file.root, changed);
    if (changed || created) {
        LONG saved = Save(file);
        if (saved != ERROR_SUCCESS) return saved;
    }
    return result;
}

RegistryStore& ProcessRegistry() {
    static RegistryStore store(PrefixRoot());
    return store;
}

}  // namespace wincompat
