// CommandLineToArgvW with the Windows rules:
// - the program name ends at the first white space, or is the text between
//   a leading pair of quotes; backslashes mean nothing in it;
// - elsewhere 2n backslashes before a quote give n backslashes and the quote
//   opens or closes a quoted part; 2n+1 give n backslashes and a literal quote;
//   backslashes not followed by a quote are literal;
// - inside a quoted part, a quote directly followed by another quote gives a
//   literal quote and the part goes on.
#include <shellapi.h>

#include <string.h>
#include <wchar.h>

#include <string>
#include <vector>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

// Returns the position after the program name.
const wchar_t* ParseProgramName(const wchar_t* p, std::wstring& name) {
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') name += *p++;
        if (*p == L'"') ++p;
    } else {
        while (*p && !IsBlank(*p)) name += *p++;
    }
    return p;
}

const wchar_t* ParseArgument(const wchar_t* p, std::wstring& argument) {
    bool quoted = false;
    while (*p && (quoted || !IsBlank(*p))) {
        if (*p == L'\\') {
            size_t backslashes = 0;
            while (*p == L'\\') ++backslashes, ++p;
            if (*p == L'"') {
                argument.append(backslashes / 2, L'\\');
                if (backslashes % 2) {
                    argument += L'"';
                    ++p;
                }
            } else {
                argument.append(backslashes, L'\\');
            }
        } else if (*p == L'"') {
            ++p;
            if (quoted && *p == L'"') {
                argument += L'"';
                ++p;
            } else {
                quoted = !quoted;
            }
        } else {
            argument += *p++;
        }
    }
    return p;
}

std::vector<std::wstring> SplitCommandLine(const wchar_t* text) {
    std::vector<std::wstring> arguments(1);
    const wchar_t* p = ParseProgramName(text, arguments[0]);
    for (;;) {
        while (IsBlank(*p)) ++p;
        if (!*p) break;
        arguments.emplace_back();
        p = ParseArgument(p, arguments.back());
    }
    return arguments;
}

}  // namespace

extern "C" LPWSTR* WINAPI CommandLineToArgvW(LPCWSTR cmdLine, int* numArgs) {
    if (!numArgs) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::vector<std::wstring> arguments;
    if (!cmdLine || !*cmdLine) {
        // An empty command line yields the program's own path.
        WCHAR path[MAX_PATH];
        DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        arguments.emplace_back(path, length);
    } else {
        arguments = SplitCommandLine(cmdLine);
    }

    // One block holds the pointer array and the strings, so LocalFree releases all.
    size_t bytes = (arguments.size() + 1) * sizeof(LPWSTR);
    for (const std::wstring& argument : arguments) bytes += (argument.size() + 1) * sizeof(WCHAR);
    auto** block = static_cast<LPWSTR*>(LocalAlloc(LMEM_FIXED, bytes));
    if (!block) return nullptr;
    auto* text = reinterpret_cast<WCHAR*>(block + arguments.size() + 1);
    for (size_t i = 0; i < arguments.size(); ++i) {
        block[i] = text;
        wmemcpy(text, arguments[i].c_str(), arguments[i].size() + 1);
        text += arguments[i].size() + 1;
    }
    block[arguments.size()] = nullptr;
    *numArgs = static_cast<int>(arguments.size());
    return block;
}
