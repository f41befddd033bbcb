// What the file system says about a link's target and the folders above it:
// the header's attributes, times and size, and each ID list item's.
#pragma once

#include <windef.h>

#include <string>

namespace wincompat {

struct TargetFacts {
    bool exists = false;
    bool folder = false;
    DWORD attributes = 0;  // all zero when the target does not exist
    FILETIME creation = {};
    FILETIME access = {};
    FILETIME write = {};
    uint64_t size = 0;
};

TargetFacts ReadTargetFacts(const std::wstring& dosPath);

// MS-DOS date and time (UTC) as file entry items store them.
struct FatDateTime {
    WORD date = 0;
    WORD time = 0;
};
FatDateTime FatFromFileTime(const FILETIME& time);

// A volume serial number for a drive ("C:"), stable for the unix folder behind it.
DWORD DriveSerialNumber(const std::wstring& drive);

}  // namespace wincompat
