#include "kernel32/NamedObjectFile.h"

#include "prefix/ByteLocks.h"
#include "prefix/Prefix.h"
#include "prefix/PrefixRuntime.h"

#include <windows.h>

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdint.h>
#include <stdio.h>

namespace wincompat {

namespace {

const std::wstring kNamespaces[] = {L"Global\\", L"Local\\"};

// Names hold any character but "\", up to MAX_PATH of them: the file name is
// a readable part and a hash of the exact UTF-8 bytes (names are case-sensitive).
std::string FileNameOf(const std::string& name) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    std::string readable;
    for (unsigned char c : name) {
        hash = (hash ^ c) * 1099511628211ull;
        bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' || c == '_';
        if (readable.size() < 48) readable += plain ? static_cast<char>(c) : '_';
    }
    char suffix[24];
    snprintf(suffix, sizeof(suffix), "-%016llx", static_cast<unsigned long long>(hash));
    return readable + suffix;
}

// "<runtime>/<namespace>/<file name>", its folders made; empty when they cannot be.
std::string PathOf(const std::wstring& fullName) {
    std::string runtime = RuntimeFolder(PrefixRoot());
    size_t slash = fullName.find(L'\\');
    if (runtime.empty() || slash == std::wstring::npos) return {};
    std::string folder = runtime + "/" + Utf8FromWide(fullName.substr(0, slash));
    if (mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return {};
    return folder + "/" + FileNameOf(Utf8FromWide(fullName.substr(slash + 1)));
}

// flock() on the file while a process looks for holders and takes its own
// presence lock, so that two creators never both see an object missing.
class CreationGuard {
public:
    explicit CreationGuard(int fd) : fd_(fd) {
        while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
        }
    }
    ~CreationGuard() { flock(fd_, LOCK_UN); }
    CreationGuard(const CreationGuard&) = delete;
    CreationGuard& operator=(const CreationGuard&) = delete;

private:
    int fd_;
};

}  // namespace

bool NamedObjectFile::FullName(const wchar_t* name, std::wstring& full, DWORD& error) {
    std::wstring text = name;
    if (text.size() > MAX_PATH) {
        error = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    full = L"Local\\" + text;
    for (const std::wstring& space : kNamespaces)
        if (text.compare(0, space.size(), space) == 0) full = text;
    if (full.find(L'\\', full.find(L'\\') + 1) != std::wstring::npos) {
        error = ERROR_PATH_NOT_FOUND;  // no such folder of named objects
        return false;
    }
    return true;
}

std::unique_ptr<NamedObjectFile> NamedObjectFile::Open(const std::wstring& fullName, bool create,
                                                       const std::function<void(int fd)>& whileNew, bool& existed,
                                                       DWORD& error) {
    std::string path = PathOf(fullName);
    if (path.empty()) {
        error = ERROR_PATH_NOT_FOUND;
        return nullptr;
    }
    int fd = open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (create ? O_CREAT : 0), 0666);
    if (fd < 0) {
        error = errno == ENOENT ? ERROR_FILE_NOT_FOUND : ErrorFromErrno(errno);
        return nullptr;
    }
    std::unique_ptr<NamedObjectFile> file(new NamedObjectFile(fd));
    CreationGuard guard(fd);
    existed = ByteLockedElsewhere(fd, kPresence);
    if (!existed && !create) {
        error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    if (!TryLockByte(fd, kPresence, ByteLock::kShared)) {
        error = ErrorFromErrno(errno);
        return nullptr;
    }
    if (!existed && whileNew) whileNew(fd);
    return file;
}

NamedObjectFile::~NamedObjectFile() { close(fd_); }

}  // namespace wincompat
