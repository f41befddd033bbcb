// A packed skin read back as the installer reads it: deciphered with the
// installer's own DecryptResource, then opened as a zip held in memory.
#pragma once

#include <time.h>

#include <cstdint>
#include <string>
#include <vector>

struct SkinEntry {
    std::string name;
    std::string bytes;
    uint16_t compression = 0;  // ZIP_CM_*
    time_t modified = 0;
};

// The entries in archive order. False, with error set, when the bytes do not
// decipher to a readable zip.
bool UnpackSkin(const std::string& enciphered, std::vector<SkinEntry>& entries, std::string& error);

// The entry of that name, or null.
const SkinEntry* FindSkinEntry(const std::vector<SkinEntry>& entries, const std::string& name);
