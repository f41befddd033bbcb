// The hive text format: what is written, and that it reads back unchanged.
#include "prefix/RegistryFormat.h"
#include "prefix/RegistryText.h"

#include <gtest/gtest.h>

#include <random>

using namespace wincompat;

namespace {

std::vector<BYTE> Text(const std::u16string& text) { return BytesFromUtf16(text); }

RegistryKey OneValueHive(const std::wstring& name, DWORD type, std::vector<BYTE> data) {
    RegistryKey root;
    RegistryKey& key = root.AddSubkey(L"Software").AddSubkey(L"Test");
    key.lastWrite = 0x1dd888ab69665e2ULL;
    key.SetValue(name, type, std::move(data));
    return root;
}

std::string Parse(std::string_view text, RegistryKey& root) {
    ParseReport report;
    root = ParseHive(text, report);
    return report.firstProblem;
}

}  // namespace

TEST(RegistryFormat, WritesEachValueAsWineDoesAndReadsItBack) {
    struct Case {
        const wchar_t* name;
        DWORD type;
        std::vector<BYTE> data;
        const char* line;
    } cases[] = {
        {L"Plain", 1, Text(u"C:\\Program Files (x86)\\Velmora\\" + std::u16string(1, 0)),
         "\"Plain\"=\"C:\\\\Program Files (x86)\\\\Velmora\\\\\""},
        {L"", 1, Text(u"say \"hi\"" + std::u16string(1, 0)), "@=\"say \\\"hi\\\"\""},
        {L"Chinese", 1, Text(u"Orvanti文件数据恢复" + std::u16string(1, 0)),
         "\"Chinese\"=\"Orvanti\\x6587\\x4ef6\\x6570\\x636e\\x6062\\x590d\""},
        {L"HexNext", 1, Text(u"\u00e9a\u00e9z" + std::u16string(1, 0)), "\"HexNext\"=\"\\x00e9a\\xe9z\""},
        {L"Emoji", 1, Text(u"\U0001F600" + std::u16string(1, 0)), "\"Emoji\"=\"\\xd83d\\xde00\""},
        {L"Controls", 1, Text(u"a\nb\tc\x01" u"7\x02" + std::u16string(1, 0)),
         "\"Controls\"=\"a\\nb\\tc\\0017\\2\""},
        {L"Empty", 1, Text(std::u16string(1, 0)), "\"Empty\"=\"\""},
        {L"NoData", 1, {}, "\"NoData\"=hex(1):"},
        {L"Unterminated", 1, Text(u"ab"), "\"Unterminated\"=hex(1):61,00,62,00"},
        {L"Expand", 2, Text(u"%ProgramFiles%" + std::u16string(1, 0)), "\"Expand\"=str(2):\"%ProgramFiles%\""},
        {L"Multi", 7, Text(u"a" + std::u16string(1, 0) + u"b" + std::u16string(2, 0)),
         "\"Multi\"=str(7):\"a\\0b\\0\""},
        {L"Number", 4, {0x2a, 0, 0, 0}, "\"Number\"=dword:0000002a"},
        {L"Short", 4, {0x2a}, "\"Short\"=hex(4):2a"},
        {L"Quad", 11, {1, 2, 3, 4, 5, 6, 7, 8}, "\"Quad\"=hex(b):01,02,03,04,05,06,07,08"},
        {L"Bytes", 3, {0xde, 0xad}, "\"Bytes\"=hex:de,ad"},
        {L"名字", 3, {}, "\"\\x540d\\x5b57\"=hex:"},
    };
    for (const Case& c : cases) {
        std::string text = FormatHive(OneValueHive(c.name, c.type, c.data), Hive::LocalMachine);
        EXPECT_NE(text.find(std::string("\n") + c.line + "\n"), std::string::npos) << c.line << "\n" << text;
        RegistryKey root;
        EXPECT_EQ(Parse(text, root), "") << c.line;
        const RegistryKey* key = root.FindSubkey(L"Software") ? root.FindSubkey(L"Software")->FindSubkey(L"Test") : nullptr;
        ASSERT_NE(key, nullptr) << c.line;
        const RegistryValue* value = key->FindValue(c.name);
        ASSERT_NE(value, nullptr) << c.line;
        EXPECT_EQ(value->type, c.type) << c.line;
        EXPECT_EQ(value->data, c.data) << c.line;
    }
}

