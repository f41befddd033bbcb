// Windows paths keep mapping to what is on disk while other processes change
// the folders: new names in other cases, renames, deletions, links, a folder
// replaced by a file, drive links made and removed.
#include <windows.h>

#include "prefix/Prefix.h"
#include "support/TestPrefix.h"
#include "wincompat/OtherProcessChanges.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using wincompat::DosToUnix;

namespace {

const std::string& DriveC() {
    static const std::string drive = TestPrefixRoot() + "/dosdevices/c:";
    return drive;
}

std::string Mapped(const wchar_t* path) {
    std::string unixPath;
    DWORD error = 0;
    if (!DosToUnix(path, unixPath, &error)) return "error " + std::to_string(error);
    return unixPath;
}

DWORD CreateNew(const wchar_t* path) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return GetLastError();
    CloseHandle(file);
    return ERROR_SUCCESS;
}

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

TEST(PathMappingChanges, NewNamesOfAnotherProcessAreFoundInAnyCase) {
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Changes", nullptr));
    ASSERT_EQ(CreateNew(L"C:\\Changes\\Report.TXT"), ERROR_SUCCESS);
    const std::string folder = DriveC() + "/Changes";
    InAnotherProcess([&] { rename((folder + "/Report.TXT").c_str(), (folder + "/report.txt").c_str()); });
    // The same name in any case is the file the other process renamed, never a second one.
    EXPECT_EQ(CreateNew(L"C:\\CHANGES\\REPORT.TXT"), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_FALSE(Exists(folder + "/REPORT.TXT"));
    EXPECT_EQ(Mapped(L"C:\\changes\\REPORT.txt"), folder + "/report.txt");

    InAnotherProcess([&] { Touch(folder + "/Late.Log"); });
    EXPECT_EQ(CreateNew(L"C:\\Changes\\LATE.LOG"), static_cast<DWORD>(ERROR_FILE_EXISTS));
    EXPECT_EQ(Mapped(L"C:\\Changes\\late.log"), folder + "/Late.Log");

    // Once the other process deleted it, the name is free and keeps the case given.
    InAnotherProcess([&] { unlink((folder + "/report.txt").c_str()); });
    EXPECT_EQ(CreateNew(L"C:\\Changes\\REPORT.TXT"), ERROR_SUCCESS);
    EXPECT_TRUE(Exists(folder + "/REPORT.TXT"));
    EXPECT_FALSE(Exists(folder + "/report.txt"));
}

// This process and another take turns making names in one folder: each name
// the other made is found in any case right after it was made.
TEST(PathMappingChanges, NamesOfAnotherProcessBetweenOwnCreatesAreFound) {
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Turns", nullptr));
    const std::string folder = DriveC() + "/Turns";
    int request[2], done[2];
    ASSERT_EQ(pipe(request), 0);
    ASSERT_EQ(pipe(done), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(request[1]);
        close(done[0]);
        int turn;
        while (read(request[0], &turn, sizeof turn) == sizeof turn) {
            Touch(folder + "/other" + std::to_string(turn) + ".txt");
            if (write(done[1], &turn, sizeof turn) != sizeof turn) _exit(1);
        }
        _exit(0);
    }
    for (int turn = 0; turn < 300; ++turn) {
        std::wstring own = L"C:\\Turns\\Own" + std::to_wstring(turn) + L".txt";
        ASSERT_EQ(CreateNew(own.c_str()), ERROR_SUCCESS);
        ASSERT_EQ(write(request[1], &turn, sizeof turn), static_cast<ssize_t>(sizeof turn));
        ASSERT_EQ(read(done[0], &turn, sizeof turn), static_cast<ssize_t>(sizeof turn));
        std::wstring other = L"C:\\TURNS\\OTHER" + std::to_wstring(turn) + L".TXT";
        ASSERT_EQ(CreateNew(other.c_str()), static_cast<DWORD>(ERROR_FILE_EXISTS)) << turn;
    }
    close(request[1]);
    waitpid(child, nullptr, 0);
    close(request[0]);
    close(done[0]);
    close(done[1]);
}

TEST(PathMappingChanges, OwnCreatesRenamesAndDeletesAreFoundInAnyCase) {
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Own", nullptr));
    const std::string folder = DriveC() + "/Own";
    ASSERT_EQ(CreateNew(L"C:\\Own\\First.txt"), ERROR_SUCCESS);
    EXPECT_EQ(Mapped(L"C:\\OWN\\FIRST.TXT"), folder + "/First.txt");
    ASSERT_TRUE(MoveFileExW(L"C:\\own\\first.TXT", L"C:\\Own\\Second.txt", 0));
    EXPECT_EQ(Mapped(L"C:\\OWN\\FIRST.TXT"), folder + "/FIRST.TXT");
    EXPECT_EQ(Mapped(L"C:\\OWN\\SECOND.TXT"), folder + "/Second.txt");
    // A change of case only takes the new spelling.
    ASSERT_TRUE(MoveFileExW(L"C:\\Own\\second.txt", L"C:\\Own\\SECOND.txt", 0));
    EXPECT_EQ(Mapped(L"C:\\own\\second.TXT"), folder + "/SECOND.txt");
    ASSERT_TRUE(DeleteFileW(L"C:\\OWN\\second.TXT"));
    EXPECT_EQ(Mapped(L"C:\\own\\second.TXT"), folder + "/second.TXT");
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Own\\Sub", nullptr));
    EXPECT_EQ(Mapped(L"C:\\OWN\\SUB\\x"), folder + "/Sub/x");
    ASSERT_TRUE(RemoveDirectoryW(L"C:\\own\\sub"));
    EXPECT_EQ(Mapped(L"C:\\OWN\\SUB\\x"), folder + "/SUB/x");
}

TEST(PathMappingChanges, LinksInThePathLeadToTheCurrentTarget) {
    const std::string folder = DriveC() + "/Linked";
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Linked", nullptr));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Linked\\Real", nullptr));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Linked\\Other", nullptr));
    Touch(folder + "/Other/Name.TXT");
    ASSERT_EQ(symlink("Real", (folder + "/Alias").c_str()), 0);
    EXPECT_EQ(Mapped(L"C:\\LINKED\\ALIAS\\late.txt"), folder + "/Alias/late.txt");
    InAnotherProcess([&] { Touch(folder + "/Real/Late.txt"); });
    EXPECT_EQ(Mapped(L"C:\\LINKED\\ALIAS\\late.txt"), folder + "/Alias/Late.txt");
    InAnotherProcess([&] {
        unlink((folder + "/Alias").c_str());
        symlink("Other", (folder + "/Alias").c_str());
    });
    EXPECT_EQ(Mapped(L"C:\\linked\\alias\\LATE.txt"), folder + "/Alias/LATE.txt");
    EXPECT_EQ(Mapped(L"C:\\linked\\alias\\name.txt"), folder + "/Alias/Name.TXT");
}

