// A path that ends in a separator names a folder: after the name of a file it
// names nothing, and every file call refuses it instead of taking the file.
#include "Harness.h"
#include "Scratch.h"

#include <shlwapi.h>

#include <string>

using namespace conformance;

namespace {

bool OpensWith(const std::wstring& path, DWORD disposition) {
    Handle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition, 0, nullptr));
    return file.valid();
}

struct Call {
    const char* name;
    bool (*run)(const std::wstring& path);
    const char* wineDivergence = nullptr;
};

const char kWineStatsTheName[] =
    "Wine's GetFileAttributesW looks the unix name up instead of opening it: ERROR_PATH_NOT_FOUND";

const Call kFileCalls[] = {
    {"CreateFileW OPEN_EXISTING", [](const std::wstring& path) { return OpensWith(path, OPEN_EXISTING); }},
    {"CreateFileW OPEN_ALWAYS", [](const std::wstring& path) { return OpensWith(path, OPEN_ALWAYS); }},
    {"CreateFileW CREATE_ALWAYS", [](const std::wstring& path) { return OpensWith(path, CREATE_ALWAYS); }},
    {"CreateFileW TRUNCATE_EXISTING", [](const std::wstring& path) { return OpensWith(path, TRUNCATE_EXISTING); }},
    {"GetFileAttributesW",
     [](const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; },
     kWineStatsTheName},
    {"DeleteFileW", [](const std::wstring& path) { return DeleteFileW(path.c_str()) != FALSE; }},
    {"MoveFileExW",
     [](const std::wstring& path) {
         return MoveFileExW(path.c_str(), (path.substr(0, path.rfind(L"file.txt")) + L"moved.txt").c_str(), 0) !=
                FALSE;
     }},
};

}  // namespace

CONFORMANCE_CASE(TrailingSeparator, AfterAFileNameIsAnInvalidName) {
    std::wstring folder = CaseFolder(L"TrailingSeparator.AfterAFile");
    std::wstring file = folder + L"\\file.txt";
    REQUIRE(WriteBytes(file, "kept"));
    for (const wchar_t* separator : {L"\\", L"/"}) {
        std::wstring named = file + separator;
        for (const Call& call : kFileCalls) {
            SetLastError(0);
            bool done = call.run(named);
            DWORD error = GetLastError();
            std::string what = std::string(call.name) + (done ? " succeeded" : " failed") + " with error " +
                               Describe(static_cast<long long>(error)) + ", expected a failure with ERROR_INVALID_NAME";
            bool refused = !done && error == ERROR_INVALID_NAME;
            if (call.wineDivergence) WINE_DIVERGES(call.wineDivergence, Expect(refused, __FILE__, __LINE__, what));
            else Expect(refused, __FILE__, __LINE__, what);
        }
        CHECK(!PathFileExistsW(named.c_str()));
    }
    CHECK_EQ(ReadBytes(file), std::string("kept"));  // never emptied, moved or deleted
    CHECK(!Exists(folder + L"\\moved.txt"));
}

// The same separator after a folder's name still names the folder.
CONFORMANCE_CASE(TrailingSeparator, AfterAFolderNameIsTheFolder) {
    std::wstring folder = CaseFolder(L"TrailingSeparator.AfterAFolder");
    std::wstring child = folder + L"\\child";
    CHECK(CreateDirectoryW((child + L"\\").c_str(), nullptr));
    DWORD attributes = GetFileAttributesW((child + L"\\").c_str());
    CHECK(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
    CHECK(PathFileExistsW((child + L"\\").c_str()));
    // Opened as a file it is a folder still: access denied, not an invalid name.
    CHECK_EQ(Open(child + L"\\", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING).error, ERROR_ACCESS_DENIED);
    CHECK(WriteBytes(child + L"\\inner.txt", "x"));
    CHECK(MoveFileExW((child + L"\\").c_str(), (folder + L"\\renamed\\").c_str(), 0));
    CHECK_EQ(ReadBytes(folder + L"\\renamed\\inner.txt"), std::string("x"));
}
