// The streams of a minidump, each written at the file's current end.
#pragma once

#include "dbghelp/DumpFile.h"
#include "dbghelp/ProcessMaps.h"
#include "dbghelp/ThreadSnapshot.h"

namespace wincompat {

// Memory the dump holds, gathered while stacks and data are written and
// listed at the end (the MemoryList is where a debugger reads memory from).
class MemoryRanges {
public:
    void Add(uint64_t start, MINIDUMP_LOCATION_DESCRIPTOR bytes);
    size_t Count() const { return count_; }
    const MINIDUMP_MEMORY_DESCRIPTOR& operator[](size_t index) const { return items_[index]; }
    void Clear() { count_ = 0; }

private:
    static constexpr size_t kCapacity = 1024;
    MINIDUMP_MEMORY_DESCRIPTOR items_[kCapacity];
    size_t count_ = 0;
};

MINIDUMP_LOCATION_DESCRIPTOR WriteSystemInfo(DumpFile& file);
MINIDUMP_LOCATION_DESCRIPTOR WriteMiscInfo(DumpFile& file);

struct ThreadListLocations {
    MINIDUMP_LOCATION_DESCRIPTOR list;
    MINIDUMP_LOCATION_DESCRIPTOR callerContext;  // the calling thread's CONTEXT, for the exception stream
};
// Every thread's context and stack, then the list; stacks join memory.
ThreadListLocations WriteThreadList(DumpFile& file, const ThreadSnapshot& threads, const ProcessMaps& maps,
                                    MemoryRanges& memory, pid_t caller);

MINIDUMP_LOCATION_DESCRIPTOR WriteModuleList(DumpFile& file, const ProcessMaps& maps);

// The writable mappings of the main executable (its .data and .bss), for MiniDumpWithDataSegs.
void WriteDataSegments(DumpFile& file, const ProcessMaps& maps, MemoryRanges& memory);
MINIDUMP_LOCATION_DESCRIPTOR WriteMemoryList(DumpFile& file, const MemoryRanges& memory);

MINIDUMP_LOCATION_DESCRIPTOR WriteException(DumpFile& file, DWORD threadId, const EXCEPTION_RECORD& record,
                                            MINIDUMP_LOCATION_DESCRIPTOR context);

}  // namespace wincompat
