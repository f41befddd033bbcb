// main() of a Windows program: records the command line as Windows would
// have it and calls the program's wWinMain. Its result is the exit code.
#include <windows.h>

#include "kernel32/CommandLineText.h"
#include "prefix/Prefix.h"

#include <string>
#include <vector>

namespace {

// The text after the program name, as Windows passes it to WinMain.
LPWSTR ArgumentsPart(LPWSTR commandLine) {
    LPWSTR p = commandLine;
    if (*p == L'"') {
        for (++p; *p && *p != L'"'; ++p) {
        }
        if (*p) ++p;
    } else {
        while (*p && *p != L' ' && *p != L'\t') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::wstring> arguments;
    for (int i = 0; i < argc; ++i) arguments.push_back(wincompat::WideFromUtf8(argv[i]));
    wincompat::SetProcessCommandLine(wincompat::JoinCommandLine(arguments));
    const int kShowDefault = 10;  // SW_SHOWDEFAULT
    return wWinMain(GetModuleHandleW(nullptr), nullptr, ArgumentsPart(GetCommandLineW()), kShowDefault);
}
