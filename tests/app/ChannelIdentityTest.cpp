#include "app/ChannelIdentity.h"

#include <gtest/gtest.h>

TEST(ChannelIdentity, StampsAndFileNamesGiveTheIdentity) {
    struct Case {
        const char* marker;
        const wchar_t* modulePath;
        const wchar_t* identity;
    } cases[] = {
        {"qstart:xvrnkolpaz##:qend", L"Z:\\x\\setup.exe", L"xvrnkolpaz"},  // the unstamped build
        {"qstart:abc123:qend", L"Z:\\x\\setup.exe", L"abc123"},
        {"qstart:abc123######:qend", L"Z:\\x\\setup.exe", L"abc123"},
        {"qstart:c121764ed09c:qend", L"Z:\\dl\\setup_77.exe", L"setup_77qz"},  // the reserved stamp
        {"qstart::qend", L"Z:\\x\\setup.exe", L"gfqz"},
        {"qstart:a:b:qend", L"Z:\\x\\setup.exe", L"gfqz"},
        {"xqstartx:qendy", L"Z:\\x\\setup.exe", L"gfqz"},  // usable by substring, but no value
        {"", L"Z:\\x\\setup.exe", L"setupqz"},
        {"qstart:ABCDEFGHIJKL:qend", L"Z:\\x\\setup.exe", L"ABCDEFGHIJK"},
        {"", L"Z:\\x\\my_long_installer.exe", L"my_long_ins"},
        {"", L"Z:\\x\\a.b.exe", L"a.bqz"},
        {"", L"Z:/x/plain.exe", L"plainqz"},
        {"", L"noseparator.exe", L"qz"},  // no folder separator: an empty name
        {"other text", L"Z:\\x\\.exe", L"qz"},
    };
    for (const Case& c : cases) {
        bool usable = IsUsableStamp(c.marker);
        std::wstring identity = ResolveChannelIdentity(c.marker, usable, c.modulePath);
        EXPECT_EQ(identity, c.identity) << c.marker << " " << c.modulePath;
    }
}

TEST(ChannelIdentity, MarkerValueNeedsExactlyThreeFields) {
    EXPECT_EQ(MarkerValue("qstart:v:qend"), "v");
    EXPECT_EQ(MarkerValue("QSTART:v:qend"), "");
    EXPECT_EQ(MarkerValue("qstart:v:qend:"), "");
    EXPECT_EQ(MarkerValue("qstart:#v:qend"), "");
    EXPECT_EQ(MarkerValue(""), "");
    EXPECT_FALSE(IsUsableStamp("qstart:xc121764ed09cx:qend"));
    EXPECT_FALSE(IsUsableStamp("qstart only"));
}
