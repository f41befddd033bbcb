// DeleteFileW and MoveFileExW on files that other processes (or this one)
// hold: open handles, a running program, a loaded library; moves across drives.
#include "wincompat/FilesInUseFiles.h"
#include "wincompat/FilesInUseHolder.h"

#include "kernel32/FileTimes.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

// How the file is held while the call is made.
enum class Hold { Nobody, NoSharing, ShareReadWrite, ShareAll, Image, ThisProcess, ReadOnly };

std::unique_ptr<FileHolder> StartHold(Hold hold, const std::wstring& path) {
    std::vector<std::string> arguments = {Narrow(path)};
    switch (hold) {
    case Hold::NoSharing: break;
    case Hold::ShareReadWrite: arguments.insert(arguments.end(), {"--share", "RW"}); break;
    case Hold::ShareAll: arguments.insert(arguments.end(), {"--share", "RWD"}); break;
    case Hold::Image: arguments.push_back("--image"); break;
    default: return nullptr;
    }
    auto holder = std::make_unique<FileHolder>(arguments);
    EXPECT_TRUE(holder->Holding()) << holder->Line();
    return holder;
}

class HeldFile {
public:
    HeldFile(Hold hold, const std::wstring& path) : holder_(StartHold(hold, path)) {
        if (hold == Hold::ThisProcess)
            handle_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (hold == Hold::ReadOnly) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    ~HeldFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }

private:
    std::unique_ptr<FileHolder> holder_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// A copy of /bin/sleep in the prefix, running until the object goes away.
class RunningProgram {
public:
    explicit RunningProgram(const std::wstring& path) {
        WriteWholeFile(UnixOf(path), ReadWholeFile("/bin/sleep"));
        chmod(UnixOf(path).c_str(), 0755);
        std::string program = UnixOf(path);
        char* argv[] = {program.data(), const_cast<char*>("60"), nullptr};
        posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ);
        usleep(100000);  // exec has happened well before the test looks
    }
    ~RunningProgram() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }

private:
    pid_t pid_ = 0;
};

}  // namespace

TEST(DeleteFile, RefusesAsWindows) {
    struct Case {
        Hold hold;
        DWORD error;  // ERROR_SUCCESS: deleted
    } cases[] = {
        {Hold::Nobody, ERROR_SUCCESS},
        {Hold::NoSharing, ERROR_SHARING_VIOLATION},
        {Hold::ShareReadWrite, ERROR_SHARING_VIOLATION},
        {Hold::ShareAll, ERROR_SUCCESS},
        {Hold::Image, ERROR_ACCESS_DENIED},
        {Hold::ThisProcess, ERROR_SHARING_VIOLATION},
        {Hold::ReadOnly, ERROR_ACCESS_DENIED},
    };
    std::wstring folder = MakeDosFolder(L"delete");
    int n = 0;
    for (const Case& c : cases) {
        std::wstring path = folder + L"\\file" + std::to_wstring(++n);
        PutFile(path, "data");
        HeldFile held(c.hold, path);
        BOOL deleted = DeleteFileW(path.c_str());
        EXPECT_EQ(deleted != FALSE, c.error == ERROR_SUCCESS) << n;
        if (!deleted) {
            EXPECT_EQ(GetLastError(), c.error) << n;
        }
        EXPECT_EQ(Present(path), !deleted) << n;
    }
}

TEST(DeleteFile, RefusesFoldersAndReportsMissingFiles) {
    std::wstring folder = MakeDosFolder(L"delete-other");
    struct Case {
        std::wstring path;
        DWORD error;
    } cases[] = {
        {folder, ERROR_ACCESS_DENIED},
        {folder + L"\\missing", ERROR_FILE_NOT_FOUND},
        {folder + L"\\missing\\file", ERROR_PATH_NOT_FOUND},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(DeleteFileW(c.path.c_str())) << Narrow(c.path);
        EXPECT_EQ(GetLastError(), c.error) << Narrow(c.path);
    }
}

