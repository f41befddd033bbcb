// Runs the registered cases one after another and reports each outcome on
// standard output; the exit code is 0 when no expectation failed.
#include "Harness.h"

#include <shellapi.h>

#include <stdio.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

// The native build names the bitness wincompat emulates; a Windows build runs
// as what it was compiled for.
#ifndef CONFORMANCE_PROGRAM_BITS
#define CONFORMANCE_PROGRAM_BITS (sizeof(void*) * 8)
#endif

namespace conformance {

namespace {

struct Case {
    std::string area;
    std::string name;
    CaseFunction run;
    std::string FullName() const { return area + "." + name; }
};

std::vector<Case>& Cases() {
    static std::vector<Case> cases;
    return cases;
}

std::map<std::string, ChildFunction>& Children() {
    static std::map<std::string, ChildFunction> children;
    return children;
}

// State of the case that runs now.
struct Current {
    std::string name;
    int failures = 0;
    int divergences = 0;
    bool skipped = false;
    const char* divergenceReason = nullptr;
};
Current current;

struct Totals {
    int passed = 0, failed = 0, skipped = 0, divergences = 0;
} totals;

std::wstring login;

std::vector<std::wstring> Arguments() {
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> arguments;
    for (int i = 0; list && i < count; ++i) arguments.emplace_back(list[i]);
    if (list) LocalFree(list);
    return arguments;
}

const char* BaseName(const char* file) {
    const char* base = file;
    for (const char* p = file; *p; ++p)
        if (*p == '/' || *p == '\\') base = p + 1;
    return base;
}

bool Selected(const Case& c, const std::vector<std::string>& filters) {
    if (filters.empty()) return true;
    for (const std::string& filter : filters)
        if (c.FullName().compare(0, filter.size(), filter) == 0) return true;
    return false;
}

void RunCase(const Case& c) {
    current = Current{c.FullName()};
    SetLastError(0);
    c.run();
    if (current.skipped) {
        ++totals.skipped;
    } else if (current.failures) {
        ++totals.failed;
        printf("FAIL  %s\n", current.name.c_str());
    } else {
        ++totals.passed;
        printf("PASS  %s\n", current.name.c_str());
    }
    totals.divergences += current.divergences;
    fflush(stdout);
}

int RunCases(const std::vector<std::string>& filters) {
    std::vector<Case>& cases = Cases();
    std::sort(cases.begin(), cases.end(),
              [](const Case& a, const Case& b) { return a.FullName() < b.FullName(); });
    printf("conformance: %s, %d-bit program\n", OnWine() ? "Wine" : "wincompat", ProgramBits());
    for (const Case& c : cases)
        if (Selected(c, filters)) RunCase(c);
    printf("conformance: %d cases: %d passed, %d failed, %d skipped; %d Wine divergences seen\n",
           totals.passed + totals.failed + totals.skipped, totals.passed, totals.failed, totals.skipped,
           totals.divergences);
    return totals.failed ? 1 : 0;
}

int RunChild(const std::vector<std::wstring>& arguments) {
    auto found = Children().find(Utf8(arguments[2]));
    if (found == Children().end()) return 100;
    return found->second(std::vector<std::wstring>(arguments.begin() + 3, arguments.end()));
}

}  // namespace

bool RegisterCase(const char* area, const char* name, CaseFunction run) {
    Cases().push_back({area, name, run});
    return true;
}

bool RegisterChild(const char* name, ChildFunction run) {
    Children()[name] = run;
    return true;
}

bool OnWine() {
    static const bool wine = [] {
        HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

int ProgramBits() { return static_cast<int>(CONFORMANCE_PROGRAM_BITS); }

const std::wstring& Login() { return login; }

const std::wstring& ProgramPath() {
    static const std::wstring path = [] {
        WCHAR buffer[MAX_PATH];
        DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
        return std::wstring(buffer, length < MAX_PATH ? length : 0);
    }();
    return path;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    std::string bytes(size > 0 ? size : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr,
                            nullptr);
    return bytes;
}

bool Expect(bool ok, const char* file, int line, const std::string& what) {
    if (ok) return true;
    if (current.divergenceReason && OnWine()) {
        ++current.divergences;
        printf("WINE  %s  %s:%d  %s  [%s]\n", current.name.c_str(), BaseName(file), line,
               current.divergenceReason, what.c_str());
        return false;
    }
    ++current.failures;
    printf("      %s  %s:%d  %s\n", current.name.c_str(), BaseName(file), line, what.c_str());
    return false;
}

void Skip(const std::string& reason) {
    current.skipped = true;
    printf("SKIP  %s  %s\n", current.name.c_str(), reason.c_str());
}

WineDivergence::WineDivergence(const char* reason, const char* file, int line)
    : previous_(current.divergenceReason), divergencesBefore_(current.divergences), file_(file), line_(line) {
    current.divergenceReason = reason;
}

WineDivergence::~WineDivergence() {
    // A divergence Wine no longer shows is worth knowing, not a failure.
    if (OnWine() && current.divergences == divergencesBefore_)
        printf("AGREE %s  %s:%d  Wine answers as Windows here: %s\n", current.name.c_str(), BaseName(file_), line_,
               current.divergenceReason);
    current.divergenceReason = previous_;
}

std::string Describe(long long value) {
    char text[64];
    if (value > 0xFFFF || value < -0xFFFF)
        snprintf(text, sizeof(text), "%lld (0x%llx)", value, static_cast<unsigned long long>(value) & 0xFFFFFFFFull);
    else
        snprintf(text, sizeof(text), "%lld", value);
    return text;
}

std::string Describe(const std::string& value) {
    std::string text = "\"";
    for (unsigned char c : value) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            text += static_cast<char>(c);
        } else {
            char escape[8];
            snprintf(escape, sizeof(escape), "\\x%02x", c);
            text += escape;
        }
    }
    return text + "\"";
}

std::string Describe(const std::wstring& value) {
    std::string text = "L\"";
    for (wchar_t c : value) {
        if (c < 0x20) {
            char escape[8];
            snprintf(escape, sizeof(escape), "\\x%02x", static_cast<unsigned>(c));
            text += escape;
        } else {
            text += Utf8(std::wstring(1, c));
        }
    }
    return text + "\"";
}

std::string Describe(const std::vector<std::wstring>& value) {
    std::string text = "{";
    for (size_t i = 0; i < value.size(); ++i) text += (i ? ", " : "") + Describe(value[i]);
    return text + "}";
}

std::string DescribePointer(const void* value) {
    char text[32];
    snprintf(text, sizeof(text), "%p", value);
    return text;
}

}  // namespace conformance

// conformance-suite [--login NAME] [--case AREA.NAME ...]
// conformance-suite --child NAME ARGUMENTS...   (a helper process of a case)
int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    using namespace conformance;
    std::vector<std::wstring> arguments = Arguments();
    if (arguments.size() >= 3 && arguments[1] == L"--child") return RunChild(arguments);
    std::vector<std::string> filters;
    for (size_t i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == L"--login") login = arguments[i + 1];
        else if (arguments[i] == L"--case") filters.push_back(Utf8(arguments[i + 1]));
    }
    return RunCases(filters);
}
