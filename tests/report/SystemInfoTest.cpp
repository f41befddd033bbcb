#include "report/SystemInfo.h"

#include <gtest/gtest.h>

TEST(SystemInfo, OsCodeTable) {
    struct Case {
        uint32_t major, minor;
        uint8_t productType;
        int32_t code;
    } cases[] = {
        {4, 0, 1, OsUnknown},          {5, 0, 1, OsUnknown},           {5, 1, 1, OsWindowsXp},
        {5, 2, 3, OsWindows2003},      {6, 0, 1, OsWindowsVista},      {6, 0, 3, OsWindowsServer2008},
        {6, 1, 1, OsWindows7},         {6, 1, 3, OsWindowsServer2008}, {6, 2, 1, OsWindows8},
        {6, 3, 1, OsWindows8},         {6, 3, 3, OsWindowsServer2008}, {6, 2, 2, OsWindowsServer2008},
        {7, 0, 1, OsUnknown},          {9, 0, 1, OsUnknown},           {10, 0, 1, OsWindows10},
        {10, 0, 3, OsWindows10},       {11, 0, 1, OsNewerThan10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(OsCodeFor(c.major, c.minor, c.productType), c.code) << c.major << "." << c.minor;
}

TEST(SystemInfo, DefaultMachineIsWindows10On64Bit) {
    const OsVersionInfo& info = GetOsVersionInfo();
    EXPECT_EQ(&info, &GetOsVersionInfo());
    EXPECT_EQ(info.osCode, OsWindows10);
    EXPECT_EQ(info.majorVersion, 10u);
    EXPECT_EQ(info.buildNumber, 19045u);
    EXPECT_EQ(info.processorArchitecture, 1u);
    EXPECT_EQ(info.wow64State, 1u);
    EXPECT_EQ(GetOsLabel(), L"window-10_64");
    EXPECT_EQ(GetProgramFilesFolder(), L"C:\\Program Files (x86)");
}
