// Handles for no data on what only a unix prefix holds: links, fifos and
// sockets are opened as themselves with FILE_FLAG_OPEN_REPARSE_POINT, never
// for I/O, and described as the reparse points WSL makes of them on NTFS.
#include "wincompat/FilesInUseFiles.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kItself = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;

HANDLE OpenItself(const std::wstring& path, DWORD access) {
    return CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, kItself, nullptr);
}

bool MakeSocket(const std::string& path) {
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof(address.sun_path) - 1);
    bool bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    close(fd);
    return bound;
}

TEST(FileHandleSpecial, LinksFifosAndSocketsAreHeldAsThemselves) {
    std::wstring folder = MakeDosFolder(L"HandleSpecial");
    const std::string unixFolder = UnixOf(folder);
    ASSERT_EQ(mkdir((unixFolder + "/target").c_str(), 0755), 0);
    ASSERT_EQ(symlink("target", (unixFolder + "/link").c_str()), 0);
    ASSERT_EQ(mkfifo((unixFolder + "/fifo").c_str(), 0600), 0);
    ASSERT_TRUE(MakeSocket(unixFolder + "/socket"));
    struct Case {
        const wchar_t* name;
        DWORD access;  // listing a folder in the place of one of them must not open it for reading
    } cases[] = {
        {L"link", READ_CONTROL | WRITE_DAC}, {L"link", READ_CONTROL | FILE_LIST_DIRECTORY},
        {L"fifo", READ_CONTROL | WRITE_DAC}, {L"fifo", READ_CONTROL | FILE_LIST_DIRECTORY},
        {L"socket", READ_CONTROL | FILE_LIST_DIRECTORY},
    };
    BY_HANDLE_FILE_INFORMATION targetInfo{};
    HANDLE target = OpenItself(folder + L"\\target", READ_CONTROL);
    ASSERT_NE(target, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(GetFileInformationByHandle(target, &targetInfo));
    CloseHandle(target);
    for (const Case& c : cases) {
        HANDLE handle = OpenItself(folder + L"\\" + c.name, c.access);
        ASSERT_NE(handle, INVALID_HANDLE_VALUE) << Narrow(c.name);
        BY_HANDLE_FILE_INFORMATION info{};
        EXPECT_TRUE(GetFileInformationByHandle(handle, &info));
        EXPECT_TRUE(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) << Narrow(c.name);
        EXPECT_FALSE(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) << Narrow(c.name);
        EXPECT_NE(info.nFileIndexLow, targetInfo.nFileIndexLow) << Narrow(c.name);
        // Nothing to list and nothing stored: the entry is not a folder, and
        // a link or special file keeps no descriptor of its own.
        ULONGLONG buffer[64];
        EXPECT_FALSE(GetFileInformationByHandleEx(handle, FileIdBothDirectoryInfo, buffer, sizeof(buffer)));
        CloseHandle(handle);
    }
    struct stat fifoInfo;
    ASSERT_EQ(lstat((unixFolder + "/fifo").c_str(), &fifoInfo), 0);
    EXPECT_EQ(fifoInfo.st_mode & 07777, 0600u);
}

// A handle keeps the object it opened: its security is set on that object
// even once its folder has been swapped for a link to another one.
TEST(FileHandleSpecial, SecuritySetThroughAHandleReachesTheOpenedObjectOnly) {
    std::wstring folder = MakeDosFolder(L"HandlePinned");
    const std::string unixFolder = UnixOf(folder);
    ASSERT_EQ(mkdir((unixFolder + "/sub").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((unixFolder + "/outside").c_str(), 0755), 0);
    for (const char* file : {"/sub/a.txt", "/outside/a.txt"}) close(creat((unixFolder + file).c_str(), 0600));
    HANDLE handle = OpenItself(folder + L"\\sub\\a.txt", READ_CONTROL | WRITE_DAC);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ASSERT_EQ(rename((unixFolder + "/sub").c_str(), (unixFolder + "/aside").c_str()), 0);
    ASSERT_EQ(symlink("outside", (unixFolder + "/sub").c_str()), 0);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    alignas(DWORD) BYTE acl[64];
    ASSERT_TRUE(InitializeAcl(reinterpret_cast<PACL>(acl), sizeof(acl), ACL_REVISION));
    ASSERT_TRUE(AddAccessAllowedAce(reinterpret_cast<PACL>(acl), ACL_REVISION, FILE_ALL_ACCESS, everyone));
    FreeSid(everyone);
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<PACL>(acl), FALSE));
    EXPECT_TRUE(SetKernelObjectSecurity(handle, DACL_SECURITY_INFORMATION, &descriptor));
    CloseHandle(handle);
    struct stat moved, outside;
    ASSERT_EQ(stat((unixFolder + "/aside/a.txt").c_str(), &moved), 0);
    ASSERT_EQ(stat((unixFolder + "/outside/a.txt").c_str(), &outside), 0);
    EXPECT_EQ(moved.st_mode & 0777, 0666u);
    EXPECT_EQ(outside.st_mode & 0777, 0600u);
}

// Opened for data, a fifo is a reparse point Windows cannot open
// (ERROR_CANT_ACCESS_FILE), whatever the disposition: never read from,
// never blocked on. A fifo put in a file's place again and again while it is
// opened gives the file or that error, and never hangs the open.
TEST(FileHandleSpecial, DataOpensRefuseFifosWithoutBlocking) {
    std::wstring folder = MakeDosFolder(L"HandleFifoData");
    const std::string unixFolder = UnixOf(folder);
    ASSERT_EQ(mkfifo((unixFolder + "/fifo").c_str(), 0600), 0);
    for (DWORD disposition : {OPEN_EXISTING, OPEN_ALWAYS, CREATE_ALWAYS, TRUNCATE_EXISTING}) {
        for (DWORD access : {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE}) {
            if (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE)) continue;  // refused for that alone
            HANDLE handle =
                CreateFileW((folder + L"\\fifo").c_str(), access, kShareAll, nullptr, disposition, 0, nullptr);
            EXPECT_EQ(handle, INVALID_HANDLE_VALUE) << disposition << " " << access;
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANT_ACCESS_FILE)) << disposition << " " << access;
        }
    }

    const std::string file = unixFolder + "/swapped", fifo = unixFolder + "/fifo", aside = unixFolder + "/aside";
    close(creat(file.c_str(), 0644));
    std::atomic<bool> done{false};
    std::thread swapper([&] {
        for (int step = 0; !done; ++step) {
            if (step % 2 == 0) {
                if (rename(file.c_str(), aside.c_str()) == 0) rename(fifo.c_str(), file.c_str());
            } else if (rename(file.c_str(), fifo.c_str()) == 0) {
                rename(aside.c_str(), file.c_str());
            }
        }
    });
    int opened = 0, refused = 0;
    for (int round = 0; round < 2000; ++round) {
        HANDLE handle = CreateFileW((folder + L"\\swapped").c_str(), GENERIC_READ, kShareAll, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            ++opened;
            BY_HANDLE_FILE_INFORMATION info{};
            EXPECT_TRUE(GetFileInformationByHandle(handle, &info));
            EXPECT_FALSE(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
            CloseHandle(handle);
        } else {
            const DWORD error = GetLastError();
            EXPECT_TRUE(error == ERROR_CANT_ACCESS_FILE || error == ERROR_FILE_NOT_FOUND) << error;
            refused += error == ERROR_CANT_ACCESS_FILE;
        }
    }
    done = true;
    swapper.join();
    EXPECT_GT(opened, 0);
    EXPECT_GT(refused, 0);
}

}  // namespace
