#include "kernel32/ProcessCommandLine.h"

#include "prefix/Prefix.h"

#include <shellapi.h>

#include <stdlib.h>

namespace wincompat {

namespace {

const char kVariable[] = "WINCOMPAT_COMMAND_LINE";

std::vector<std::wstring> SplitArguments(const std::wstring& commandLine) {
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(commandLine.c_str(), &count);
    if (!list) return arguments;
    for (int i = 0; i < count; ++i) arguments.emplace_back(list[i]);
    LocalFree(list);
    return arguments;
}

}  // namespace

std::string CommandLineVariable(const std::wstring& commandLine, size_t nameLength) {
    return std::string(kVariable) + "=" + std::to_string(nameLength) + ":" + Utf8FromWide(commandLine);
}

std::vector<std::wstring> ArgumentsAfterName(const std::wstring& commandLine, size_t nameLength) {
    // A stand-in program name lets CommandLineToArgvW split the rest by its argument rules.
    std::vector<std::wstring> arguments = SplitArguments(L"x " + commandLine.substr(nameLength));
    if (!arguments.empty()) arguments.erase(arguments.begin());
    return arguments;
}

std::wstring InheritedCommandLine(const std::wstring& own) {
    const char* value = getenv(kVariable);
    if (!value) return own;
    char* text = nullptr;
    unsigned long long nameLength = strtoull(value, &text, 10);
    if (text == value || *text != ':') return own;
    std::wstring inherited = WideFromUtf8(text + 1);
    if (nameLength > inherited.size()) return own;
    std::vector<std::wstring> ownArguments = SplitArguments(own);
    if (ownArguments.empty()) return own;
    ownArguments.erase(ownArguments.begin());
    return ownArguments == ArgumentsAfterName(inherited, nameLength) ? inherited : own;
}

}  // namespace wincompat
