// The command line of wincompat-hold.
#pragma once

#include <windef.h>

#include <string>

namespace holdtool {

struct HoldArguments {
    std::string path;     // as given: a Windows path or a unix one
    DWORD access = 0x80000000;  // GENERIC_READ
    DWORD share = 0;      // no sharing, as a plain CreateFileW call would ask
    bool image = false;   // held as a loaded library is
    bool mutex = false;   // path is the name of a mutex to create and own
};

// False (with the reason written to standard error) for a bad command line.
bool ParseHoldArguments(int argc, char** argv, HoldArguments& arguments);

}  // namespace holdtool
