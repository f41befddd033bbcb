// What an install leaves in a prefix, read back to compare runs: the install
// folder's files, every key and value of the machine hive, and the user's
// configuration files.
#pragma once

#include <map>
#include <string>

struct InstallSnapshot {
    std::map<std::string, std::string> files;     // path below the install folder -> "D" or the content's digest
    std::map<std::string, std::string> registry;  // key path, or key path + "/" + value name -> type and data
    std::string hiveProblem;                      // why system.reg (if any) did not read cleanly
    std::string installPath;                      // InstallPath of VelmoraUser.ini
    std::string spreader;                         // Spreader of VelmoraUser.ini
    std::string version;                          // ver of VelmoraUserVersion.ini
};

InstallSnapshot TakeSnapshot(const std::string& prefix, const std::string& login);

// Empty when `actual` holds everything of `complete` unchanged (more entries
// are fine: files renamed aside, pending operations); otherwise what differs.
std::string MissingFrom(const InstallSnapshot& actual, const InstallSnapshot& complete);

// Empty when the profile file is absent or reads as one: CRLF lines, each a
// [section] or a key=value line. Otherwise what is wrong.
std::string ProfileFileProblem(const std::string& path);

// The unix names of the hive temporaries left in the prefix.
std::string HiveTemporaries(const std::string& prefix);
