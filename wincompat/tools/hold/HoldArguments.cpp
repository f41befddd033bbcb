#include "hold/HoldArguments.h"

#include <windows.h>

#include <stdio.h>
#include <string.h>

namespace holdtool {

namespace {

// "NONE", or letters R, W, D in any order: the shares granted to others.
bool ParseShare(const std::string& text, DWORD& share) {
    share = 0;
    if (text == "NONE") return true;
    if (text.empty()) return false;
    for (char c : text) {
        if (c == 'R') share |= FILE_SHARE_READ;
        else if (c == 'W') share |= FILE_SHARE_WRITE;
        else if (c == 'D') share |= FILE_SHARE_DELETE;
        else return false;
    }
    return true;
}

// "R", "W" or "RW": the access the holder asks for.
bool ParseAccess(const std::string& text, DWORD& access) {
    if (text == "R") access = GENERIC_READ;
    else if (text == "W") access = GENERIC_WRITE;
    else if (text == "RW") access = GENERIC_READ | GENERIC_WRITE;
    else return false;
    return true;
}

bool Usage() {
    fprintf(stderr, "usage: wincompat-hold PATH [--share NONE|R|W|D...] [--access R|W|RW] [--image]\n"
                    "       wincompat-hold --mutex NAME\n");
    return false;
}

}  // namespace

bool ParseHoldArguments(int argc, char** argv, HoldArguments& arguments) {
    for (int i = 1; i < argc; ++i) {
        std::string word = argv[i];
        bool hasValue = i + 1 < argc;
        if (word == "--image") arguments.image = true;
        else if (word == "--mutex") arguments.mutex = true;
        else if (word == "--share" && hasValue && ParseShare(argv[i + 1], arguments.share)) ++i;
        else if (word == "--access" && hasValue && ParseAccess(argv[i + 1], arguments.access)) ++i;
        else if (word.rfind("--", 0) != 0 && arguments.path.empty()) arguments.path = word;
        else return Usage();
    }
    return arguments.path.empty() ? Usage() : true;
}

}  // namespace holdtool
