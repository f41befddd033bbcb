// Files and folders: creation dispositions, names without regard to case,
// reading and writing, attributes, times, deletion and renaming.
#include "Harness.h"
#include "Scratch.h"

#include <wchar.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace conformance;

namespace {

const char kWineArchive[] = "Wine reports every regular file as ARCHIVE";

}  // namespace

CONFORMANCE_CASE(Files, CreateDispositions) {
    std::wstring folder = CaseFolder(L"Files.CreateDispositions");
    std::wstring existing = folder + L"\\existing.txt";
    REQUIRE(WriteBytes(existing, "old"));
    struct Row {
        const wchar_t* name;
        DWORD disposition;
        bool opens;
        DWORD error;  // the last error after the call, also on success
    } rows[] = {
        {L"existing.txt", CREATE_NEW, false, ERROR_FILE_EXISTS},
        {L"existing.txt", CREATE_ALWAYS, true, ERROR_ALREADY_EXISTS},
        {L"existing.txt", OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS},
        {L"existing.txt", OPEN_EXISTING, true, 0},
        {L"existing.txt", TRUNCATE_EXISTING, true, 0},
        {L"new1.txt", CREATE_NEW, true, 0},
        {L"new2.txt", CREATE_ALWAYS, true, 0},
        {L"new3.txt", OPEN_ALWAYS, true, 0},
        {L"missing.txt", OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND},
        {L"missing.txt", TRUNCATE_EXISTING, false, ERROR_FILE_NOT_FOUND},
        {L"no-folder\\file.txt", CREATE_ALWAYS, false, ERROR_PATH_NOT_FOUND},
        {L"no-folder\\file.txt", OPEN_EXISTING, false, ERROR_PATH_NOT_FOUND},
    };
    for (const Row& row : rows) {
        Opened file = Open(folder + L"\\" + row.name, GENERIC_READ | GENERIC_WRITE, 0, row.disposition);
        CHECK_EQ(file.handle.valid(), row.opens);
        CHECK_EQ(file.error, row.error);
    }
    CHECK_EQ(ReadBytes(existing), std::string());  // CREATE_ALWAYS and TRUNCATE_EXISTING emptied it
}

// A folder cannot be opened or replaced as a file, and a path cannot go
// through a file as if it were a folder.
CONFORMANCE_CASE(Files, FoldersAndFilesInPaths) {
    std::wstring folder = CaseFolder(L"Files.FoldersAndFilesInPaths");
    CHECK_EQ(Open(folder, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).error, ERROR_ACCESS_DENIED);
    REQUIRE(WriteBytes(folder + L"\\plain.txt", "x"));
    CHECK_EQ(Open(folder + L"\\plain.txt\\inner.txt", GENERIC_READ, 0, OPEN_EXISTING).error, ERROR_PATH_NOT_FOUND);
    CHECK_EQ(Open(folder, GENERIC_WRITE, 0, CREATE_ALWAYS).error, ERROR_ACCESS_DENIED);
}

CONFORMANCE_CASE(Files, NamesIgnoreCaseAndKeepIt) {
    std::wstring folder = CaseFolder(L"Files.NamesIgnoreCaseAndKeepIt");
    REQUIRE(WriteBytes(folder + L"\\MixedCase.Txt", "content"));
    CHECK_EQ(ReadBytes(folder + L"\\mixedcase.TXT"), std::string("content"));
    CHECK_EQ(ReadBytes(CaseFolder(L"FILES.NAMESIGNORECASEANDKEEPIT") + L"\\MIXEDCASE.TXT"), std::string("content"));
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\MIXEDCASE.txt").c_str(), &entry);
    REQUIRE(search != INVALID_HANDLE_VALUE);
    CHECK_EQ(std::wstring(entry.cFileName), std::wstring(L"MixedCase.Txt"));
    FindClose(search);
    // Writing through another spelling replaces the same file.
    REQUIRE(WriteBytes(folder + L"\\MIXEDCASE.TXT", "again"));
    CHECK_EQ(ReadBytes(folder + L"\\MixedCase.Txt"), std::string("again"));
    CHECK_EQ(Open(folder + L"\\mixedcase.txt", GENERIC_WRITE, 0, CREATE_NEW).error, ERROR_FILE_EXISTS);
}

