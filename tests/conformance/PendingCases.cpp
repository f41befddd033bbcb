// Operations left for the next restart: MoveFileExW with
// MOVEFILE_DELAY_UNTIL_REBOOT records them under Session Manager and touches
// no file.
#include "Harness.h"
#include "Scratch.h"

#include <string>
#include <vector>

using namespace conformance;

namespace {

const wchar_t kSessionManager[] = L"System\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPending[] = L"PendingFileRenameOperations";

std::vector<std::wstring> PendingStrings() {
    std::vector<std::wstring> strings;
    ReadMultiString(HKEY_LOCAL_MACHINE, kSessionManager, kPending, 0, strings);
    return strings;
}

}  // namespace

CONFORMANCE_CASE(Pending, OperationsAreAppendedInOrder) {
    std::wstring folder = CaseFolder(L"Pending.OperationsAreAppendedInOrder");
    std::wstring doomed = folder + L"\\doomed.txt", source = folder + L"\\source.txt",
                 target = folder + L"\\target.txt", replacing = folder + L"\\replacing.txt";
    for (const std::wstring& path : {doomed, source, replacing}) REQUIRE(WriteBytes(path, "x"));
    std::vector<std::wstring> expected = PendingStrings();
    CHECK(MoveFileExW(doomed.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    CHECK(MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT));
    CHECK(MoveFileExW(replacing.c_str(), target.c_str(), MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING));
    for (const std::wstring& text : {L"\\??\\" + doomed, std::wstring(), L"\\??\\" + source, L"\\??\\" + target,
                                     L"\\??\\" + replacing, L"!\\??\\" + target})
        expected.push_back(text);
    CHECK_EQ(PendingStrings(), expected);
    // Nothing happens before the restart.
    CHECK(Exists(doomed) && Exists(source) && Exists(replacing));
    CHECK(!Exists(target));
}

// The path recorded is the full one, whatever form the caller gave.
CONFORMANCE_CASE(Pending, PathsAreRecordedInFull) {
    std::wstring folder = CaseFolder(L"Pending.PathsAreRecordedInFull");
    REQUIRE(WriteBytes(folder + L"\\name.txt", "x"));
    std::wstring given = folder + L"\\sub\\..\\name.txt";
    for (wchar_t& c : given)
        if (c == L'\\') c = L'/';
    std::vector<std::wstring> before = PendingStrings();
    CHECK(MoveFileExW(given.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
    std::vector<std::wstring> after = PendingStrings();
    REQUIRE_EQ(after.size(), before.size() + 2);
    CHECK_EQ(after[before.size()], L"\\??\\" + folder + L"\\name.txt");
}
