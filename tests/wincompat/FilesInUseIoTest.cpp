// ReadFile, WriteFile, file pointers and sizes, file times.
#include "wincompat/FilesInUseFiles.h"

#include "kernel32/FileTimes.h"

#include <gtest/gtest.h>

namespace {

class OpenFile {
public:
    OpenFile(const std::wstring& path, DWORD access, DWORD disposition = OPEN_ALWAYS)
        : handle_(CreateFileW(path.c_str(), access, 0, nullptr, disposition, 0, nullptr)) {}
    ~OpenFile() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

LONGLONG Position(HANDLE file) {
    LARGE_INTEGER zero = {}, position = {};
    SetFilePointerEx(file, zero, &position, FILE_CURRENT);
    return position.QuadPart;
}

}  // namespace

TEST(FileIo, WritesReadsAndMoves) {
    std::wstring path = MakeDosFolder(L"io") + L"\\file";
    OpenFile file(path, GENERIC_READ | GENERIC_WRITE);
    ASSERT_NE(file.get(), INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(file.get(), "0123456789", 10, &done, nullptr));
    EXPECT_EQ(done, 10u);
    struct Case {
        LONGLONG distance;
        DWORD method;
        LONGLONG position;  // -1: refused with ERROR_NEGATIVE_SEEK
    } cases[] = {
        {2, FILE_BEGIN, 2}, {3, FILE_CURRENT, 5}, {-1, FILE_END, 9}, {20, FILE_BEGIN, 20}, {-30, FILE_CURRENT, -1},
    };
    for (const Case& c : cases) {
        LARGE_INTEGER distance, position = {};
        distance.QuadPart = c.distance;
        BOOL moved = SetFilePointerEx(file.get(), distance, &position, c.method);
        EXPECT_EQ(moved != FALSE, c.position >= 0) << c.distance;
        if (moved) {
            EXPECT_EQ(position.QuadPart, c.position);
        } else {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
        }
    }
    EXPECT_EQ(Position(file.get()), 20) << "a refused move leaves the pointer";

    char buffer[16] = {};
    EXPECT_EQ(SetFilePointer(file.get(), 4, nullptr, FILE_BEGIN), 4u);
    ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof(buffer), &done, nullptr));
    EXPECT_EQ(std::string(buffer, done), "456789");
    ASSERT_TRUE(ReadFile(file.get(), buffer, sizeof(buffer), &done, nullptr));
    EXPECT_EQ(done, 0u) << "end of file is a successful read of nothing";
    EXPECT_TRUE(FlushFileBuffers(file.get()));
}

TEST(FileIo, SizesBeyondFourGigabytes) {
    std::wstring path = MakeDosFolder(L"large") + L"\\sparse";
    OpenFile file(path, GENERIC_READ | GENERIC_WRITE);
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(file.get(), 16, &high, FILE_BEGIN), 16u);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(file.get(), "x", 1, &done, nullptr));
    DWORD sizeHigh = 0;
    EXPECT_EQ(GetFileSize(file.get(), &sizeHigh), 17u);
    EXPECT_EQ(sizeHigh, 1u);
    LARGE_INTEGER size = {};
    ASSERT_TRUE(GetFileSizeEx(file.get(), &size));
    EXPECT_EQ(size.QuadPart, (1LL << 32) + 17);
    EXPECT_EQ(SetFilePointer(file.get(), 0, nullptr, FILE_END), INVALID_SET_FILE_POINTER)
        << "a position past 4 GB needs the high part";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(FileIo, HandlesDoOnlyWhatTheyWereOpenedFor) {
    std::wstring path = MakeDosFolder(L"rights") + L"\\file";
    PutFile(path, "abc");
    char buffer[4];
    DWORD done = 0;
    FILETIME time = {1, 1};
    {
        OpenFile reader(path, GENERIC_READ, OPEN_EXISTING);
        EXPECT_FALSE(WriteFile(reader.get(), "x", 1, &done, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
        EXPECT_FALSE(SetFileTime(reader.get(), nullptr, nullptr, &time));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    {
        OpenFile writer(path, GENERIC_WRITE, OPEN_EXISTING);
        EXPECT_FALSE(ReadFile(writer.get(), buffer, sizeof(buffer), &done, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    }
    HANDLE closed = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    CloseHandle(closed);
    EXPECT_FALSE(ReadFile(closed, buffer, sizeof(buffer), &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(FileTimes, ConvertsBetweenFileTimeAndUnix) {
    struct Case {
        ULONGLONG ticks;
        time_t seconds;
        long nanoseconds;
    } cases[] = {
        {116444736000000000ull, 0, 0},
        {116444736000000000ull + 15, 0, 1500},
        {116444736000000000ull - 5, -1, 999999500},  // before 1970
        {132223104000000000ull, 1577836800, 0},      // 2020-01-01
    };
    for (const Case& c : cases) {
        FILETIME time = {static_cast<DWORD>(c.ticks), static_cast<DWORD>(c.ticks >> 32)};
        timespec unix = wincompat::UnixFromFileTime(time);
        EXPECT_EQ(unix.tv_sec, c.seconds) << c.ticks;
        EXPECT_EQ(unix.tv_nsec, c.nanoseconds) << c.ticks;
        FILETIME back = wincompat::FileTimeFromUnix(unix);
        EXPECT_EQ((ULONGLONG(back.dwHighDateTime) << 32) | back.dwLowDateTime, c.ticks);
    }
}

TEST(FileTimes, LastWriteTimeReachesTheFile) {
    std::wstring path = MakeDosFolder(L"times") + L"\\file";
    const ULONGLONG ticks = 132223104000000000ull + 1234567;  // 2020-01-01 00:00:00.1234567
    FILETIME written = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    FILETIME before = {};
    {
        OpenFile file(path, GENERIC_WRITE);
        ASSERT_TRUE(GetFileTime(file.get(), nullptr, &before, nullptr));
        ASSERT_TRUE(SetFileTime(file.get(), nullptr, nullptr, &written));
    }
    struct stat info;
    ASSERT_EQ(stat(UnixOf(path).c_str(), &info), 0);
    EXPECT_EQ(info.st_mtim.tv_sec, 1577836800);
    EXPECT_EQ(info.st_mtim.tv_nsec, 123456700);
    OpenFile reader(path, GENERIC_READ, OPEN_EXISTING);
    FILETIME read = {}, accessed = {};
    ASSERT_TRUE(GetFileTime(reader.get(), nullptr, &accessed, &read));
    EXPECT_EQ(read.dwLowDateTime, written.dwLowDateTime);
    EXPECT_EQ(read.dwHighDateTime, written.dwHighDateTime);
    EXPECT_EQ(accessed.dwLowDateTime, before.dwLowDateTime) << "a null time is left as it was";
}