TEST(RegistryFormat, WritesHeaderKeysInSortedOrderAndOnlyKeysWineWrites) {
    RegistryKey root;
    RegistryKey& software = root.AddSubkey(L"Software");
    software.AddSubkey(L"beta").SetValue(L"v", 4, {1, 0, 0, 0});
    software.AddSubkey(L"Alpha").AddSubkey(L"Leaf").lastWrite = 0x1dd888ab69665e2ULL;
    software.AddSubkey(L"Wow6432Node").AddSubkey(L"[Odd]");
    std::string text = FormatHive(root, Hive::CurrentUser);
    EXPECT_EQ(text.rfind("WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"
                         "\n#arch=win64\n\n[",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("\n[Software\\\\Alpha\\\\Leaf] 1796895724\n#time=1dd888ab69665e2\n"), std::string::npos);
    size_t alpha = text.find("[Software\\\\Alpha\\\\Leaf]");
    size_t beta = text.find("[Software\\\\beta]");
    size_t odd = text.find("[Software\\\\Wow6432Node\\\\\\[Odd\\]]");
    EXPECT_TRUE(alpha < beta && beta < odd) << text;
    EXPECT_EQ(text.find("[Software]"), std::string::npos);  // only subkeys, no values
    EXPECT_EQ(text.find("[Software\\\\Alpha]"), std::string::npos);
    EXPECT_TRUE(FormatHive(root, Hive::LocalMachine).starts_with(
        "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n"));
}

TEST(RegistryFormat, ReadsWhatWineWrites) {
    const char* text =
        "WINE REGISTRY Version 2\r\n"
        ";; All keys relative to \\\\Machine\r\n\r\n#arch=win64\r\n\r\n"
        "[Software\\\\Classes\\\\.txt] 1700000000\r\n"
        "#time=1d9fb2a3c4d5e6f\r\n"
        "#class=\"txtfile class\"\r\n"
        "@=\"txtfile\"\r\n"
        "\"Raw\"=\"Orvanti文件\"\r\n"
        "\"Long\"=hex:00,01,02,\\\r\n  03,04\r\n"
        "\"Upper\"=dword:DEADBEEF\r\n"
        "\n[System\\\\Select] 1700000000\n"
        "#link\n"
        "#security=01000480\n"
        "\"Current\"=dword:00000001\n";
    RegistryKey root;
    EXPECT_EQ(Parse(text, root), "");
    const RegistryKey* txt = root.FindSubkey(L"SOFTWARE")->FindSubkey(L"classes")->FindSubkey(L".TXT");
    ASSERT_NE(txt, nullptr);
    EXPECT_EQ(txt->lastWrite, 0x1d9fb2a3c4d5e6fULL);
    EXPECT_EQ(txt->className, L"txtfile class");
    EXPECT_EQ(txt->FindValue(L"raw")->data, Text(u"Orvanti文件" + std::u16string(1, 0)));
    EXPECT_EQ(txt->FindValue(L"Long")->data, (std::vector<BYTE>{0, 1, 2, 3, 4}));
    EXPECT_EQ(txt->FindValue(L"Upper")->data, (std::vector<BYTE>{0xef, 0xbe, 0xad, 0xde}));
    EXPECT_EQ(txt->FindValue(L"")->data, Text(u"txtfile" + std::u16string(1, 0)));
    const RegistryKey* select = root.FindSubkey(L"System")->FindSubkey(L"Select");
    EXPECT_TRUE(select->isLink);
    EXPECT_EQ(select->security, (std::vector<BYTE>{1, 0, 4, 0x80}));
    std::string again = FormatHive(root, Hive::LocalMachine);
    EXPECT_NE(again.find("#class=\"txtfile class\"\n"), std::string::npos);
    EXPECT_NE(again.find("#link\n#security=01000480\n"), std::string::npos);
}

TEST(RegistryFormat, KeepsWhatCanBeReadFromDamagedText) {
    const std::string good = "WINE REGISTRY Version 2\n\n[Software\\\\First]\n\"a\"=\"1\"\n";
    const std::string tail = "\n[Software\\\\Last]\n\"z\"=\"9\"\n";
    struct Case {
        const char* what;
        std::string junk;
    } cases[] = {
        {"binary junk", std::string("\x00\xff\xfe\x01garbage\x80\n\x7f\x00zz", 16)},
        {"a cut value", "\"half\"=\"no end\n"},
        {"a cut key line", "[Software\\\\Broken\n\"orphan\"=\"x\"\n"},
        {"a bad escape", "[Software\\\\Esc]\n\"e\"=\"bad \\x\"\n"},
        {"cut hex", "[Software\\\\Hex]\n\"h\"=hex:01,zz\n"},
        {"not UTF-8", "[Software\\\\Gbk]\n\"g\"=\"\xd6\xd0\xce\xc4\"\n"},
    };
    for (const Case& c : cases) {
        RegistryKey root;
        EXPECT_NE(Parse(good + c.junk + tail, root), "") << c.what;
        const RegistryKey* software = root.FindSubkey(L"Software");
        ASSERT_NE(software, nullptr) << c.what;
        ASSERT_NE(software->FindSubkey(L"First"), nullptr) << c.what;
        ASSERT_NE(software->FindSubkey(L"Last"), nullptr) << c.what;
        EXPECT_NE(software->FindSubkey(L"Last")->FindValue(L"z"), nullptr) << c.what;
    }
    // A cut file ends in the middle of a continued hex value.
    RegistryKey root;
    EXPECT_NE(Parse(good + "\"h\"=hex:01,02,\\", root), "");
    EXPECT_NE(root.FindSubkey(L"Software")->FindSubkey(L"First")->FindValue(L"a"), nullptr);
}

TEST(RegistryFormat, SurvivesRandomBytes) {
    std::mt19937 random(2016);
    const std::string alphabet = "[]\\\"@=#:,x0(7)hexstrdword \n\r\xe4\xb8\xad\x01";
    for (int round = 0; round < 2000; ++round) {
        std::string text = "WINE REGISTRY Version 2\n[a]\n";
        for (int i = 0; i < 60; ++i) {
            int pick = random() % (alphabet.size() + 8);
            text += pick < static_cast<int>(alphabet.size()) ? alphabet[pick] : static_cast<char>(random());
        }
        RegistryKey root;
        Parse(text, root);
        FormatHive(root, Hive::LocalMachine);
    }
}

// Where damage stops being lines to skip and the text is no hive at all.
TEST(RegistryFormat, TextThatIsNoHiveGivesNoKeys) {
    const std::string header = "WINE REGISTRY Version 2\n";
    const std::string good = "[Software\\\\A]\n\"a\"=\"1\"\n[Software\\\\B]\n\"b\"=\"2\"\n";
    std::mt19937 random(11);
    std::string randomBytes(4096, '\0');
    for (char& c : randomBytes) c = static_cast<char>(random());
    struct Case {
        const char* what;
        std::string text;
        bool hive;           // read as a hive, keeping its readable keys
        size_t softwareKeys;
    } cases[] = {
        {"no text", "", false, 0},
        {"a header only", header, true, 0},
        {"no header", good, false, 0},
        {"random bytes after the header", header + randomBytes, false, 0},
        {"key lines holding control characters", header + "[Software\\\\C\x01]\n[Software\\\\D\x7f\x02]\n", false, 0},
        {"a zeroed block inside a good hive", header + good + std::string(512, '\0') + "\n" + good, true, 2},
        {"a control character in one key line", header + good + "[Software\\\\E\x03]\n\"e\"=\"5\"\n", true, 2},
        {"as many bad lines as good ones", header + good + "junk\njunk\njunk\njunk\n", true, 2},
        {"more bad lines than good ones", header + good + "junk\njunk\njunk\njunk\njunk\n", false, 0},
    };
    for (const Case& c : cases) {
        ParseReport report;
        RegistryKey root = ParseHive(c.text, report);
        EXPECT_EQ(!report.Unusable(), c.hive) << c.what;
        const RegistryKey* software = root.FindSubkey(L"Software");
        EXPECT_EQ(software ? software->subkeys.size() : 0u, c.softwareKeys) << c.what;
    }
}

// A file cut inside its last line keeps everything before that line, but not
// the line: a cut dword would otherwise read as a smaller number.
TEST(RegistryFormat, LastLineWithoutItsNewlineIsCutOff) {
    RegistryKey root;
    EXPECT_EQ(Parse("WINE REGISTRY Version 2\n[Software\\\\A]\n\"a\"=\"1\"\n\"d\"=dword:0000", root),
              "the file ends inside a line");
    const RegistryKey* key = root.FindSubkey(L"Software")->FindSubkey(L"A");
    EXPECT_NE(key->FindValue(L"a"), nullptr);
    EXPECT_EQ(key->FindValue(L"d"), nullptr);
}
