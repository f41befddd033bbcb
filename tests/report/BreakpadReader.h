// Breakpad's readers of minidumps (minidump_stackwalk, minidump_dump and the
// symbol writer dump_syms, prebuilt in the npm package `minidump` that
// scripts/test-tools.sh installs): a second opinion on a dump beside lldb.
#pragma once

#include <string>
#include <vector>

// The folder holding the three tools, or empty when they are not installed.
std::string BreakpadToolsFolder();

// What minidump_stackwalk's machine-readable output says of a dump.
struct StackwalkReading {
    int exitCode = -1;
    std::string output;          // all of it, for messages
    std::string crashReason;     // "SIGSEGV /SEGV_MAPERR", "SIGABRT", ...
    int crashThread = -1;        // index into the thread list
    std::vector<std::string> modules;              // file names, main module first
    std::vector<std::string> crashThreadFunctions;  // symbolised frames of the crashing thread
};

// Writes the program's symbols (dump_syms) into a store beside the dump and
// walks the dump's stacks with them.
StackwalkReading WalkDump(const std::string& dumpPath, const std::string& program);

// minidump_dump's exit code and output.
struct DumpListing {
    int exitCode = -1;
    std::string output;
};
DumpListing ListDump(const std::string& dumpPath);
