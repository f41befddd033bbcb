#include "app/ProductPaths.h"

#include <gtest/gtest.h>

TEST(JoinPath, JoinsWithOneSeparator) {
    struct Case {
        const wchar_t* base;
        const wchar_t* name;
        const wchar_t* joined;
    } cases[] = {
        {L"C:\\A", L"Velmora", L"C:\\A\\Velmora"},
        {L"C:\\A\\", L"Velmora", L"C:\\A\\Velmora"},
        {L"C:", L"Velmora", L"C:Velmora"},
        {L"", L"Velmora", L"Velmora"},
        {L"C:/A", L"B/C", L"C:\\A\\B\\C"},
        {L"C:\\A", L"\\B", L"C:\\A\\B"},
        {L"C:\\A\\", L"\\B", L"C:\\A\\\\B"},
        {L"C:\\A", L"", L"C:\\A"},
        {L"C:\\A\\..", L".\\B", L"C:\\A\\..\\.\\B"},
    };
    for (const Case& c : cases) EXPECT_EQ(JoinPath(c.base, c.name), c.joined) << c.base << L" + " << c.name;
}

TEST(JoinPath, BuildersUseTheProductNames) {
    EXPECT_EQ(ProductFolderPath(L"C:\\Program Files (x86)"), L"C:\\Program Files (x86)\\Velmora");
    EXPECT_EQ(UserFolderPath(L"C:\\L"), L"C:\\L\\VelmoraUser");
    EXPECT_EQ(UserConfigFilePath(L"C:\\L\\VelmoraUser"), L"C:\\L\\VelmoraUser\\VelmoraUser.ini");
    EXPECT_EQ(VersionFilePath(L"C:\\X\\"), L"C:\\X\\VelmoraUserVersion.ini");
}
