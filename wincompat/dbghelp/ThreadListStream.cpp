// ThreadList: a CONTEXT and the live part of the stack for each thread.
#include "dbghelp/DumpStreams.h"

#include "dbghelp/MappedStorage.h"

#include <string.h>

namespace wincompat {

namespace {

constexpr uint64_t kRedZone = 128;  // below the stack pointer, still in use by leaf functions
constexpr uint64_t kMaxStack = 256 * 1024;

constexpr uint64_t kOverflowReach = 64 * 1024;

// The stack mapping of sp; after an overflow sp may lie just below it.
const MapRegion* StackRegion(const ProcessMaps& maps, uint64_t sp) {
    if (const MapRegion* region = maps.Containing(sp)) return region;
    for (size_t i = 0; i < maps.Count(); ++i)
        if (maps[i].start > sp && maps[i].start - sp < kOverflowReach) return &maps[i];
    return nullptr;
}

// From just below the stack pointer to the end of its mapping, capped.
MINIDUMP_MEMORY_DESCRIPTOR WriteStack(DumpFile& file, const ProcessMaps& maps, uint64_t sp, MemoryRanges& memory) {
    MINIDUMP_MEMORY_DESCRIPTOR stack{};
    const MapRegion* region = StackRegion(maps, sp);
    if (!region) return stack;
    uint64_t start = sp - kRedZone < region->start ? region->start : sp - kRedZone;
    uint64_t end = region->end - start > kMaxStack ? start + kMaxStack : region->end;
    stack.StartOfMemoryRange = start;
    stack.Memory = file.AppendMemory(start, static_cast<size_t>(end - start));
    memory.Add(start, stack.Memory);
    return stack;
}

MINIDUMP_LOCATION_DESCRIPTOR WriteContext(DumpFile& file, const ThreadState& state) {
    CONTEXT unknown;
    memset(&unknown, 0, sizeof(unknown));
    unknown.ContextFlags = CONTEXT_AMD64;
    file.Align(16);
    return file.Append(state.hasContext ? &state.context : &unknown, sizeof(CONTEXT));
}

}  // namespace

ThreadListLocations WriteThreadList(DumpFile& file, const ThreadSnapshot& threads, const ProcessMaps& maps,
                                    MemoryRanges& memory, pid_t caller) {
    ThreadListLocations locations{};
    MappedStorage<MINIDUMP_THREAD> records(kMaxSnapshotThreads);
    size_t count = records.Valid() ? threads.Count() : 0;
    for (size_t i = 0; i < count; ++i) {
        const ThreadState& state = threads[i];
        MINIDUMP_THREAD& thread = records[i];
        memset(&thread, 0, sizeof(thread));
        thread.ThreadId = static_cast<ULONG32>(state.id);
        thread.ThreadContext = WriteContext(file, state);
        if (state.hasContext) thread.Stack = WriteStack(file, maps, state.context.Rsp, memory);
        if (state.id == caller) locations.callerContext = thread.ThreadContext;
    }
    file.Align(8);
    ULONG32 listed = static_cast<ULONG32>(count);
    locations.list = file.Append(&listed, sizeof(listed));
    for (size_t i = 0; i < count; ++i) file.Append(&records[i], sizeof(MINIDUMP_THREAD));
    locations.list.DataSize = static_cast<ULONG32>(file.Position() - locations.list.Rva);
    return locations;
}

}  // namespace wincompat
