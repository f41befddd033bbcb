// The command line of regsvr32: [/s] [/u] [/n] [/i[:text]] library.
#pragma once

#include <string>

namespace regsvr32 {

struct Regsvr32Arguments {
    bool silent = false;      // /s: no message
    bool unregister = false;  // /u
    std::wstring library;     // as given; made a full path by the caller
};

// Options start with "/" or "-", in any case. False unless exactly one library is named.
bool ParseArguments(const std::wstring& commandLine, Regsvr32Arguments& arguments);

}  // namespace regsvr32