TEST(PathMappingChanges, AFolderReplacedByAFileHoldsNoNames) {
    const std::string folder = DriveC() + "/Replaced";
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Replaced", nullptr));
    ASSERT_TRUE(CreateDirectoryW(L"C:\\Replaced\\Sub", nullptr));
    ASSERT_EQ(CreateNew(L"C:\\Replaced\\Sub\\File.txt"), ERROR_SUCCESS);
    EXPECT_EQ(Mapped(L"C:\\REPLACED\\SUB\\FILE.TXT"), folder + "/Sub/File.txt");
    InAnotherProcess([&] {
        unlink((folder + "/Sub/File.txt").c_str());
        rmdir((folder + "/Sub").c_str());
        Touch(folder + "/sub");
    });
    EXPECT_EQ(Mapped(L"C:\\REPLACED\\SUB\\FILE.TXT"), folder + "/sub/FILE.TXT");
    EXPECT_EQ(CreateNew(L"C:\\Replaced\\Sub\\File.txt"), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(L"C:\\replaced\\SUB"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
}

TEST(PathMappingChanges, DriveLinksMadeAndRemovedLaterAreSeen) {
    std::string target = MakeTestFolder("drive-m");
    EXPECT_EQ(wincompat::UnixToDos(target + "/x").substr(0, 2), L"Z:");
    const std::string link = TestPrefixRoot() + "/dosdevices/m:";
    InAnotherProcess([&] { symlink(target.c_str(), link.c_str()); });
    EXPECT_EQ(wincompat::UnixToDos(target + "/x"), L"M:\\x");
    Touch(target + "/Name.txt");
    EXPECT_EQ(Mapped(L"m:\\NAME.TXT"), link + "/Name.txt");
    InAnotherProcess([&] { unlink(link.c_str()); });
    EXPECT_EQ(wincompat::UnixToDos(target + "/x").substr(0, 2), L"Z:");
    EXPECT_EQ(Mapped(L"M:\\NAME.TXT"), "error " + std::to_string(ERROR_PATH_NOT_FOUND));
}

}  // namespace
