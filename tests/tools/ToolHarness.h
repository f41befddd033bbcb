// Running the built programs from tests, and reading the files they change.
#pragma once

#include "kernel32/ElfSections.h"

#include <string>
#include <string_view>
#include <vector>

#include <sys/types.h>

struct ProcessResult {
    int exitCode = -1;  // -1 when the program did not exit normally
    std::string output;
    std::string errors;
};

// Runs the program with these arguments (argv[0] is its path) and waits.
ProcessResult RunProcess(const std::vector<std::string>& argv);

// A program left running with a pipe on its standard input; closing the
// pipe (or the destructor) ends a program that reads it to the end.
class RunningProcess {
public:
    explicit RunningProcess(const std::vector<std::string>& argv);
    ~RunningProcess();
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    bool started() const { return pid_ > 0; }
    bool alive() const;
    // Closes standard input and returns the exit code.
    int Finish();

private:
    pid_t pid_ = -1;
    int input_ = -1;
};

// A program of the build folder, such as "stamp-channel".
std::string BuiltProgram(const std::string& name);

// Copies a file into a fresh test folder, keeping its permissions.
std::string CopyToTestFolder(const std::string& source, const std::string& folderName);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, std::string_view bytes);

// An ELF section of the file; all fields zero when there is none.
wincompat::ElfSection SectionOf(const std::string& file, const std::string& name);
// The contents of an ELF section as the file holds them; empty when absent.
std::string SectionBytes(const std::string& file, const std::string& name);
