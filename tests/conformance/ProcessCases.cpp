// Processes and command lines: how a command line splits into arguments, what
// a started program receives, exit codes, waiting, ending, opening by id and
// the tool help snapshot.
#include "ChildProcess.h"
#include "Harness.h"
#include "Scratch.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <stdlib.h>

#include <string>
#include <vector>

using namespace conformance;

namespace {

std::vector<std::wstring> Split(const wchar_t* commandLine) {
    int count = 0;
    LPWSTR* list = CommandLineToArgvW(commandLine, &count);
    std::vector<std::wstring> arguments;
    for (int i = 0; list && i < count; ++i) arguments.emplace_back(list[i]);
    if (list) LocalFree(list);
    return arguments;
}

std::wstring FileNameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

}  // namespace

CONFORMANCE_CASE(Processes, CommandLineSplitting) {
    struct Row {
        const wchar_t* line;
        std::vector<std::wstring> arguments;
    } rows[] = {
        {L"prog a b", {L"prog", L"a", L"b"}},
        {L"prog \"a b\" c", {L"prog", L"a b", L"c"}},
        {L"prog a\\\\b c\\", {L"prog", L"a\\\\b", L"c\\"}},
        {L"prog a\\\\\\\"b", {L"prog", L"a\\\"b"}},
        {L"prog \"a\\\\\"b", {L"prog", L"a\\b"}},
        {L"prog \"\" x", {L"prog", L"", L"x"}},
        {L"prog \t a  ", {L"prog", L"a"}},
        {L"prog a\"b c\"d", {L"prog", L"ab cd"}},
        // The program name ends at the closing quote and knows no escapes.
        {L"\"C:\\Program Files\\p.exe\" x", {L"C:\\Program Files\\p.exe", L"x"}},
        {L"C:\\dir\\p.exe\\ \"y z\"", {L"C:\\dir\\p.exe\\", L"y z"}},
    };
    for (const Row& row : rows) CHECK_EQ(Split(row.line), row.arguments);
    // An empty line stands for the program itself.
    CHECK_EQ(Split(L""), std::vector<std::wstring>{ProgramPath()});
}

// Writes the arguments it got, one per line in UTF-8: --child echo FILE ARGUMENTS...
CONFORMANCE_CHILD(echo) {
    if (arguments.empty()) return 2;
    std::string text;
    for (size_t i = 1; i < arguments.size(); ++i) text += Utf8(arguments[i]) + "\n";
    return WriteBytes(arguments[0], text) ? 0 : 3;
}

CONFORMANCE_CHILD(exit) { return arguments.empty() ? 2 : _wtoi(arguments[0].c_str()); }

// Runs until FILE appears: --child wait FILE
CONFORMANCE_CHILD(wait) { return arguments.empty() ? 2 : (WaitForFile(arguments[0], 60000) ? 0 : 4); }

CONFORMANCE_CASE(Processes, StartedProgramGetsItsArguments) {
    std::wstring output = CaseFolder(L"Processes.StartedProgramGetsItsArguments") + L"\\arguments.txt";
    const std::wstring chinese = {0x4E2D, 0x6587};
    std::vector<std::wstring> sent = {L"plain", L"with space", L"quote\"inside", L"trailing\\", L"", chinese,
                                      L"C:\\Program Files (x86)\\V\\"};
    std::vector<std::wstring> arguments = {output};
    arguments.insert(arguments.end(), sent.begin(), sent.end());
    ChildProcess child;
    REQUIRE(child.Start(L"echo", arguments));
    REQUIRE_EQ(child.Wait(30000), WAIT_OBJECT_0);
    CHECK_EQ(child.ExitCode(), 0u);
    std::string expected;
    for (const std::wstring& argument : sent) expected += Utf8(argument) + "\n";
    CHECK_EQ(ReadBytes(output), expected);
}

CONFORMANCE_CASE(Processes, ExitCodesWaitsAndEnding) {
    {
        ChildProcess child;
        REQUIRE(child.Start(L"exit", {L"42"}));
        CHECK_EQ(child.Wait(INFINITE), WAIT_OBJECT_0);
        CHECK_EQ(child.ExitCode(), 42u);
    }
    std::wstring release = CaseFolder(L"Processes.ExitCodesWaitsAndEnding") + L"\\release";
    ChildProcess child;
    REQUIRE(child.Start(L"wait", {release}));
    CHECK_EQ(child.ExitCode(), static_cast<DWORD>(STILL_ACTIVE));
    CHECK_EQ(child.Wait(50), static_cast<DWORD>(WAIT_TIMEOUT));
    // Ended from outside through a handle of its own, as an installer ends running programs.
    Handle opened(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, child.Id()));
    REQUIRE(opened.get() != nullptr);
    CHECK(TerminateProcess(opened.get(), 3));
    CHECK_EQ(WaitForSingleObject(opened.get(), 10000), WAIT_OBJECT_0);
    CHECK_EQ(child.Wait(0), WAIT_OBJECT_0);
    CHECK_EQ(child.ExitCode(), 3u);
}

CONFORMANCE_CASE(Processes, StartFailures) {
    std::wstring folder = CaseFolder(L"Processes.StartFailures");
    std::wstring commandLine = folder + L"\\missing.exe";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    CHECK(!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    CHECK(!CreateProcessW(commandLine.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info));
    CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    CHECK_EQ(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, 0), static_cast<HANDLE>(nullptr));
    CHECK_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

CONFORMANCE_CASE(Processes, OwnProcess) {
    HANDLE self = GetCurrentProcess();
    CHECK_EQ(self, reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)));
    BOOL wow64 = 2;
    CHECK(IsWow64Process(self, &wow64));
    CHECK_EQ(wow64, ProgramBits() == 32 ? TRUE : FALSE);
    Handle opened(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, GetCurrentProcessId()));
    CHECK(opened.get() != nullptr);
    DWORD code = 0;
    CHECK(GetExitCodeProcess(self, &code));
    CHECK_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
}

// The snapshot lists every process with its program's file name and its parent.
CONFORMANCE_CASE(Processes, ToolhelpSnapshot) {
    std::wstring release = CaseFolder(L"Processes.ToolhelpSnapshot") + L"\\release";
    ChildProcess child;
    REQUIRE(child.Start(L"wait", {release}));
    Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    REQUIRE(snapshot.valid());
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    bool sawSelf = false, sawChild = false;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId()) {
            sawSelf = true;
            CHECK_EQ(std::wstring(entry.szExeFile), FileNameOf(ProgramPath()));
        }
        if (entry.th32ProcessID == child.Id()) {
            sawChild = true;
            CHECK_EQ(entry.th32ParentProcessID, GetCurrentProcessId());
            CHECK_EQ(std::wstring(entry.szExeFile), FileNameOf(ProgramPath()));
        }
    }
    CHECK_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    CHECK(sawSelf);
    CHECK(sawChild);
    WriteBytes(release, "");
    CHECK_EQ(child.Wait(10000), WAIT_OBJECT_0);
    CHECK_EQ(child.ExitCode(), 0u);
}
