// Files in use: share modes between two opens, deletes and renames of open
// files, a holder in another process, and the image of a running program.
#include "ChildProcess.h"
#include "Harness.h"
#include "Scratch.h"

#include <wchar.h>

#include <string>

using namespace conformance;

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

// The second open succeeds when each side shares what the other asked for.
CONFORMANCE_CASE(Sharing, ShareModeMatrix) {
    std::wstring path = CaseFolder(L"Sharing.ShareModeMatrix") + L"\\shared.txt";
    REQUIRE(WriteBytes(path, "data"));
    const DWORD R = GENERIC_READ, W = GENERIC_WRITE, SR = FILE_SHARE_READ, SW = FILE_SHARE_WRITE;
    struct Row {
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool opens;
    } rows[] = {
        {R, SR, R, SR, true},
        {R, SR, W, SR | SW, false},
        {R, SR | SW, W, SR, true},
        {R, SR | SW, W, SW, false},
        {W, SR, R, SR | SW, true},
        {W, SR, R, SR, false},
        {R | W, 0, R, kShareAll, false},
        {R, SR | SW, DELETE, kShareAll, false},
        {R, kShareAll, DELETE, kShareAll, true},
        // An open for attributes only neither restricts others nor is restricted.
        {FILE_READ_ATTRIBUTES, 0, R | W, 0, true},
        {R | W, 0, FILE_READ_ATTRIBUTES, 0, true},
    };
    for (const Row& row : rows) {
        Opened first = Open(path, row.firstAccess, row.firstShare, OPEN_EXISTING);
        REQUIRE(first.handle.valid());
        Opened second = Open(path, row.secondAccess, row.secondShare, OPEN_EXISTING);
        CHECK_EQ(second.handle.valid(), row.opens);
        if (!row.opens) CHECK_EQ(second.error, ERROR_SHARING_VIOLATION);
    }
}

// Deleting or renaming a file needs every open of it to share delete.
CONFORMANCE_CASE(Sharing, DeleteAndRenameOfOpenFiles) {
    std::wstring folder = CaseFolder(L"Sharing.DeleteAndRenameOfOpenFiles");
    std::wstring path = folder + L"\\open.txt", renamed = folder + L"\\renamed.txt";
    REQUIRE(WriteBytes(path, "data"));
    {
        Opened holder = Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
        REQUIRE(holder.handle.valid());
        CHECK(!DeleteFileW(path.c_str()));
        CHECK_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
        CHECK(!MoveFileExW(path.c_str(), renamed.c_str(), 0));
        CHECK_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
        // An open file cannot be replaced by a rename either.
        REQUIRE(WriteBytes(renamed, "other"));
        CHECK(!MoveFileExW(renamed.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
        CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
        CHECK(DeleteFileW(renamed.c_str()));
    }
    {
        Opened holder = Open(path, GENERIC_READ, kShareAll, OPEN_EXISTING);
        REQUIRE(holder.handle.valid());
        CHECK(MoveFileExW(path.c_str(), renamed.c_str(), 0));
        CHECK(MoveFileExW(renamed.c_str(), path.c_str(), 0));
    }
    CHECK(DeleteFileW(path.c_str()));
    CHECK(!Exists(path));
}

// Holds a file open: --child hold PATH ACCESS SHARE, until PATH.release appears.
CONFORMANCE_CHILD(hold) {
    if (arguments.size() != 3) return 2;
    const std::wstring& path = arguments[0];
    DWORD access = wcstoul(arguments[1].c_str(), nullptr, 16);
    DWORD share = wcstoul(arguments[2].c_str(), nullptr, 16);
    Opened file = Open(path, access, share, OPEN_EXISTING);
    if (!file.handle.valid()) return 3;
    if (!WriteBytes(path + L".held", "held")) return 4;
    return WaitForFile(path + L".release", 60000) ? 0 : 5;
}

CONFORMANCE_CASE(Sharing, HolderInAnotherProcess) {
    std::wstring folder = CaseFolder(L"Sharing.HolderInAnotherProcess");
    std::wstring path = folder + L"\\held.txt";
    REQUIRE(WriteBytes(path, "data"));
    ChildProcess holder;
    REQUIRE(holder.Start(L"hold", {path, L"80000000", L"1"}));  // GENERIC_READ, FILE_SHARE_READ
    REQUIRE(WaitForFile(path + L".held", 20000));
    CHECK(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).handle.valid());
    CHECK_EQ(Open(path, GENERIC_WRITE, kShareAll, OPEN_EXISTING).error, ERROR_SHARING_VIOLATION);
    CHECK(!DeleteFileW(path.c_str()));
    CHECK_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    CHECK(!MoveFileW(path.c_str(), (folder + L"\\moved.txt").c_str()));
    CHECK_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    // An ended holder leaves the file free at once.
    CHECK(holder.Terminate(9));
    CHECK_EQ(holder.Wait(10000), WAIT_OBJECT_0);
    CHECK_EQ(holder.ExitCode(), 9u);
    CHECK(DeleteFileW(path.c_str()));
}

// The file of a running program cannot be deleted but can be renamed.
CONFORMANCE_CASE(Sharing, ImageOfARunningProgram) {
    const std::wstring& program = ProgramPath();
    std::wstring renamed = program + L".renamed";
    CHECK(!DeleteFileW(program.c_str()));
    CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    CHECK_EQ(Open(program, GENERIC_WRITE, kShareAll, OPEN_EXISTING).error, ERROR_SHARING_VIOLATION);
    CHECK(Open(program, GENERIC_READ, kShareAll, OPEN_EXISTING).handle.valid());
    REQUIRE(MoveFileW(program.c_str(), renamed.c_str()));
    CHECK(!DeleteFileW(renamed.c_str()));
    CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    CHECK(MoveFileW(renamed.c_str(), program.c_str()));
}