TEST(DeleteFile, RunningProgramCanBeRenamedButNotDeleted) {
    std::wstring folder = MakeDosFolder(L"running");
    std::wstring program = folder + L"\\product.exe";
    RunningProgram running(program);
    EXPECT_FALSE(DeleteFileW(program.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    std::wstring renamed = folder + L"\\product.exe.old";
    EXPECT_TRUE(MoveFileW(program.c_str(), renamed.c_str()));
    EXPECT_FALSE(DeleteFileW(renamed.c_str())) << "still running under its new name";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST(DeleteFile, LoadedLibraryIsHeldUntilFreed) {
    std::wstring folder = MakeDosFolder(L"library");
    std::wstring library = folder + L"\\codec.dll";
    WriteWholeFile(UnixOf(library), ReadWholeFile("/usr/lib/p7zip/7z.so"));
    HMODULE module = LoadLibraryW(library.c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_FALSE(DeleteFileW(library.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    HANDLE writer = CreateFileW(library.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    std::wstring renamed = folder + L"\\codec.dll.remove";
    EXPECT_TRUE(MoveFileExW(library.c_str(), renamed.c_str(), 0));
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_TRUE(DeleteFileW(renamed.c_str()));
}

TEST(MoveFile, HeldSourcesAndTargetsAsWindows) {
    struct Case {
        Hold sourceHold, targetHold;
        bool targetExists;
        DWORD flags;
        DWORD error;  // ERROR_SUCCESS: moved
    } cases[] = {
        {Hold::Nobody, Hold::Nobody, false, 0, ERROR_SUCCESS},
        {Hold::NoSharing, Hold::Nobody, false, 0, ERROR_SHARING_VIOLATION},
        {Hold::ShareReadWrite, Hold::Nobody, false, 0, ERROR_SHARING_VIOLATION},
        {Hold::ThisProcess, Hold::Nobody, false, 0, ERROR_SHARING_VIOLATION},
        {Hold::ShareAll, Hold::Nobody, false, 0, ERROR_SUCCESS},
        {Hold::Image, Hold::Nobody, false, 0, ERROR_SUCCESS},
        {Hold::ReadOnly, Hold::Nobody, false, 0, ERROR_SUCCESS},
        {Hold::Nobody, Hold::Nobody, true, 0, ERROR_ALREADY_EXISTS},
        {Hold::Nobody, Hold::Nobody, true, MOVEFILE_REPLACE_EXISTING, ERROR_SUCCESS},
        {Hold::Nobody, Hold::NoSharing, true, MOVEFILE_REPLACE_EXISTING, ERROR_ACCESS_DENIED},
        {Hold::Nobody, Hold::ShareAll, true, MOVEFILE_REPLACE_EXISTING, ERROR_SUCCESS},
        {Hold::Nobody, Hold::Image, true, MOVEFILE_REPLACE_EXISTING, ERROR_ACCESS_DENIED},
        {Hold::Nobody, Hold::ReadOnly, true, MOVEFILE_REPLACE_EXISTING, ERROR_ACCESS_DENIED},
    };
    std::wstring folder = MakeDosFolder(L"move");
    int n = 0;
    for (const Case& c : cases) {
        std::wstring source = folder + L"\\source" + std::to_wstring(++n);
        std::wstring target = folder + L"\\target" + std::to_wstring(n);
        PutFile(source, "new");
        if (c.targetExists) PutFile(target, "old");
        HeldFile heldSource(c.sourceHold, source);
        HeldFile heldTarget(c.targetHold, target);
        BOOL moved = MoveFileExW(source.c_str(), target.c_str(), c.flags);
        EXPECT_EQ(moved != FALSE, c.error == ERROR_SUCCESS) << n;
        if (!moved) {
            EXPECT_EQ(GetLastError(), c.error) << n;
        }
        EXPECT_EQ(Present(source), !moved) << n;
        if (moved) {
            EXPECT_EQ(GetFile(target), "new") << n;
        } else if (c.targetExists) {
            EXPECT_EQ(GetFile(target), "old") << n;
        }
    }
}

TEST(MoveFile, ChangesTheCaseOfAName) {
    std::wstring folder = MakeDosFolder(L"case");
    PutFile(folder + L"\\readme.txt", "x");
    EXPECT_TRUE(MoveFileExW((folder + L"\\readme.txt").c_str(), (folder + L"\\README.TXT").c_str(), 0));
    std::string unixFolder = UnixOf(folder);
    EXPECT_EQ(access((unixFolder + "/README.TXT").c_str(), F_OK), 0);
    EXPECT_NE(access((unixFolder + "/readme.txt").c_str(), F_OK), 0);
}

TEST(MoveFile, AcrossDrivesCopiesOnlyWhenAllowed) {
    std::wstring source = MakeDosFolder(L"to-d") + L"\\payload.bin";
    std::wstring target = DriveD() + L"payload.bin";
    PutFile(source, "payload");
    FILETIME old = {0x12345600, 0x01d00000};
    HANDLE file = CreateFileW(source.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &old);
    CloseHandle(file);

    EXPECT_FALSE(MoveFileExW(source.c_str(), target.c_str(), 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SAME_DEVICE));
    ASSERT_TRUE(MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED));
    EXPECT_FALSE(Present(source));
    EXPECT_EQ(GetFile(target), "payload");
    struct stat info;
    ASSERT_EQ(stat(UnixOf(target).c_str(), &info), 0);
    FILETIME copied = wincompat::FileTimeFromUnix(info.st_mtim);
    EXPECT_EQ(copied.dwHighDateTime, old.dwHighDateTime);
    EXPECT_EQ(copied.dwLowDateTime, old.dwLowDateTime);

    PutFile(source, "again");
    EXPECT_FALSE(MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFile(target), "payload");
}

TEST(MoveFile, AcrossDrivesKeepsASourceThatCannotBeDeleted) {
    std::wstring source = MakeDosFolder(L"to-d-held") + L"\\library.dll";
    std::wstring target = DriveD() + L"library.dll";
    PutFile(source, "image");
    HeldFile held(Hold::Image, source);
    EXPECT_TRUE(MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetFile(target), "image");
    EXPECT_TRUE(Present(source));
}
