// The .lnk files Save writes: header fields, ID list items, link info, as the
// format lays them out, and as an independent reader (lnkinfo) reads them.
#include "ShellLinkTest.h"

#include <filesystem>
#include <vector>

namespace {

std::string SaveAndRead(const std::wstring& file, const std::wstring& target, const wchar_t* arguments = nullptr,
                        int showCommand = SW_SHOWNORMAL, WORD hotkey = 0) {
    TestComRef<IShellLinkW> link;
    NewShellLink(link);
    EXPECT_EQ(link->SetPath(target.c_str()), S_OK);
    link->SetShowCmd(showCommand);
    link->SetHotkey(hotkey);
    if (arguments) link->SetArguments(arguments);
    EXPECT_EQ(SaveLink(link.Get(), file), S_OK);
    return ReadWholeFile(UnixPathOf(file));
}

struct HeaderCase {
    const char* name;
    const char* targetContent;  // nullptr: no target file
    const wchar_t* arguments;   // nullptr: not set
    int showCommand;
    WORD hotkey;
    uint32_t flags;
    uint32_t attributes;
};

TEST_F(ShellLinkTest, HeaderFields) {
    std::wstring folder = FreshFolder(L"header");
    const HeaderCase cases[] = {
        {"existing target", "abc", nullptr, SW_SHOWNORMAL, 0, 0x83, FILE_ATTRIBUTE_ARCHIVE},
        {"missing target, empty arguments", nullptr, L"", SW_SHOWNORMAL, 0, 0x83, 0},
        {"arguments, minimised, hot key", "", L"-x", SW_SHOWMINNOACTIVE, 0x0652, 0xA3, FILE_ATTRIBUTE_ARCHIVE},
    };
    const std::string clsid("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
    int number = 0;
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::wstring target = folder + L"\\target" + std::to_wstring(++number) + L".exe";
        if (c.targetContent) WriteTarget(target, c.targetContent);
        std::string bytes = SaveAndRead(target + L".lnk", target, c.arguments, c.showCommand, c.hotkey);
        ASSERT_GT(bytes.size(), 0x4Cu);
        EXPECT_EQ(LittleEndianAt(bytes, 0x00, 4), 0x4Cu);
        EXPECT_EQ(bytes.substr(0x04, 16), clsid);
        EXPECT_EQ(LittleEndianAt(bytes, 0x14, 4), c.flags);
        EXPECT_EQ(LittleEndianAt(bytes, 0x18, 4), c.attributes);
        bool timesSet = LittleEndianAt(bytes, 0x1C + 4, 4) && LittleEndianAt(bytes, 0x24 + 4, 4) &&
                        LittleEndianAt(bytes, 0x2C + 4, 4);
        EXPECT_EQ(timesSet, c.targetContent != nullptr);
        EXPECT_EQ(LittleEndianAt(bytes, 0x34, 4), c.targetContent ? strlen(c.targetContent) : 0u);
        EXPECT_EQ(LittleEndianAt(bytes, 0x3C, 4), static_cast<uint32_t>(c.showCommand));
        EXPECT_EQ(LittleEndianAt(bytes, 0x40, 2), c.hotkey);
        EXPECT_EQ(bytes.substr(0x42, 10), std::string(10, '\0'));
        EXPECT_EQ(bytes.substr(bytes.size() - 4), std::string(4, '\0'));
    }
}

std::u16string Utf16At(const std::string& bytes, size_t offset) {
    std::u16string text;
    for (uint32_t unit; (unit = LittleEndianAt(bytes, offset, 2)) != 0 && offset < bytes.size(); offset += 2)
        text.push_back(static_cast<char16_t>(unit));
    return text;
}

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// The file entry items after My Computer and the drive: type and long name,
// checked for the size rule Wine holds them to.
std::vector<std::pair<int, std::wstring>> FileEntries(const std::string& bytes) {
    std::vector<std::pair<int, std::wstring>> entries;
    const std::string myComputer("\x14\x00\x1F\x50\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 20);
    size_t offset = 0x4C + 2;
    EXPECT_EQ(bytes.substr(offset, 20), myComputer);
    offset += 20;
    EXPECT_EQ(bytes.substr(offset, 6), std::string("\x19\x00\x2F" "C:\\", 6));
    offset += 0x19;
    for (size_t size; (size = LittleEndianAt(bytes, offset, 2)) != 0; offset += size) {
        std::string item = bytes.substr(offset, size);
        size_t block = LittleEndianAt(item, size - 2, 2);
        EXPECT_EQ(block % 2, 0u);
        EXPECT_EQ(block + LittleEndianAt(item, block, 2), size);
        EXPECT_EQ(LittleEndianAt(item, block + 2, 2), 3u);
        EXPECT_EQ(LittleEndianAt(item, block + 4, 4), 0xBEEF0004u);
        entries.push_back({static_cast<uint8_t>(item[2]), Wide(Utf16At(item, block + 20))});
    }
    EXPECT_EQ(offset, 0x4C + 2 + LittleEndianAt(bytes, 0x4C, 2) - 2);
    return entries;
}

TEST_F(ShellLinkTest, IdListNamesEveryElement) {
    std::wstring folder = FreshFolder(L"Program Files (x86)\\Orvanti文件数据恢复");
    WriteTarget(folder + L"\\Pellamor.exe", "MZ");
    std::string bytes = SaveAndRead(folder + L"\\link.lnk", folder + L"\\Pellamor.exe");
    std::vector<std::pair<int, std::wstring>> entries = FileEntries(bytes);
    std::wstring links = folder.substr(3, folder.find(L'\\', 3) - 3);
    std::vector<std::pair<int, std::wstring>> expected = {
        {0x31, links}, {0x31, L"Program Files (x86)"}, {0x31, L"Orvanti文件数据恢复"}, {0x32, L"Pellamor.exe"}};
    EXPECT_EQ(entries, expected);
}

struct LinkInfoCase {
    const char* name;
    std::wstring target;
    uint32_t headerSize;
};

TEST_F(ShellLinkTest, LinkInfoAddsTheUnicodePathBeyondAscii) {
    std::wstring folder = FreshFolder(L"info");
    const LinkInfoCase cases[] = {
        {"ASCII", L"C:\\Program Files (x86)\\Velmora\\Pellamor.exe", 0x1C},
        {"Chinese", L"C:\\数据\\恢复.exe", 0x24},
    };
    for (const LinkInfoCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = SaveAndRead(folder + L"\\" + wincompat::WideFromUtf8(c.name) + L".lnk", c.target);
        size_t info = 0x4C + 2 + LittleEndianAt(bytes, 0x4C, 2);
        EXPECT_EQ(LittleEndianAt(bytes, info + 4, 4), c.headerSize);
        EXPECT_EQ(LittleEndianAt(bytes, info + 8, 4), 1u);  // VolumeIDAndLocalBasePath
        size_t volume = info + LittleEndianAt(bytes, info + 0x0C, 4);
        EXPECT_EQ(LittleEndianAt(bytes, volume + 4, 4), 3u);  // fixed drive
        if (c.headerSize == 0x24)
            EXPECT_EQ(Wide(Utf16At(bytes, info + LittleEndianAt(bytes, info + 0x1C, 4))), c.target);
        else
            EXPECT_EQ(bytes.substr(info + LittleEndianAt(bytes, info + 0x10, 4)).c_str(), wincompat::Utf8FromWide(c.target));
    }
}

// The text after "Name :" on lnkinfo's line for it; empty when there is none.
std::string LnkinfoField(const std::string& output, const std::string& name) {
    size_t line = output.find("\t" + name + "\t");
    if (line == std::string::npos) return std::string();
    size_t value = output.find(": ", line) + 2;
    return output.substr(value, output.find('\n', value) - value);
}

struct ReaderCase {
    const char* name;
    std::wstring target;
    const wchar_t* arguments;
    bool targetExists;
};

TEST_F(ShellLinkTest, LnkinfoReadsPathAndArguments) {
    SKIP_WITHOUT_LNKINFO();
    std::wstring folder = FreshFolder(L"reader");
    const ReaderCase cases[] = {
        {"existing", folder + L"\\Pellamor.exe", L"", true},
        {"missing", L"C:\\Program Files (x86)\\Velmora\\Dravenko.exe", nullptr, false},
        {"Chinese", folder + L"\\文件数据恢复\\卸载.exe", nullptr, false},
        {"arguments", folder + L"\\Pellamor.exe", L"/S --user \"a b\"", true},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.targetExists) WriteTarget(c.target, "MZ");
        std::wstring file = folder + L"\\" + wincompat::WideFromUtf8(c.name) + L".lnk";
        SaveAndRead(file, c.target, c.arguments);
        ProcessResult result = Lnkinfo(UnixPathOf(file));
        ASSERT_EQ(result.exitCode, 0) << result.output << result.errors;
        EXPECT_EQ(LnkinfoField(result.output, "Local path"), wincompat::Utf8FromWide(c.target)) << result.output;
        std::wstring arguments = c.arguments ? c.arguments : L"";
        EXPECT_EQ(LnkinfoField(result.output, "Command line arguments"), wincompat::Utf8FromWide(arguments));
        EXPECT_EQ(LnkinfoField(result.output, "Drive type"), "Fixed (3)");
    }
}

TEST_F(ShellLinkTest, ChineseLinkNamesReachTheDisk) {
    std::wstring folder = FreshFolder(L"names");
    for (const wchar_t* name : {L"卸载.lnk", L"Orvanti文件数据恢复.lnk"}) {
        SCOPED_TRACE(wincompat::Utf8FromWide(name));
        SaveAndRead(folder + L"\\" + name, L"C:\\a.exe");
        EXPECT_TRUE(std::filesystem::is_regular_file(UnixPathOf(folder) + "/" + wincompat::Utf8FromWide(name)));
    }
}

}  // namespace
