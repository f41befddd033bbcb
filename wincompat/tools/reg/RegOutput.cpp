// What wincompat-reg writes to its terminal.
#include "reg/RegCommands.h"

#include "prefix/Prefix.h"

#include <stdio.h>

namespace regtool {

void Print(const std::wstring& text) { fputs(wincompat::Utf8FromWide(text).c_str(), stdout); }

int Fail(const char* message) {
    fflush(stdout);
    fprintf(stderr, "ERROR: %s\n", message);
    return 1;
}

int NotFound() { return Fail("The system was unable to find the specified registry key or value."); }

}  // namespace regtool
