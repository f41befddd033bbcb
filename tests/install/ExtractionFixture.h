// Shared pieces of the extraction tests: archives made with the 7z command,
// one extraction with its standard output and progress captured, and a
// comparison of two extracted trees.
#pragma once

#include "install/PayloadExtraction.h"

#include <stdint.h>

#include <string>
#include <vector>

struct Extraction {
    ExtractResult result = ExtractResult::ExtractFailed;
    std::string output;            // what the extraction wrote to standard output
    std::vector<float> percents;   // every reported percentage, in order
};

// ExtractArchive with unix paths (seen through drive Z:).
Extraction Extract(const std::string& archive, const std::string& folder);

// "Z:\..." for a unix path.
std::wstring DosPath(const std::string& unixPath);

// Runs a shell command line; fails the test when it does not exit with 0.
void Shell(const std::string& command);
// `7z a` of everything in folder into archive, with further switches.
void PackFolder(const std::string& folder, const std::string& archive, const std::string& switches = "");
// `7z x` of archive into folder.
void UnpackWithSevenZip(const std::string& archive, const std::string& folder);

void WriteFileAt(const std::string& path, const std::string& bytes);
std::string ReadFileAt(const std::string& path);

// An archive made with -mhc=off with the first 32-bit field equal to from (in
// its header) replaced by to, and the header checksums fixed up.
void PatchHeaderField(const std::string& archive, uint32_t from, uint32_t to);

// Every difference between two trees: names, kinds, contents, file
// modification times and read-only-ness; empty when they agree.
std::vector<std::string> TreeDifferences(const std::string& expected, const std::string& actual);

bool ExistsAt(const std::string& path);
