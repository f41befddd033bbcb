// MiniDumpWriteDump for the calling process. Layout: header, directory, then
// the streams in the order written; the directory is filled in last.
//
// Threads: the one named by the exception information gets the exception's
// registers, the calling thread its own; the others are stopped by a signal
// for theirs (ThreadSnapshot). Each thread's stack from its stack pointer on
// is in the MemoryList, and so are the main image's data segments.
#include <dbghelp.h>

#include "dbghelp/DumpStreams.h"
#include "dbghelp/MappedStorage.h"
#include "dbghelp/SafeRead.h"
#include "kernel32/ExceptionFilterContext.h"
#include "kernel32/FileObject.h"

#include <string.h>
#include <sys/syscall.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>

using namespace wincompat;

namespace {

constexpr ULONG32 kLinuxMapsStream = 0x47670009;  // /proc/self/maps as text, which lldb reads for regions
constexpr size_t kMaxStreams = 8;
constexpr DWORD kErrorWriteFault = 29;  // ERROR_WRITE_FAULT
constexpr DWORD kErrorBusy = 170;       // ERROR_BUSY

// One dump at a time: the thread snapshot's signal handler finds its state in one place.
std::atomic_flag writing = ATOMIC_FLAG_INIT;

struct Workspace {
    ProcessMaps maps;
    MemoryRanges memory;
    ThreadSnapshot threads;
};

struct Fault {
    bool present = false;
    DWORD threadId = 0;
    EXCEPTION_RECORD record;
    CONTEXT context;
};

// The caller's record and registers, copied so that a bad pointer fails here and not in the writer.
Fault ReadFault(const MINIDUMP_EXCEPTION_INFORMATION* information) {
    Fault fault;
    EXCEPTION_POINTERS pointers;
    if (!information || !SafeRead(reinterpret_cast<uint64_t>(information->ExceptionPointers), &pointers, sizeof(pointers)))
        return fault;
    fault.present = SafeRead(reinterpret_cast<uint64_t>(pointers.ExceptionRecord), &fault.record, sizeof(fault.record)) &&
                    SafeRead(reinterpret_cast<uint64_t>(pointers.ContextRecord), &fault.context, sizeof(fault.context));
    fault.threadId = information->ThreadId;
    return fault;
}

CONTEXT CurrentContext() {
    ucontext_t here;
    CONTEXT context;
    getcontext(&here);
    ContextFromSignal(here, &context);
    return context;
}

class Directory {
public:
    void Add(ULONG32 type, MINIDUMP_LOCATION_DESCRIPTOR location) {
        if (count_ < kMaxStreams) entries_[count_++] = {type, location};
    }
    void WriteHeader(DumpFile& file, MINIDUMP_TYPE type) const {
        MINIDUMP_HEADER header{};
        header.Signature = MINIDUMP_SIGNATURE;
        header.Version = MINIDUMP_VERSION;
        header.NumberOfStreams = count_;
        header.StreamDirectoryRva = sizeof(MINIDUMP_HEADER);
        header.TimeDateStamp = static_cast<ULONG32>(time(nullptr));
        header.Flags = type;
        file.WriteAt(0, &header, sizeof(header));
        file.WriteAt(sizeof(header), entries_, count_ * sizeof(MINIDUMP_DIRECTORY));
    }

private:
    MINIDUMP_DIRECTORY entries_[kMaxStreams];
    ULONG32 count_ = 0;
};

void WriteStreams(DumpFile& file, const Fault& fault, MINIDUMP_TYPE type, Workspace& work, Directory& directory) {
    ProcessMaps& maps = work.maps;
    MemoryRanges& memory = work.memory;
    pid_t self = static_cast<pid_t>(syscall(SYS_gettid));
    pid_t faulting = fault.present ? static_cast<pid_t>(fault.threadId) : self;
    directory.Add(SystemInfoStream, WriteSystemInfo(file));
    directory.Add(MiscInfoStream, WriteMiscInfo(file));
    directory.Add(kLinuxMapsStream, file.Append(maps.RawText(), maps.RawSize()));
    memory.Clear();
    ThreadListLocations threadList = WriteThreadList(file, work.threads, maps, memory, faulting);
    directory.Add(ThreadListStream, threadList.list);
    if (fault.present) directory.Add(ExceptionStream, WriteException(file, fault.threadId, fault.record, threadList.callerContext));
    directory.Add(ModuleListStream, WriteModuleList(file, maps));
    if (type & MiniDumpWithDataSegs) WriteDataSegments(file, maps, memory);
    directory.Add(MemoryListStream, WriteMemoryList(file, memory));
}

bool WriteDump(int fd, const Fault& fault, MINIDUMP_TYPE type) {
    DumpFile file(fd);
    MINIDUMP_DIRECTORY unused[kMaxStreams] = {};
    file.Append(unused, sizeof(MINIDUMP_HEADER));  // header and directory come last, in place
    file.Append(unused, sizeof(unused));
    MappedStorage<Workspace> work;
    if (!work.Valid()) return false;
    work->maps.Read();
    pid_t self = static_cast<pid_t>(syscall(SYS_gettid));
    work->threads.Capture(fault.present ? static_cast<pid_t>(fault.threadId) : self,
                    fault.present ? fault.context : CurrentContext(), self, CurrentContext());
    Directory directory;
    WriteStreams(file, fault, type, *work, directory);
    work->threads.Release();
    directory.WriteHeader(file, type);
    return file.Good();
}

}  // namespace

extern "C" BOOL WINAPI MiniDumpWriteDump(HANDLE process, DWORD processId, HANDLE file, MINIDUMP_TYPE dumpType,
                                         PMINIDUMP_EXCEPTION_INFORMATION exceptionParam,
                                         PMINIDUMP_USER_STREAM_INFORMATION userStreamParam,
                                         PMINIDUMP_CALLBACK_INFORMATION callbackParam) {
    if (processId != static_cast<DWORD>(getpid())) {
        SetLastError(ERROR_NOT_SUPPORTED);  // only the own process can be read without a debugger
        return FALSE;
    }
    std::shared_ptr<FileObject> output = FindFile(file);
    if (!output) return FALSE;
    if (writing.test_and_set()) {
        SetLastError(kErrorBusy);
        return FALSE;
    }
    bool written = WriteDump(output->Descriptor(), ReadFault(exceptionParam), dumpType);
    writing.clear();
    if (!written) SetLastError(kErrorWriteFault);
    return written ? TRUE : FALSE;
}
