// MOVEFILE_DELAY_UNTIL_REBOOT records operations as Windows does, and
// wincompat-reboot carries them out as a restart would.
#include "wincompat/FilesInUseFiles.h"
#include "wincompat/FilesInUseHolder.h"

#include "kernel32/PendingOperations.h"

#include <gtest/gtest.h>

using wincompat::PendingOperation;

namespace {

constexpr DWORD kDelay = MOVEFILE_DELAY_UNTIL_REBOOT;

// The value as it stands, string by string (empty ones kept).
std::vector<std::wstring> StoredStrings() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {};
    DWORD type = 0, size = 0;
    std::vector<wchar_t> data(4096);
    size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    LONG status = RegQueryValueExW(key, L"PendingFileRenameOperations", nullptr, &type,
                                   reinterpret_cast<BYTE*>(data.data()), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_MULTI_SZ) return {};
    std::vector<std::wstring> strings;
    std::wstring current;
    for (size_t i = 0; i < size / sizeof(wchar_t); ++i) {
        if (data[i]) current += data[i];
        else strings.push_back(std::move(current)), current.clear();
    }
    return strings;
}

void ClearPending() { wincompat::WritePendingOperations({}); }

}  // namespace

TEST(PendingOperations, RecordedExactlyAsWindows) {
    ClearPending();
    ASSERT_TRUE(MoveFileExW(L"c:/probe/./del.txt", nullptr, MOVEFILE_REPLACE_EXISTING | kDelay));
    ASSERT_TRUE(MoveFileExW(L"C:\\probe\\src.txt", L"C:\\probe\\sub\\..\\dst.txt", MOVEFILE_REPLACE_EXISTING | kDelay));
    ASSERT_TRUE(MoveFileExW(L"C:\\probe\\a.txt", L"C:\\probe\\b.txt", kDelay));
    std::vector<std::wstring> expected = {
        L"\\??\\C:\\probe\\del.txt", L"",  L"\\??\\C:\\probe\\src.txt", L"!\\??\\C:\\probe\\dst.txt",
        L"\\??\\C:\\probe\\a.txt",   L"\\??\\C:\\probe\\b.txt", L"",  // the list's terminator
    };
    EXPECT_EQ(StoredStrings(), expected);
    std::string hive = ReadWholeFile(TestPrefixRoot() + "/system.reg");
    EXPECT_NE(hive.find("\"PendingFileRenameOperations\"=str(7):\"\\\\??\\\\C:\\\\probe\\\\del.txt\\0\\0"
                        "\\\\??\\\\C:\\\\probe\\\\src.txt\\0!\\\\??\\\\C:\\\\probe\\\\dst.txt\\0"
                        "\\\\??\\\\C:\\\\probe\\\\a.txt\\0\\\\??\\\\C:\\\\probe\\\\b.txt\\0\"\n"),
              std::string::npos)
        << hive;
    ClearPending();
}

TEST(PendingOperations, CannotBeCombinedWithCopying) {
    EXPECT_FALSE(MoveFileExW(L"C:\\x", L"D:\\x", kDelay | MOVEFILE_COPY_ALLOWED));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(RebootTool, CarriesOutTheOperationsInOrderAndForgetsThem) {
    ClearPending();
    std::wstring folder = MakeDosFolder(L"reboot");
    for (const wchar_t* name : {L"\\held.tmp", L"\\moved", L"\\replacing", L"\\replaced", L"\\blocked", L"\\taken"})
        PutFile(folder + name, Narrow(name));
    // A file still held when the deletion was asked for; the restart frees it.
    FileHolder holder({Narrow(folder + L"\\held.tmp")});
    ASSERT_TRUE(holder.Holding());
    ASSERT_FALSE(DeleteFileW((folder + L"\\held.tmp").c_str()));
    struct Case {
        const wchar_t* source;
        const wchar_t* target;
        DWORD flags;
    } cases[] = {
        {L"\\held.tmp", nullptr, MOVEFILE_REPLACE_EXISTING},
        {L"\\moved", L"\\arrived", 0},
        {L"\\replacing", L"\\replaced", MOVEFILE_REPLACE_EXISTING},
        {L"\\blocked", L"\\taken", 0},  // the target exists: fails, as on Windows
        {L"\\missing", nullptr, 0},
    };
    for (const Case& c : cases) {
        std::wstring target = c.target ? folder + c.target : L"";
        ASSERT_TRUE(MoveFileExW((folder + c.source).c_str(), c.target ? target.c_str() : nullptr, c.flags | kDelay));
    }
    holder.Stop();

    ProcessResult result = RunProcess({BuildFile("wincompat-reboot")});
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    std::string dos = Narrow(folder);
    std::string expected = "done: delete " + dos + "\\held.tmp\n" +
                           "done: rename " + dos + "\\moved -> " + dos + "\\arrived\n" +
                           "done: replace " + dos + "\\replacing -> " + dos + "\\replaced\n" +
                           "failed: rename " + dos + "\\blocked -> " + dos + "\\taken: File exists\n" +
                           "failed: delete " + dos + "\\missing: No such file or directory\n";
    EXPECT_EQ(result.output, expected);
    EXPECT_FALSE(Present(folder + L"\\held.tmp"));
    EXPECT_EQ(GetFile(folder + L"\\arrived"), "\\moved");
    EXPECT_EQ(GetFile(folder + L"\\replaced"), "\\replacing");
    EXPECT_EQ(GetFile(folder + L"\\taken"), "\\taken");
    EXPECT_TRUE(Present(folder + L"\\blocked"));
    EXPECT_TRUE(StoredStrings().empty()) << "the value is removed even after a failure";

    ProcessResult again = RunProcess({BuildFile("wincompat-reboot")});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(again.output, "");
}
