#include "app/InstallFolderCheck.h"

#include <windows.h>

#include "prefix/Prefix.h"

#include <gtest/gtest.h>

#include <string>

#include <unistd.h>

namespace {

using Verdict = InstallFolderVerdict;

TEST(InstallFolderCheck, AcceptsOnlyRealFoldersOnADriveThatFitEveryRecord) {
    ASSERT_TRUE(CreateDirectoryW(L"C:\\CheckParent", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CreateDirectoryW(L"C:\\CheckParent\\Existing", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    HANDLE file = CreateFileW(L"C:\\CheckParent\\file.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    std::string parent;
    DWORD error = 0;
    ASSERT_TRUE(wincompat::DosToUnix(L"C:\\CheckParent", parent, &error));
    unlink((parent + "/link").c_str());
    ASSERT_EQ(symlink((parent + "/Existing").c_str(), (parent + "/link").c_str()), 0);

    // The folder as the install gets it ends with one more backslash, and the
    // longest name put there is "Tellurin64.dll.remove11" (23 characters).
    const std::wstring fits = L"C:\\CheckParent\\" + std::wstring(MAX_PATH - 1 - 24 - 15, L'a');
    struct Case {
        std::wstring path;
        Verdict verdict;
    } cases[] = {
        {L"C:\\CheckParent\\Existing", Verdict::Acceptable},
        {L"c:/CheckParent/Existing/", Verdict::Acceptable},
        {L"C:\\CheckParent\\New", Verdict::Acceptable},  // made by the install
        {L"C:\\CheckParent\\Velmora  ", Verdict::Acceptable},
        {fits, Verdict::Acceptable},
        {fits + L"a", Verdict::TooLong},
        {L"", Verdict::NotOnDrive},
        {L".", Verdict::NotOnDrive},
        {L"Velmora", Verdict::NotOnDrive},
        {L"\\\\server\\share\\Velmora", Verdict::NotOnDrive},
        {L"\\\\?\\C:\\CheckParent\\Existing", Verdict::NotOnDrive},
        {L"C:Velmora", Verdict::NotOnDrive},
        {L"1:\\Velmora", Verdict::NotOnDrive},
        {L"C:\\CheckParent\\.", Verdict::BadComponent},
        {L"C:\\CheckParent\\..\\CheckParent", Verdict::BadComponent},
        {L"C:\\CheckParent\\...", Verdict::BadComponent},
        {L"C:\\CheckParent\\\\Existing", Verdict::BadComponent},
        {L"C:\\CheckParent\\Existing\\\\", Verdict::BadComponent},
        {L"C:\\CheckParent\\a*b", Verdict::BadComponent},
        {L"C:\\CheckParent\\a:b", Verdict::BadComponent},
        {L"C:\\CheckParent\\a\tb", Verdict::BadComponent},
        {L"C:\\", Verdict::SystemFolder},
        {L"C:\\Windows", Verdict::SystemFolder},
        {L"c:\\windows\\", Verdict::SystemFolder},
        {L"C:\\Program Files (x86)", Verdict::SystemFolder},
        {L"C:\\CheckParent\\file.txt", Verdict::IsFile},
        {L"C:\\CheckParent\\link", Verdict::IsLink},
        {L"C:\\NoSuchParent\\Velmora", Verdict::NoParentFolder},
        {L"C:\\CheckParent\\file.txt\\Velmora", Verdict::NoParentFolder},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckInstallFolder(c.path), c.verdict) << "\"" << std::string(c.path.begin(), c.path.end()) << "\"";
}

}  // namespace
