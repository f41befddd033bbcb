// CreateFileW: dispositions, refusals, attributes, share modes within this
// process and against a holder in another one, handle inheritance.
#include "wincompat/FilesInUseFiles.h"
#include "wincompat/FilesInUseHolder.h"

#include "kernel32/FileObject.h"

#include <fcntl.h>

#include <memory>
#include <thread>

#include <gtest/gtest.h>

namespace {

struct Handle {
    HANDLE value;
    explicit Handle(HANDLE h) : value(h) {}
    ~Handle() {
        if (value != INVALID_HANDLE_VALUE) CloseHandle(value);
    }
    bool valid() const { return value != INVALID_HANDLE_VALUE; }
};

HANDLE Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING,
            DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    return CreateFileW(path.c_str(), access, share, nullptr, disposition, attributes, nullptr);
}

const DWORD kRW = GENERIC_READ | GENERIC_WRITE;
const DWORD kAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

TEST(CreateFile, DispositionsAsWindows) {
    struct Case {
        DWORD disposition;
        bool exists;
        bool opens;
        DWORD error;
        const char* contentAfter;  // nullptr: no file
    } cases[] = {
        {CREATE_NEW, false, true, ERROR_SUCCESS, ""},
        {CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
        {CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
        {OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        {OPEN_EXISTING, true, true, ERROR_SUCCESS, "old"},
        {OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
        {OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
        {TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
        {TRUNCATE_EXISTING, true, true, ERROR_SUCCESS, ""},
    };
    std::wstring folder = MakeDosFolder(L"dispositions");
    int n = 0;
    for (const Case& c : cases) {
        std::wstring path = folder + L"\\f" + std::to_wstring(++n);
        if (c.exists) PutFile(path, "old");
        SetLastError(12345);
        Handle file(Open(path, kRW, 0, c.disposition));
        EXPECT_EQ(file.valid(), c.opens) << n;
        EXPECT_EQ(GetLastError(), c.error) << n;
        EXPECT_EQ(Present(path), c.contentAfter != nullptr) << n;
        if (c.contentAfter) {
            EXPECT_EQ(GetFile(path), c.contentAfter) << n;
        }
    }
}

TEST(CreateFile, RefusalsAsWindows) {
    std::wstring folder = MakeDosFolder(L"refusals");
    PutFile(folder + L"\\readonly", "r");
    SetFileAttributesW((folder + L"\\readonly").c_str(), FILE_ATTRIBUTE_READONLY);
    PutFile(folder + L"\\hidden", "h");
    SetFileAttributesW((folder + L"\\hidden").c_str(), FILE_ATTRIBUTE_HIDDEN);
    struct Case {
        std::wstring path;
        DWORD access;
        DWORD disposition;
        DWORD attributes;
        DWORD error;  // ERROR_SUCCESS: opens
    } cases[] = {
        {folder, GENERIC_READ, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED},
        {folder + L"\\readonly", GENERIC_WRITE, OPEN_EXISTING, 0, ERROR_ACCESS_DENIED},
        {folder + L"\\readonly", GENERIC_READ, CREATE_ALWAYS, 0, ERROR_ACCESS_DENIED},
        {folder + L"\\readonly", GENERIC_READ, OPEN_EXISTING, 0, ERROR_SUCCESS},
        {folder + L"\\hidden", GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, ERROR_ACCESS_DENIED},
        {folder + L"\\hidden", GENERIC_WRITE, CREATE_ALWAYS, FILE_ATTRIBUTE_HIDDEN, ERROR_SUCCESS},
        {folder + L"\\missing\\file", GENERIC_WRITE, CREATE_ALWAYS, 0, ERROR_PATH_NOT_FOUND},
        {folder + L"\\" + std::wstring(MAX_PATH, L'x'), GENERIC_WRITE, CREATE_ALWAYS, 0, ERROR_FILENAME_EXCED_RANGE},
        {folder + L"\\new", GENERIC_READ, TRUNCATE_EXISTING, 0, ERROR_INVALID_PARAMETER},
        {folder + L"\\new", GENERIC_READ, 0, 0, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        Handle file(Open(c.path, c.access, 0, c.disposition, c.attributes));
        EXPECT_EQ(file.valid(), c.error == ERROR_SUCCESS) << Narrow(c.path);
        if (!file.valid()) {
            EXPECT_EQ(GetLastError(), c.error) << Narrow(c.path);
        }
    }
}

TEST(CreateFile, NewReadOnlyFileIsWritableThroughItsHandle) {
    std::wstring path = MakeDosFolder(L"readonly-new") + L"\\file";
    {
        Handle file(Open(path, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        ASSERT_TRUE(file.valid());
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file.value, "data", 4, &written, nullptr));
        EXPECT_EQ(written, 4u);
    }
    EXPECT_EQ(GetFile(path), "data");
    DWORD attributes = GetFileAttributesW(path.c_str());
    const DWORD asked = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
    EXPECT_EQ(attributes & asked, asked);
    Handle again(Open(path, GENERIC_WRITE, 0));
    EXPECT_FALSE(again.valid());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

// The first handle stays open while the second is asked for, in this process.
TEST(CreateFile, ShareModesBetweenHandles) {
    struct Case {
        DWORD firstAccess, firstShare, secondAccess, secondShare;
        bool secondOpens;
    } cases[] = {
        {GENERIC_READ, 0, GENERIC_READ, kAll, false},
        {GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, kAll, true},
        {GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, kAll, false},
        {GENERIC_READ, FILE_SHARE_READ, GENERIC_READ, 0, false},  // would refuse the first one's reading
        {GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ, false},
        {GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {kRW, FILE_SHARE_READ | FILE_SHARE_WRITE, kRW, FILE_SHARE_READ | FILE_SHARE_WRITE, true},
        {GENERIC_READ, FILE_SHARE_READ, DELETE, kAll, false},
        {GENERIC_READ, kAll, DELETE, kAll, true},
        {0, 0, kRW, 0, true},  // a handle without data access conflicts with nothing
    };
    std::wstring path = MakeDosFolder(L"shares") + L"\\file";
    PutFile(path, "old");
    int n = 0;
    for (const Case& c : cases) {
        ++n;
        Handle first(Open(path, c.firstAccess, c.firstShare));
        ASSERT_TRUE(first.valid()) << n;
        Handle second(Open(path, c.secondAccess, c.secondShare, OPEN_EXISTING));
        EXPECT_EQ(second.valid(), c.secondOpens) << n;
        if (!second.valid()) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION)) << n;
        }
    }
}

TEST(CreateFile, RefusedOverwriteLeavesTheDataAlone) {
    std::wstring path = MakeDosFolder(L"no-truncate") + L"\\file";
    PutFile(path, "keep");
    Handle holder(Open(path, GENERIC_READ, FILE_SHARE_READ));
    for (DWORD disposition : {CREATE_ALWAYS, TRUNCATE_EXISTING}) {
        Handle file(Open(path, GENERIC_WRITE, kAll, disposition));
        EXPECT_FALSE(file.valid());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    }
    EXPECT_EQ(GetFile(path), "keep");
}

TEST(CreateFile, ShareModesAgainstAnotherProcess) {
    struct Case {
        const char* holderShare;
        DWORD access, share;
        bool opens;
    } cases[] = {
        {"NONE", GENERIC_READ, kAll, false},
        {"R", GENERIC_READ, kAll, true},
        {"R", GENERIC_READ, FILE_SHARE_WRITE, false},
        {"R", GENERIC_WRITE, kAll, false},
        {"RW", kRW, kAll, true},
    };
    std::wstring path = MakeDosFolder(L"held") + L"\\file";
    PutFile(path, "old");
    for (const Case& c : cases) {
        FileHolder holder({Narrow(path), "--share", c.holderShare});
        ASSERT_TRUE(holder.Holding()) << holder.Line();
        Handle file(Open(path, c.access, c.share));
        EXPECT_EQ(file.valid(), c.opens) << c.holderShare;
        if (!file.valid()) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        }
        EXPECT_EQ(holder.Stop(), 0);
        Handle after(Open(path, c.access, c.share));
        EXPECT_TRUE(after.valid()) << "released when the holder ends";
    }
}

// The test of the share bytes and the taking of locks are one step: of
// processes racing for an unshared open, exactly one wins.
TEST(CreateFile, OneWinnerAmongRacingProcesses) {
    std::wstring path = MakeDosFolder(L"race") + L"\\file";
    PutFile(path, "contested");
    constexpr int kRacers = 6;
    std::unique_ptr<FileHolder> holders[kRacers];
    std::vector<std::thread> threads;
    for (auto& holder : holders)
        threads.emplace_back([&holder, &path] {
            holder = std::make_unique<FileHolder>(std::vector<std::string>{Narrow(path)});
        });
    for (std::thread& thread : threads) thread.join();
    int winners = 0;
    for (auto& holder : holders) winners += holder->Holding();
    EXPECT_EQ(winners, 1);
}

TEST(CreateFile, InheritableOnlyWhenAsked) {
    std::wstring path = MakeDosFolder(L"inherit") + L"\\file";
    for (BOOL inherit : {FALSE, TRUE}) {
        SECURITY_ATTRIBUTES attributes = {sizeof(attributes), nullptr, inherit};
        Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, &attributes, OPEN_ALWAYS, 0, nullptr));
        ASSERT_TRUE(file.valid());
        std::shared_ptr<wincompat::FileObject> object = wincompat::FindFile(file.value);
        ASSERT_TRUE(object);
        EXPECT_EQ(object->Inheritable(), inherit == TRUE);
        EXPECT_EQ((fcntl(object->Descriptor(), F_GETFD) & FD_CLOEXEC) != 0, inherit == FALSE);
    }
}

TEST(HoldTool, ReportsWhatItCannotOpen) {
    ProcessResult result = RunProcess({BuildFile("wincompat-hold"), "C:\\no-such-folder\\file"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.errors.find("C:\\no-such-folder\\file"), std::string::npos) << result.errors;
    EXPECT_EQ(result.output, "");
}
