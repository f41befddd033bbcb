// Damaged, binary, huge and odd files: reads give what can be parsed, writes
// keep what they cannot parse, nothing crashes or blocks.
#include "ProfileTest.h"

#include "kernel32/ProfileStore.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

TEST(ProfileBadFile, KeepsUnparsableBytesWhenRewriting) {
    struct Case {
        const char* name;
        std::string before;
        std::string after;  // after setting S.new=1
        const wchar_t* k;   // S.k as read
    } cases[] = {
        {"NUL and high bytes", "[S]\r\nk=v\r\n\x00\x01\xFF\xFE garbage\r\n[T]\r\nbin=\xC3\x28\x00zz\r\n"s,
         "[S]\r\nk=v\r\nnew=1\r\n\x00\x01\xFF\xFE garbage\r\n[T]\r\nbin=\xC3\x28\x00zz\r\n"s, L"v"},
        {"NUL ends a value", "[S]\r\nk=ab\x00" "cd\r\n"s, "[S]\r\nk=ab\x00" "cd\r\nnew=1\r\n"s, L"ab"},
        {"invalid UTF-8 after a mark", "\xEF\xBB\xBF[S]\r\n\xC0\xAF\xFF\r\nk=\xE4\xB8v\r\n",
         "\xEF\xBB\xBF[S]\r\n\xC0\xAF\xFF\r\nk=\xE4\xB8v\r\nnew=1\r\n", nullptr},
        {"UTF-16 cut mid-unit", "\xFF\xFE[\0S\0]\0\n\0k\0=\0v\0\n\0\x41"s,
         "\xFF\xFE[\0S\0]\0\n\0k\0=\0v\0\n\0n\0e\0w\0=\0\x31\0\r\0\n\0\x41"s, L"v"},
        {"UTF-16 odd tail", "\xFF\xFE[\0S\0]\0\n\0k\0=\0v\0"s "\x41",
         "\xFF\xFE[\0S\0]\0\n\0k\0=\0v\0\x41\0\r\0\n\0n\0e\0w\0=\0\x31\0\r\0\n\0"s, L"v"},
        {"unclosed bracket", "[S\r\nk=v\r\n[\r\n", "[S\r\nk=v\r\nnew=1\r\n[\r\n", L"v"},
    };
    for (const Case& c : cases) {
        ProfileTestFile file;
        file.Write(c.before);
        if (c.k) {
            EXPECT_EQ(ReadProfileString(L"S", L"k", L"d", file.dos()), c.k) << c.name;
        }
        EXPECT_TRUE(WritePrivateProfileStringW(L"S", L"new", L"1", file.dos())) << c.name;
        EXPECT_EQ(file.Read(), c.after) << c.name;
    }
}

// A stray byte shifts the rest of a UTF-16 file off its code units; the last
// two bytes may then look like a line feed that is not one.
TEST(ProfileBadFile, NewSectionAfterAStrayByteStartsOnItsOwnLine) {
    struct Case {
        const char* name;
        std::string before;
    } cases[] = {
        {"UTF-16LE", "\xFF\xFE[\0S\0]\0\n\0" "\x41" "\n\0"s},
        {"UTF-16BE", "\xFE\xFF\0[\0S\0]\0\n" "\x41" "\0\n"s},
    };
    for (const Case& c : cases) {
        ProfileTestFile file;
        file.Write(c.before);
        EXPECT_TRUE(WritePrivateProfileStringW(L"T", L"new", L"1", file.dos())) << c.name;
        EXPECT_EQ(ReadProfileString(L"T", L"new", L"d", file.dos()), L"1") << c.name;
        EXPECT_EQ(file.Read().substr(0, c.before.size()), c.before) << c.name;
    }
}

TEST(ProfileBadFile, HugeFileIsReadUpToTheCapAndNeverRewritten) {
    ProfileTestFile file;
    std::string bytes = "[S]\r\nfirst=1\r\n";
    const std::string filler = "; filler line of some length to pass the cap\r\n";
    while (bytes.size() <= wincompat::kMaxProfileBytes) bytes += filler;
    bytes += "[End]\r\nlast=1\r\n";
    file.Write(bytes);
    EXPECT_EQ(GetPrivateProfileIntW(L"S", L"first", 0, file.dos()), 1u);
    EXPECT_EQ(GetPrivateProfileIntW(L"End", L"last", 0, file.dos()), 0u);
    EXPECT_FALSE(WritePrivateProfileStringW(L"S", L"first", L"2", file.dos()));
    EXPECT_TRUE(file.Read() == bytes);
}

TEST(ProfileBadFile, NonRegularFilesNeitherBlockNorChange) {
    ProfileTestFile fifo("pipe.ini");
    ASSERT_EQ(mkfifo(fifo.unixPath.c_str(), 0666), 0);
    ProfileTestFile folder("folder.ini");
    ASSERT_EQ(mkdir(folder.unixPath.c_str(), 0777), 0);
    for (const ProfileTestFile* file : {&fifo, &folder}) {
        EXPECT_EQ(ReadProfileString(L"S", L"k", L"d", file->dos()), L"d");
        EXPECT_FALSE(WritePrivateProfileStringW(L"S", L"k", L"v", file->dos()));
    }
    EXPECT_EQ(ReadProfileString(L"S", L"k", L"d", L"Z:\\dev\\zero"), L"d");
    struct stat info;
    ASSERT_EQ(lstat(fifo.unixPath.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

}  // namespace
