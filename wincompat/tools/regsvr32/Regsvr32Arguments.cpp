#include "regsvr32/Regsvr32Arguments.h"

#include <windows.h>
#include <shellapi.h>

#include <wctype.h>

#include <vector>

namespace regsvr32 {

namespace {

std::vector<std::wstring> Split(const std::wstring& commandLine) {
    std::vector<std::wstring> words;
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(commandLine.c_str(), &count);
    if (!list) return words;
    for (int i = 1; i < count; ++i) words.emplace_back(list[i]);
    LocalFree(list);
    return words;
}

// /i and /n concern DllInstall, which our libraries do not have; accepted and ignored.
bool ApplyOption(const std::wstring& option, Regsvr32Arguments& arguments) {
    wchar_t letter = static_cast<wchar_t>(towlower(option[1]));
    if (option.size() == 2 && letter == L's') arguments.silent = true;
    else if (option.size() == 2 && letter == L'u') arguments.unregister = true;
    else if (option.size() == 2 && letter == L'n') return true;
    else if (letter == L'i' && (option.size() == 2 || option[2] == L':')) return true;
    else return false;
    return true;
}

}  // namespace

bool ParseArguments(const std::wstring& commandLine, Regsvr32Arguments& arguments) {
    for (const std::wstring& word : Split(commandLine)) {
        bool isOption = word.size() >= 2 && (word[0] == L'/' || word[0] == L'-');
        if (isOption) {
            if (!ApplyOption(word, arguments)) return false;
        } else if (arguments.library.empty() && !word.empty()) {
            arguments.library = word;
        } else {
            return false;
        }
    }
    return !arguments.library.empty();
}

}  // namespace regsvr32
