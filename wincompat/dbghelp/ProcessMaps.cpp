// Each line: "start-end perms offset dev inode   path".
#include "dbghelp/ProcessMaps.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <unistd.h>

namespace wincompat {

namespace {

uint64_t Hex(char*& cursor) {
    uint64_t value = 0;
    for (;; ++cursor) {
        char c = *cursor;
        if (c >= '0' && c <= '9') value = value << 4 | static_cast<uint64_t>(c - '0');
        else if (c >= 'a' && c <= 'f') value = value << 4 | static_cast<uint64_t>(c - 'a' + 10);
        else return value;
    }
}

char* SkipField(char* cursor) {
    while (*cursor && *cursor != ' ') ++cursor;
    while (*cursor == ' ') ++cursor;
    return cursor;
}

// Parses one nul-terminated line in place.
bool ParseLine(char* line, MapRegion* region) {
    char* cursor = line;
    region->start = Hex(cursor);
    if (*cursor++ != '-') return false;
    region->end = Hex(cursor);
    if (*cursor++ != ' ') return false;
    region->readable = cursor[0] == 'r';
    region->writable = cursor[1] == 'w';
    cursor = SkipField(cursor);
    region->offset = Hex(cursor);
    cursor = SkipField(SkipField(SkipField(cursor)));  // offset's end, device, inode
    region->path = cursor;
    return region->end > region->start;
}

}  // namespace

bool ProcessMaps::ReadText() {
    int fd = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    rawSize_ = 0;
    while (rawSize_ < kTextCapacity - 1) {
        ssize_t got = read(fd, raw_ + rawSize_, kTextCapacity - 1 - rawSize_);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        rawSize_ += static_cast<size_t>(got);
    }
    close(fd);
    raw_[rawSize_] = '\0';
    return rawSize_ > 0;
}

void ProcessMaps::Parse() {
    memcpy(fields_, raw_, rawSize_ + 1);
    count_ = 0;
    char* line = fields_;
    while (*line && count_ < kRegionCapacity) {
        char* newline = strchr(line, '\n');
        if (newline) *newline = '\0';
        if (ParseLine(line, &regions_[count_])) ++count_;
        if (!newline) break;
        line = newline + 1;
    }
}

bool ProcessMaps::Read() {
    count_ = 0;
    if (!ReadText()) return false;
    Parse();
    return true;
}

const MapRegion* ProcessMaps::Containing(uint64_t address) const {
    for (size_t i = 0; i < count_; ++i)
        if (address >= regions_[i].start && address < regions_[i].end) return &regions_[i];
    return nullptr;
}

}  // namespace wincompat
