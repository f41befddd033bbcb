// Running a program of the build in a child process and collecting what it did.
#pragma once

#include <map>
#include <string>
#include <vector>

struct ProcessResult {
    int exitCode = -1;    // -1 when it did not exit normally
    int signal = 0;       // the signal that ended it, if any
    std::string output;   // standard output
    std::string errors;   // standard error
};

// Runs arguments[0] with the given arguments; environment entries are added to
// (or replace) the test's own environment. Waits at most timeoutSeconds.
ProcessResult RunProcess(const std::vector<std::string>& arguments,
                         const std::map<std::string, std::string>& environment = {},
                         int timeoutSeconds = 120);

// The test's own environment with the entries added or replaced, as NAME=VALUE.
std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extra);
// argv/envp for exec: the texts' pointers followed by a null.
std::vector<char*> Pointers(std::vector<std::string>& texts);

// A file of the build folder, such as "velmora-setup" or "stamp-channel".
std::string BuildFile(const std::string& name);

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& bytes);
