// MemoryList, and the data segments MiniDumpWithDataSegs adds to it.
#include "dbghelp/DumpStreams.h"

#include <limits.h>
#include <string.h>
#include <unistd.h>

namespace wincompat {

namespace {

constexpr uint64_t kMaxSegment = 16 * 1024 * 1024;

void WriteRegion(DumpFile& file, const MapRegion& region, MemoryRanges& memory) {
    uint64_t size = region.end - region.start;
    if (size > kMaxSegment) size = kMaxSegment;
    memory.Add(region.start, file.AppendMemory(region.start, static_cast<size_t>(size)));
}

}  // namespace

void MemoryRanges::Add(uint64_t start, MINIDUMP_LOCATION_DESCRIPTOR bytes) {
    if (count_ == kCapacity || bytes.DataSize == 0) return;
    items_[count_].StartOfMemoryRange = start;
    items_[count_].Memory = bytes;
    ++count_;
}

void WriteDataSegments(DumpFile& file, const ProcessMaps& maps, MemoryRanges& memory) {
    static char executable[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", executable, sizeof(executable) - 1);
    if (length <= 0) return;
    executable[length] = '\0';
    for (size_t i = 0; i < maps.Count(); ++i) {
        if (!maps[i].writable || !maps[i].readable || strcmp(maps[i].path, executable) != 0) continue;
        WriteRegion(file, maps[i], memory);
        // .bss beyond the file's last page is the anonymous mapping right after it.
        const MapRegion* next = i + 1 < maps.Count() ? &maps[i + 1] : nullptr;
        if (next && next->path[0] == '\0' && next->writable && next->start == maps[i].end) WriteRegion(file, *next, memory);
    }
}

MINIDUMP_LOCATION_DESCRIPTOR WriteMemoryList(DumpFile& file, const MemoryRanges& memory) {
    file.Align(8);
    ULONG32 count = static_cast<ULONG32>(memory.Count());
    MINIDUMP_LOCATION_DESCRIPTOR list = file.Append(&count, sizeof(count));
    for (size_t i = 0; i < memory.Count(); ++i) file.Append(&memory[i], sizeof(MINIDUMP_MEMORY_DESCRIPTOR));
    list.DataSize = static_cast<ULONG32>(file.Position() - list.Rva);
    return list;
}

}  // namespace wincompat