CONFORMANCE_CASE(Files, FolderCreationAndRemoval) {
    std::wstring folder = CaseFolder(L"Files.FolderCreationAndRemoval");
    std::wstring child = folder + L"\\child";
    CHECK(CreateDirectoryW(child.c_str(), nullptr));
    CHECK(!CreateDirectoryW(child.c_str(), nullptr));
    CHECK_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CHECK(!CreateDirectoryW((folder + L"\\missing\\child").c_str(), nullptr));
    CHECK_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    REQUIRE(WriteBytes(child + L"\\file.txt", "x"));
    CHECK(!RemoveDirectoryW(child.c_str()));
    CHECK_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
    CHECK(!RemoveDirectoryW((child + L"\\file.txt").c_str()));
    CHECK_EQ(GetLastError(), ERROR_DIRECTORY);
    CHECK(!CreateDirectoryW((child + L"\\file.txt").c_str(), nullptr));
    CHECK_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CHECK(DeleteFileW((child + L"\\file.txt").c_str()));
    CHECK(RemoveDirectoryW(child.c_str()));
    CHECK(!RemoveDirectoryW(child.c_str()));
    CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

CONFORMANCE_CASE(Files, ReadWriteAndPointer) {
    std::wstring path = CaseFolder(L"Files.ReadWriteAndPointer") + L"\\data.bin";
    Opened file = Open(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
    REQUIRE(file.handle.valid());
    HANDLE h = file.handle.get();
    DWORD done = 0;
    CHECK(WriteFile(h, "0123456789", 10, &done, nullptr));
    CHECK_EQ(done, 10u);
    LARGE_INTEGER position, moved;
    position.QuadPart = 20;
    CHECK(SetFilePointerEx(h, position, &moved, FILE_BEGIN));
    CHECK_EQ(moved.QuadPart, 20);
    CHECK(WriteFile(h, "end", 3, &done, nullptr));  // the gap reads as zeros
    LARGE_INTEGER size;
    CHECK(GetFileSizeEx(h, &size));
    CHECK_EQ(size.QuadPart, 23);
    DWORD high = 1;
    CHECK_EQ(GetFileSize(h, &high), 23u);
    CHECK_EQ(high, 0u);
    CHECK_EQ(SetFilePointer(h, -3, nullptr, FILE_END), 20u);
    CHECK_EQ(SetFilePointer(h, -30, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    CHECK_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    CHECK_EQ(SetFilePointer(h, 8, nullptr, FILE_BEGIN), 8u);
    char buffer[32] = {};
    CHECK(ReadFile(h, buffer, sizeof(buffer), &done, nullptr));
    CHECK_EQ(std::string(buffer, done), std::string("89\0\0\0\0\0\0\0\0\0\0end", 15));
    // At the end a read succeeds with nothing read.
    CHECK(ReadFile(h, buffer, sizeof(buffer), &done, nullptr));
    CHECK_EQ(done, 0u);
    CHECK(FlushFileBuffers(h));
}

// A handle opened for reading only cannot write, and the other way round.
CONFORMANCE_CASE(Files, AccessOfTheHandle) {
    std::wstring path = CaseFolder(L"Files.AccessOfTheHandle") + L"\\data.txt";
    REQUIRE(WriteBytes(path, "data"));
    DWORD done = 0;
    char buffer[8];
    {
        Opened reader = Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        CHECK(!WriteFile(reader.handle.get(), "x", 1, &done, nullptr));
        CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    }
    Opened writer = Open(path, GENERIC_WRITE, 0, OPEN_EXISTING);
    CHECK(!ReadFile(writer.handle.get(), buffer, sizeof(buffer), &done, nullptr));
    CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    HANDLE closed = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    CHECK(CloseHandle(closed));
    CHECK(!ReadFile(closed, buffer, sizeof(buffer), &done, nullptr));
    CHECK_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

CONFORMANCE_CASE(Files, Attributes) {
    std::wstring folder = CaseFolder(L"Files.Attributes");
    std::wstring path = folder + L"\\file.txt";
    REQUIRE(WriteBytes(path, "x"));
    CHECK_EQ(GetFileAttributesW(path.c_str()), FILE_ATTRIBUTE_ARCHIVE);
    CHECK_EQ(GetFileAttributesW(folder.c_str()), FILE_ATTRIBUTE_DIRECTORY);
    struct Row {
        DWORD set;
        DWORD read;
    } rows[] = {
        {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY},
        {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE},
        {FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY,
         FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY},
        {FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_ARCHIVE},
        {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_NORMAL},
    };
    for (const Row& row : rows) {
        CHECK(SetFileAttributesW(path.c_str(), row.set));
        if (row.read & FILE_ATTRIBUTE_ARCHIVE)
            CHECK_EQ(GetFileAttributesW(path.c_str()), row.read);
        else
            WINE_DIVERGES(kWineArchive, CHECK_EQ(GetFileAttributesW(path.c_str()), row.read));
    }
    // Writing to a file marks it for backup again.
    CHECK(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN));
    {
        Opened file = Open(path, GENERIC_WRITE, 0, OPEN_EXISTING);
        DWORD written = 0;
        CHECK(WriteFile(file.handle.get(), "y", 1, &written, nullptr));
    }
    CHECK_EQ(GetFileAttributesW(path.c_str()), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    CHECK(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    CHECK(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_HIDDEN));
    CHECK_EQ(GetFileAttributesW(folder.c_str()), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    CHECK(SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL));
    CHECK_EQ(GetFileAttributesW(folder.c_str()), FILE_ATTRIBUTE_DIRECTORY);
}

CONFORMANCE_CASE(Files, MissingPathsAndTheirErrors) {
    std::wstring folder = CaseFolder(L"Files.MissingPathsAndTheirErrors");
    CHECK_EQ(GetFileAttributesW((folder + L"\\missing.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    CHECK_EQ(GetFileAttributesW((folder + L"\\missing\\file.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    CHECK_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    // A name there in another case is found; a file taken for a folder is a missing path.
    REQUIRE(Open(folder + L"\\Present.txt", GENERIC_WRITE, 0, CREATE_NEW).handle.valid());
    CHECK_EQ(GetFileAttributesW((folder + L"\\PRESENT.TXT").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    CHECK_EQ(GetFileAttributesW((folder + L"\\Present.txt\\inner.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    CHECK_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
    CHECK(!SetFileAttributesW((folder + L"\\missing.txt").c_str(), FILE_ATTRIBUTE_HIDDEN));
    CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    CHECK(!DeleteFileW((folder + L"\\missing.txt").c_str()));
    CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    CHECK(!DeleteFileW((folder + L"\\missing\\file.txt").c_str()));
    CHECK_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

// Read-only files and folders refuse DeleteFileW; a rename of a read-only file works.
CONFORMANCE_CASE(Files, DeletionRefusals) {
    std::wstring folder = CaseFolder(L"Files.DeletionRefusals");
    std::wstring path = folder + L"\\readonly.txt";
    REQUIRE(WriteBytes(path, "x"));
    REQUIRE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    CHECK(!DeleteFileW(path.c_str()));
    CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    WINE_DIVERGES("Wine leaves the refusal to the unix permissions, which do not stop root",
                  CHECK_EQ(Open(path, GENERIC_WRITE, 0, OPEN_EXISTING).error, ERROR_ACCESS_DENIED));
    CHECK(Open(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).handle.valid());
    std::wstring renamed = folder + L"\\renamed.txt";
    CHECK(MoveFileW(path.c_str(), renamed.c_str()));
    CHECK(SetFileAttributesW(renamed.c_str(), FILE_ATTRIBUTE_NORMAL));
    CHECK(DeleteFileW(renamed.c_str()));
    CHECK(!DeleteFileW(folder.c_str()));
    CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

CONFORMANCE_CASE(Files, MoveRules) {
    std::wstring folder = CaseFolder(L"Files.MoveRules");
    std::wstring a = folder + L"\\a.txt", b = folder + L"\\b.txt";
    REQUIRE(WriteBytes(a, "A"));
    REQUIRE(WriteBytes(b, "B"));
    CHECK(!MoveFileW(a.c_str(), b.c_str()));
    CHECK_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CHECK(!MoveFileExW(a.c_str(), b.c_str(), 0));
    CHECK_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    CHECK(MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING));
    CHECK_EQ(ReadBytes(b), std::string("A"));
    CHECK(!Exists(a));
    CHECK(!MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING));
    CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    // A folder moves with what it holds; a folder never replaces another.
    std::wstring sub = folder + L"\\sub", moved = folder + L"\\moved";
    REQUIRE(CreateDirectoryW(sub.c_str(), nullptr));
    REQUIRE(WriteBytes(sub + L"\\inner.txt", "I"));
    CHECK(MoveFileExW(sub.c_str(), moved.c_str(), 0));
    CHECK_EQ(ReadBytes(moved + L"\\inner.txt"), std::string("I"));
    REQUIRE(CreateDirectoryW(sub.c_str(), nullptr));
    CHECK(!MoveFileExW(sub.c_str(), moved.c_str(), MOVEFILE_REPLACE_EXISTING));
    CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    // A new name that only changes case renames the entry itself.
    CHECK(MoveFileW(b.c_str(), (folder + L"\\B.TXT").c_str()));
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\b.txt").c_str(), &entry);
    REQUIRE(search != INVALID_HANDLE_VALUE);
    WINE_DIVERGES("Wine finds the new name as the existing entry, so a change of case alone is lost",
                  CHECK_EQ(std::wstring(entry.cFileName), std::wstring(L"B.TXT")));
    FindClose(search);
}

CONFORMANCE_CASE(Files, TimesRoundTrip) {
    std::wstring path = CaseFolder(L"Files.TimesRoundTrip") + L"\\timed.txt";
    REQUIRE(WriteBytes(path, "x"));
    Opened file = Open(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    REQUIRE(file.handle.valid());
    FILETIME written;  // 2016-01-02 03:04:05.5 UTC
    ULARGE_INTEGER ticks;
    ticks.QuadPart = 130962998455000000ull;
    written.dwLowDateTime = ticks.u.LowPart;
    written.dwHighDateTime = ticks.u.HighPart;
    CHECK(SetFileTime(file.handle.get(), nullptr, nullptr, &written));
    FILETIME creation, access, write;
    CHECK(GetFileTime(file.handle.get(), &creation, &access, &write));
    CHECK_EQ(write.dwLowDateTime, written.dwLowDateTime);
    CHECK_EQ(write.dwHighDateTime, written.dwHighDateTime);
    file.handle.Close();
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(path.c_str(), &entry);
    REQUIRE(search != INVALID_HANDLE_VALUE);
    CHECK_EQ(entry.ftLastWriteTime.dwLowDateTime, written.dwLowDateTime);
    CHECK_EQ(entry.ftLastWriteTime.dwHighDateTime, written.dwHighDateTime);
    CHECK_EQ(entry.nFileSizeLow, 1u);
    FindClose(search);
}

// The names a search gives: "." and ".." in a folder that is not a drive root,
// wildcards as Windows matches them, and the errors of empty searches.
CONFORMANCE_CASE(Files, SearchPatterns) {
    std::wstring folder = CaseFolder(L"Files.SearchPatterns");
    for (const wchar_t* name : {L"a.txt", L"b.TXT", L"c.txt.bak", L"readme", L"ab"})
        REQUIRE(WriteBytes(folder + L"\\" + name, "x"));
    REQUIRE(CreateDirectoryW((folder + L"\\sub").c_str(), nullptr));
    struct Row {
        const wchar_t* pattern;
        std::vector<std::wstring> names;  // sorted without regard to case
    } rows[] = {
        {L"*", {L".", L"..", L"a.txt", L"ab", L"b.TXT", L"c.txt.bak", L"readme", L"sub"}},
        {L"*.*", {L".", L"..", L"a.txt", L"ab", L"b.TXT", L"c.txt.bak", L"readme", L"sub"}},
        {L"*.txt", {L"a.txt", L"b.TXT"}},
        {L"readme.*", {L"readme"}},
        {L"a?", {L"ab"}},
        {L"SUB", {L"sub"}},
        {L"*.none", {}},
    };
    for (const Row& row : rows) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW entry;
        HANDLE search = FindFirstFileW((folder + L"\\" + row.pattern).c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) {
            CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
        } else {
            do names.emplace_back(entry.cFileName);
            while (FindNextFileW(search, &entry));
            CHECK_EQ(GetLastError(), ERROR_NO_MORE_FILES);
            FindClose(search);
        }
        std::sort(names.begin(), names.end(),
                  [](const std::wstring& x, const std::wstring& y) { return _wcsicmp(x.c_str(), y.c_str()) < 0; });
        CHECK_EQ(names, row.names);
    }
    WIN32_FIND_DATAW entry;
    CHECK_EQ(FindFirstFileW((folder + L"\\missing\\*").c_str(), &entry), INVALID_HANDLE_VALUE);
    CHECK_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

CONFORMANCE_CASE(Files, SearchEntryFields) {
    std::wstring folder = CaseFolder(L"Files.SearchEntryFields");
    REQUIRE(WriteBytes(folder + L"\\five.bin", "12345"));
    REQUIRE(SetFileAttributesW((folder + L"\\five.bin").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    REQUIRE(CreateDirectoryW((folder + L"\\dir").c_str(), nullptr));
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\five.bin").c_str(), &entry);
    REQUIRE(search != INVALID_HANDLE_VALUE);
    CHECK_EQ(entry.nFileSizeLow, 5u);
    CHECK_EQ(entry.nFileSizeHigh, 0u);
    WINE_DIVERGES(kWineArchive, CHECK_EQ(entry.dwFileAttributes, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    FindClose(search);
    search = FindFirstFileW((folder + L"\\dir").c_str(), &entry);
    REQUIRE(search != INVALID_HANDLE_VALUE);
    CHECK_EQ(entry.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
    CHECK_EQ(std::wstring(entry.cFileName), std::wstring(L"dir"));
    FindClose(search);
    SetFileAttributesW((folder + L"\\five.bin").c_str(), FILE_ATTRIBUTE_NORMAL);
}
