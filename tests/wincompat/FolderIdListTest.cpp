// The item lists the folder picker hands out and SHGetPathFromIDListW.
#include "shell32/FolderBrowserIdList.h"

#include <gtest/gtest.h>

#include <string.h>

#include <vector>

using wincompat::IdListFromDosPath;

TEST(FolderIdList, PathsComeBackFromTheirItemLists) {
    for (const wchar_t* path : {L"C:\\", L"C:\\Program Files (x86)\\Orvanti文件数据恢复", L"Z:\\tmp\\not there",
                                L"D:\\一\\二\\三"}) {
        PIDLIST_ABSOLUTE pidl = IdListFromDosPath(path);
        ASSERT_NE(pidl, nullptr) << path;
        wchar_t back[MAX_PATH] = L"x";
        EXPECT_TRUE(SHGetPathFromIDListW(pidl, back)) << path;
        EXPECT_STREQ(back, path);
        ILFree(pidl);
    }
}

TEST(FolderIdList, ItemsOutsideTheFileSystemHaveNoPath) {
    PIDLIST_ABSOLUTE folder = IdListFromDosPath(L"C:\\users");
    ASSERT_NE(folder, nullptr);
    // The same list ended after its first item, My Computer.
    std::vector<BYTE> myComputer(reinterpret_cast<BYTE*>(folder), reinterpret_cast<BYTE*>(folder) + folder->mkid.cb);
    myComputer.insert(myComputer.end(), {0, 0});
    std::vector<BYTE> desktop = {0, 0};
    std::vector<BYTE> unknown = {5, 0, 0x71, 1, 2, 0, 0};
    for (const std::vector<BYTE>* list : {&myComputer, &desktop, &unknown}) {
        wchar_t path[MAX_PATH] = L"untouched";
        EXPECT_FALSE(SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(list->data()), path));
        EXPECT_STREQ(path, L"");
    }
    wchar_t path[MAX_PATH] = L"untouched";
    EXPECT_FALSE(SHGetPathFromIDListW(nullptr, path));
    EXPECT_STREQ(path, L"");
    ILFree(folder);
}

TEST(FolderIdList, APathLongerThanTheBufferIsRefused) {
    std::wstring longPath = L"C:";
    while (longPath.size() < MAX_PATH + 10) longPath += L"\\folder";
    PIDLIST_ABSOLUTE pidl = IdListFromDosPath(longPath);
    ASSERT_NE(pidl, nullptr);
    wchar_t path[MAX_PATH];
    EXPECT_FALSE(SHGetPathFromIDListW(pidl, path));
    EXPECT_STREQ(path, L"");
    ILFree(pidl);
}
