// pack-skin DIR OUT: zips every file under DIR (names relative to DIR, sorted,
// with a fixed time stamp, deflated), enciphers the archive with the build's
// skin key and writes it to OUT: a temporary file beside OUT, flushed and
// renamed over it, so OUT is either the old file or the whole new one.
#include "PackSkinArchive.h"
#include "PackSkinCipher.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace {

int Refuse(const std::string& message) {
    fprintf(stderr, "pack-skin: %s\n", message.c_str());
    return 2;
}

bool WriteAll(int fd, const std::string& bytes) {
    const char* next = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = write(fd, next, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        next += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

bool WriteAtomically(const std::string& target, const std::string& bytes, std::string& error) {
    std::vector<char> pattern(target.begin(), target.end());
    const char suffix[] = ".new-XXXXXX";
    pattern.insert(pattern.end(), suffix, suffix + sizeof(suffix));
    int fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) {
        error = target + ": cannot write beside it: " + strerror(errno);
        return false;
    }
    const std::string temporary = pattern.data();
    bool written = WriteAll(fd, bytes) && fchmod(fd, 0644) == 0 && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (written && rename(temporary.c_str(), target.c_str()) == 0) return true;
    error = target + ": cannot write: " + strerror(errno);
    unlink(temporary.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return Refuse("usage: pack-skin DIR OUT");
    const std::string folder = argv[1], target = argv[2];

    std::vector<SkinFile> files;
    std::string archive, error;
    if (!ReadSkinFolder(folder, files, error)) return Refuse(error);
    if (!ZipSkinFiles(files, archive, error)) return Refuse(error);
    if (!EncipherSkin(archive, error)) return Refuse(error);
    if (!WriteAtomically(target, archive, error)) return Refuse(error);
    printf("%s: %zu files, %zu bytes\n", target.c_str(), files.size(), archive.size());
    return 0;
}
