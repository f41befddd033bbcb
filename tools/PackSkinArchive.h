// The files of a skin folder, and the zip archive made of them.
#pragma once

#include <string>
#include <vector>

struct SkinFile {
    std::string name;  // path inside the folder, with '/' separators
    std::string bytes;
};

// Reads every regular file under folder, sorted by name. False, with error
// set, when the folder is missing or unreadable or holds no file.
bool ReadSkinFolder(const std::string& folder, std::vector<SkinFile>& files, std::string& error);

// Makes a deflated zip archive of files, in their order. Every entry carries
// the same fixed time stamp, so the same files always give the same bytes.
bool ZipSkinFiles(const std::vector<SkinFile>& files, std::string& archive, std::string& error);
