// The command-line splitter on any text, and the joiner against it: the
// arguments CommandLineToArgvW gives, joined again, split into the same ones.
#include "kernel32/CommandLineText.h"

#include <shellapi.h>
#include <windows.h>

#include "FuzzCheck.h"
#include "FuzzInput.h"

#include <vector>

namespace {

std::vector<std::wstring> Split(const std::wstring& text) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(text.c_str(), &count);
    FuzzCheck(argv != nullptr && count >= 1, "a command line gives at least the program");
    std::vector<std::wstring> arguments(argv, argv + count);
    FuzzCheck(argv[count] == nullptr, "the argument array ends with a null pointer");
    LocalFree(argv);
    return arguments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    std::wstring text = WideFromBytes(input.Text('\0'));
    if (text.empty()) return 0;  // the program's own path: not the splitter's work
    std::vector<std::wstring> arguments = Split(text);
    FuzzCheck(Split(wincompat::JoinCommandLine(arguments)) == arguments, "joined arguments split back the same");
    return 0;
}
