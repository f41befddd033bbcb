// What FindFirstFileW / FindNextFileW report for each entry, and the life of
// a search handle.
#include <windows.h>

#include "kernel32/FileTimes.h"
#include "prefix/Prefix.h"
#include "support/WithoutAccessOverride.h"
#include "support/TestPrefix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

namespace {

std::string UnixPath(const std::wstring& dos) {
    std::string unixPath;
    EXPECT_TRUE(wincompat::DosToUnix(dos, unixPath, nullptr));
    return unixPath;
}

void MakeFile(const std::wstring& path, off_t size) {
    int fd = open(UnixPath(path).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, size), 0);  // sparse: no disk space taken
    close(fd);
}

// The single entry a plain pattern names.
bool FindOne(const std::wstring& pattern, WIN32_FIND_DATAW& data) {
    HANDLE search = FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

class FindFileEntry : public testing::Test {
protected:
    void SetUp() override {
        static int counter = 0;
        folder_ = L"C:\\FindEntries" + std::to_wstring(++counter);
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    }
    std::wstring In(const wchar_t* name) const { return folder_ + L"\\" + name; }

    std::wstring folder_;
};

TEST_F(FindFileEntry, ReportsAttributesSizesAndTimes) {
    MakeFile(In(L"big.bin"), (5LL << 30) + 7);
    MakeFile(In(L"hidden.txt"), 3);
    ASSERT_TRUE(SetFileAttributesW(In(L"hidden.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateDirectoryW(In(L"Folder").c_str(), nullptr));
    ASSERT_EQ(symlink("big.bin", UnixPath(In(L"file-link")).c_str()), 0);
    ASSERT_EQ(symlink("Folder", UnixPath(In(L"folder-link")).c_str()), 0);
    ASSERT_EQ(symlink("loop", UnixPath(In(L"loop")).c_str()), 0);

    struct Case {
        const wchar_t* name;
        DWORD attributes;
        DWORD sizeHigh, sizeLow;
        DWORD reparseTag;
    } cases[] = {
        {L"big.bin", FILE_ATTRIBUTE_ARCHIVE, 1, 0x40000007, 0},
        // Set without ARCHIVE, so reported without it, as on Windows.
        {L"hidden.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, 0, 3, 0},
        {L"Folder", FILE_ATTRIBUTE_DIRECTORY, 0, 0, 0},
        // Links are reparse points of their own size and times, even when their target is gone.
        {L"file-link", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT, 0, 0, IO_REPARSE_TAG_SYMLINK},
        {L"folder-link", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT, 0, 0, IO_REPARSE_TAG_SYMLINK},
        {L"loop", FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_REPARSE_POINT, 0, 0, IO_REPARSE_TAG_SYMLINK},
    };
    for (const Case& c : cases) {
        struct stat info;  // before the search, which reads links and so touches their access time
        ASSERT_EQ(lstat(UnixPath(In(c.name)).c_str(), &info), 0);
        WIN32_FIND_DATAW data;
        ASSERT_TRUE(FindOne(In(c.name), data)) << c.name;
        EXPECT_STREQ(data.cFileName, c.name);
        EXPECT_EQ(data.dwFileAttributes, c.attributes) << c.name;
        EXPECT_EQ(data.nFileSizeHigh, c.sizeHigh) << c.name;
        EXPECT_EQ(data.nFileSizeLow, c.sizeLow) << c.name;
        EXPECT_EQ(data.dwReserved0, c.reparseTag) << c.name;
        FILETIME written = wincompat::FileTimeFromUnix(info.st_mtim);
        FILETIME accessed = wincompat::FileTimeFromUnix(info.st_atim);
        EXPECT_EQ(data.ftLastWriteTime.dwLowDateTime, written.dwLowDateTime) << c.name;
        EXPECT_EQ(data.ftLastWriteTime.dwHighDateTime, written.dwHighDateTime) << c.name;
        EXPECT_EQ(data.ftLastAccessTime.dwLowDateTime, accessed.dwLowDateTime) << c.name;
        EXPECT_NE(data.ftCreationTime.dwHighDateTime, 0u) << c.name;
    }
}

TEST_F(FindFileEntry, ListsDotEntriesExceptInADriveRoot) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(In(L"*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, L".");
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    ASSERT_TRUE(FindNextFileW(search, &data));
    EXPECT_STREQ(data.cFileName, L"..");
    EXPECT_EQ(data.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    // An empty folder holds nothing more.
    EXPECT_FALSE(FindNextFileW(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_FALSE(FindNextFileW(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(search));

    search = FindFirstFileW(L"C:\\*", &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        EXPECT_STRNE(data.cFileName, L".");
        EXPECT_STRNE(data.cFileName, L"..");
    } while (FindNextFileW(search, &data));
    EXPECT_TRUE(FindClose(search));
}

TEST_F(FindFileEntry, ClosedOrForeignHandlesAreRefused) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(In(L"*").c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(FindClose(search));
    EXPECT_FALSE(FindNextFileW(search, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FindClose(search));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FindClose(INVALID_HANDLE_VALUE));

    // A file handle is no search.
    HANDLE file = CreateFileW(In(L"plain.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FindClose(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(CloseHandle(file));
}

TEST_F(FindFileEntry, UnreadableFolderIsAccessDenied) {
    ASSERT_TRUE(CreateDirectoryW(In(L"locked").c_str(), nullptr));
    MakeFile(In(L"locked\\inside.txt"), 1);
    std::string locked = UnixPath(In(L"locked"));
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    WIN32_FIND_DATAW data;
    HANDLE search;
    {
        WithoutAccessOverride guard;
        search = FindFirstFileW(In(L"locked\\*").c_str(), &data);
    }
    DWORD error = GetLastError();
    chmod(locked.c_str(), 0755);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    // The folder itself is still listed by its parent.
    EXPECT_TRUE(FindOne(In(L"locked"), data));
}

}  // namespace
