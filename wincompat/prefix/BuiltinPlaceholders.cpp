#include "prefix/BuiltinPlaceholders.h"

#include "prefix/Prefix.h"

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

namespace wincompat {

namespace {

const char* const kBuiltinPrograms[] = {"regsvr32"};

// Wine compares these texts with their terminating zero, right after the DOS header.
const char kPlaceholderMark[] = "Wine placeholder DLL";
const char kBuiltinMark[] = "Wine builtin DLL";
constexpr size_t kDosHeaderSize = 0x40;
constexpr size_t kMarkedHeaderSize = kDosHeaderSize + 32;
constexpr uint32_t kNtHeaderOffset = 0x80;
constexpr size_t kImageSize = 0x200;

struct Flavour {
    const char* folder;
    uint16_t machine;
    uint16_t characteristics;
    bool wide;  // PE32+
};

// system32 holds 64-bit programs, syswow64 the 32-bit ones.
const Flavour kFlavours[] = {
    {"windows/system32", 0x8664, 0x0022, true},   // AMD64: executable, large address aware
    {"windows/syswow64", 0x014C, 0x0102, false},  // i386: executable, 32-bit machine
};

void Put(std::vector<unsigned char>& image, size_t offset, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) image[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

// A well-formed PE header with no sections: nothing to run, only to recognise.
std::vector<unsigned char> PlaceholderImage(const Flavour& flavour) {
    std::vector<unsigned char> image(kImageSize, 0);
    Put(image, 0x00, 0x5A4D, 2);  // "MZ"
    Put(image, 0x3C, kNtHeaderOffset, 4);
    memcpy(&image[kDosHeaderSize], kPlaceholderMark, sizeof(kPlaceholderMark));
    size_t nt = kNtHeaderOffset;
    Put(image, nt, 0x00004550, 4);  // "PE\0\0"
    Put(image, nt + 4, flavour.machine, 2);
    Put(image, nt + 20, flavour.wide ? 0xF0 : 0xE0, 2);  // size of the optional header
    Put(image, nt + 22, flavour.characteristics, 2);
    size_t optional = nt + 24;
    Put(image, optional, flavour.wide ? 0x20B : 0x10B, 2);
    if (flavour.wide) Put(image, optional + 24, 0x140000000ull, 8);
    else Put(image, optional + 28, 0x400000, 4);
    Put(image, optional + 32, 0x1000, 4);  // section alignment
    Put(image, optional + 36, 0x200, 4);   // file alignment
    Put(image, optional + 40, 6, 2);       // operating system 6.0
    Put(image, optional + 48, 6, 2);       // subsystem 6.0
    Put(image, optional + 56, 0x1000, 4);  // size of image
    Put(image, optional + 60, kImageSize, 4);
    Put(image, optional + 68, 2, 2);  // Windows GUI, as regsvr32 is
    Put(image, optional + (flavour.wide ? 108 : 92), 16, 4);  // data directories
    return image;
}

bool WriteAll(int fd, const std::vector<unsigned char>& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written <= 0) return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

// Written aside and linked into place, so no process ever sees half a file
// and a file that appeared meanwhile is never replaced.
void Place(const std::string& path, const std::vector<unsigned char>& image) {
    std::string aside = path + ".wincompat-" + std::to_string(getpid());
    int fd = open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return;
    bool written = WriteAll(fd, image);
    close(fd);
    if (written) link(aside.c_str(), path.c_str());
    unlink(aside.c_str());
}

}  // namespace

void EnsureBuiltinPlaceholders(const std::string& root) {
    for (const Flavour& flavour : kFlavours) {
        std::string folder = root + "/drive_c/" + flavour.folder;
        for (const char* program : kBuiltinPrograms) {
            std::string path = folder + "/" + program + ".exe";
            struct stat info;
            if (lstat(path.c_str(), &info) == 0) continue;
            Place(path, PlaceholderImage(flavour));
        }
    }
}

std::string BuiltinProgramOf(std::string_view fileName) {
    for (const char* program : kBuiltinPrograms)
        if (EqualNoCase(WideFromUtf8(fileName), WideFromUtf8(std::string(program) + ".exe"))) return program;
    return std::string();
}

bool IsBuiltinPlaceholder(const std::string& unixPath) {
    int fd = open(unixPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    unsigned char header[kMarkedHeaderSize] = {};
    ssize_t got = read(fd, header, sizeof(header));
    close(fd);
    if (got != static_cast<ssize_t>(sizeof(header)) || header[0] != 'M' || header[1] != 'Z') return false;
    uint32_t ntOffset = header[0x3C] | header[0x3D] << 8 | header[0x3E] << 16 | uint32_t(header[0x3F]) << 24;
    if (ntOffset < sizeof(header)) return false;
    const unsigned char* mark = header + kDosHeaderSize;
    return memcmp(mark, kPlaceholderMark, sizeof(kPlaceholderMark)) == 0 ||
           memcmp(mark, kBuiltinMark, sizeof(kBuiltinMark)) == 0;
}

}  // namespace wincompat
