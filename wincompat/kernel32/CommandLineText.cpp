#include "kernel32/CommandLineText.h"

namespace wincompat {

std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote is escaped.
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');  // they will stand before the closing quote
    quoted += L'"';
    return quoted;
}

std::wstring JoinCommandLine(const std::vector<std::wstring>& arguments) {
    std::wstring text;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i) {
            text += L' ';
            text += QuoteArgument(arguments[i]);
        } else {
            bool spaced = arguments[0].empty() || arguments[0].find_first_of(L" \t") != std::wstring::npos;
            text += spaced ? L"\"" + arguments[0] + L"\"" : arguments[0];
        }
    }
    return text;
}

}  // namespace wincompat
