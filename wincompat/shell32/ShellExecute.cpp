// ShellExecuteW: web addresses go to the desktop's default handler
// (xdg-open, found on PATH); a program file starts as CreateProcessW starts it.
#include "prefix/Prefix.h"

#include <shellapi.h>

#include <glib.h>

#include <string>

using namespace wincompat;

namespace {

constexpr INT_PTR kStarted = 42;  // any answer above 32 means success

HINSTANCE Answer(INT_PTR value) { return reinterpret_cast<HINSTANCE>(value); }

bool IsOpenVerb(LPCWSTR verb) { return !verb || !*verb || EqualNoCase(verb, L"open"); }

bool IsWebAddress(std::wstring_view file) {
    for (std::wstring_view scheme : {L"http://", L"https://"})
        if (file.size() > scheme.size() && EqualNoCase(file.substr(0, scheme.size()), scheme)) return true;
    return false;
}

// Detached: GLib's intermediate child leaves no zombie behind.
INT_PTR OpenWebAddress(const std::wstring& address) {
    std::string url = Utf8FromWide(address);
    gchar* argv[] = {const_cast<gchar*>("xdg-open"), url.data(), nullptr};
    GError* error = nullptr;
    auto flags = GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDOUT_TO_DEV_NULL);
    gboolean started = g_spawn_async(nullptr, argv, nullptr, flags, nullptr, nullptr, nullptr, &error);
    if (started) return kStarted;
    g_error_free(error);
    return SE_ERR_NOASSOC;
}

INT_PTR ErrorAnswer(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND: return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND: return SE_ERR_PNF;
    case ERROR_ACCESS_DENIED: return SE_ERR_ACCESSDENIED;
    default: return SE_ERR_NOASSOC;
    }
}

INT_PTR StartProgram(LPCWSTR file, LPCWSTR parameters, LPCWSTR directory, INT showCommand) {
    DWORD attributes = GetFileAttributesW(file);
    if (attributes == INVALID_FILE_ATTRIBUTES) return ErrorAnswer(GetLastError());
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return SE_ERR_NOASSOC;
    std::wstring commandLine = L"\"" + std::wstring(file) + L"\"";
    if (parameters && *parameters) commandLine += L" " + std::wstring(parameters);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(file, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory && *directory ? directory : nullptr, &startup, &process))
        return ErrorAnswer(GetLastError());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return kStarted;
}

}  // namespace

extern "C" HINSTANCE WINAPI ShellExecuteW(HWND window, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                                          LPCWSTR directory, INT showCommand) {
    if (!file || !*file) return Answer(SE_ERR_FNF);
    if (!IsOpenVerb(verb)) return Answer(SE_ERR_NOASSOC);
    if (IsWebAddress(file)) return Answer(OpenWebAddress(file));
    return Answer(StartProgram(file, parameters, directory, showCommand));
}
