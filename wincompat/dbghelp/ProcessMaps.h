// The mappings of this process, from /proc/self/maps, read into static
// storage (no allocation: the dump writer runs in a crashed process).
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace wincompat {

struct MapRegion {
    uint64_t start;
    uint64_t end;
    uint64_t offset;
    bool readable;
    bool writable;
    const char* path;  // "" for anonymous memory; "[stack]" and the like for the kernel's
};

class ProcessMaps {
public:
    // Reads the table anew; false if /proc/self/maps cannot be read.
    bool Read();

    size_t Count() const { return count_; }
    const MapRegion& operator[](size_t index) const { return regions_[index]; }
    // The region holding address, or null.
    const MapRegion* Containing(uint64_t address) const;

    // The file as the kernel wrote it (before parsing split it into fields).
    const char* RawText() const { return raw_; }
    size_t RawSize() const { return rawSize_; }

private:
    static constexpr size_t kTextCapacity = 1 << 20;
    static constexpr size_t kRegionCapacity = 8192;

    bool ReadText();
    void Parse();

    char raw_[kTextCapacity];
    char fields_[kTextCapacity];
    size_t rawSize_ = 0;
    MapRegion regions_[kRegionCapacity];
    size_t count_ = 0;
};

}  // namespace wincompat
