// Extracting well-formed archives: the tree that `7z x` makes of the same
// archive, stored attributes, replaced files, progress.
#include "ExtractionFixture.h"

#include "support/TestPrefix.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <random>

namespace {

std::string Noise(size_t size, unsigned seed) {
    std::mt19937 generator(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(generator());
    return bytes;
}

// Nested folders, an empty file and folder, a read-only file, names outside
// ASCII and the BMP, and modification times with 100-ns digits.
std::string MakeProductTree() {
    const std::string tree = MakeTestFolder("tree");
    WriteFileAt(tree + "/Pellamor.exe", Noise(300000, 1));
    WriteFileAt(tree + "/lang/zh-CN/strings.ini", "[Strings]\nTitle=文件恢复\n");
    WriteFileAt(tree + "/lang/en-US/strings.ini", std::string(50000, 'e'));
    WriteFileAt(tree + "/data/tables/sig-0001.bin", Noise(70000, 2));
    WriteFileAt(tree + "/data/tables/deep/er/still/empty.txt", "");
    WriteFileAt(tree + "/help/帮助.html", "<html>帮助</html>");
    WriteFileAt(tree + "/help/\xF0\x9F\x93\x98.txt", "book");
    WriteFileAt(tree + "/readonly.txt", "keep me");
    Shell("mkdir -p '" + tree + "/plugins/none' && chmod 444 '" + tree + "/readonly.txt'");
    Shell("cd '" + tree + "' && touch -d '2019-05-06 07:08:09.1234567' Pellamor.exe lang/zh-CN/strings.ini && "
          "touch -d '1999-12-31 23:59:59' data/tables/sig-0001.bin help/*");
    return tree;
}

uint64_t TotalFileBytes(const std::string& tree) {
    uint64_t total = 0;
    for (const auto& item : std::filesystem::recursive_directory_iterator(tree))
        if (item.is_regular_file()) total += item.file_size();
    return total;
}

bool NonDecreasing(const std::vector<float>& values) { return std::is_sorted(values.begin(), values.end()); }

DWORD AttributesOf(const std::string& path) { return GetFileAttributesW(DosPath(path).c_str()); }

}  // namespace

TEST(ExtractionTree, MatchesTheSevenZipCommand) {
    const std::string tree = MakeProductTree();
    struct Case {
        const char* name;
        const char* switches;
    } cases[] = {
        {"solid", ""},
        {"non-solid, several threads", "-ms=off -mmt=4"},
        {"stored", "-m0=Copy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string work = MakeTestFolder("match");
        PackFolder(tree, work + "/a.7z", c.switches);
        UnpackWithSevenZip(work + "/a.7z", work + "/theirs");

        Extraction ours = Extract(work + "/a.7z", work + "/ours");
        EXPECT_EQ(ours.result, ExtractResult::Succeeded);
        EXPECT_EQ(TreeDifferences(work + "/theirs", work + "/ours"), std::vector<std::string>{});
        EXPECT_NE(ours.output.find("Archive total size[" + std::to_string(TotalFileBytes(tree)) + "]\n"),
                  std::string::npos)
            << ours.output;
        EXPECT_EQ(ours.output.find("Error"), std::string::npos) << ours.output;
        ASSERT_FALSE(ours.percents.empty());
        EXPECT_TRUE(NonDecreasing(ours.percents));
        EXPECT_EQ(ours.percents.back(), 100.0f);
    }
}

TEST(ExtractionTree, AppliesStoredDosAttributes) {
    // 7z on unix stores no hidden or system bits, so they are patched into the
    // header; each file has a mode of its own to find its attribute field.
    struct Case {
        const char* name;
        const char* mode;
        uint32_t stored;
        DWORD expected;  // READONLY, HIDDEN and SYSTEM as read back
    } cases[] = {
        {"hidden.txt", "640", 0x81A08022, FILE_ATTRIBUTE_HIDDEN},
        {"system.txt", "600", 0x81808024, FILE_ATTRIBUTE_SYSTEM},
        {"all.txt", "400", 0x81008027, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
        {"plain.txt", "604", 0x81848020, 0},
        {"dos-only.txt", "660", 0x00000021, FILE_ATTRIBUTE_READONLY},
    };
    const std::string tree = MakeTestFolder("attributes-tree");
    for (const Case& c : cases) {
        WriteFileAt(tree + "/" + c.name, c.name);
        Shell(std::string("chmod ") + c.mode + " '" + tree + "/" + c.name + "'");
    }
    const std::string work = MakeTestFolder("attributes");
    PackFolder(tree, work + "/a.7z", "-mhc=off");
    for (const Case& c : cases) {
        const uint32_t made = 0x8000u | (uint32_t(0100000 | std::stoul(c.mode, nullptr, 8)) << 16) |
                              FILE_ATTRIBUTE_ARCHIVE | ((std::stoul(c.mode, nullptr, 8) & 0200) ? 0 : 1);
        PatchHeaderField(work + "/a.7z", made, c.stored);
    }

    Extraction ours = Extract(work + "/a.7z", work + "/out");
    ASSERT_EQ(ours.result, ExtractResult::Succeeded) << ours.output;
    const DWORD dosBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    for (const Case& c : cases) {
        const DWORD attributes = AttributesOf(work + "/out/" + c.name);
        EXPECT_EQ(attributes & dosBits, c.expected) << c.name;
        EXPECT_EQ(attributes & ~(dosBits | FILE_ATTRIBUTE_ARCHIVE), 0u) << c.name << " shows stray bits";
        EXPECT_EQ(ReadFileAt(work + "/out/" + c.name), c.name);
    }
}

TEST(ExtractionTree, FoldersOnlyReportOneHundredAtTheEnd) {
    const std::string tree = MakeTestFolder("folders-tree");
    Shell("mkdir -p '" + tree + "/a/b/c' '" + tree + "/d' && touch '" + tree + "/a/b/empty'");
    const std::string work = MakeTestFolder("folders");
    PackFolder(tree, work + "/a.7z");

    Extraction ours = Extract(work + "/a.7z", work + "/out");
    EXPECT_EQ(ours.result, ExtractResult::Succeeded);
    EXPECT_NE(ours.output.find("Archive total size[0]"), std::string::npos) << ours.output;
    EXPECT_EQ(ours.percents, std::vector<float>{100.0f});
    EXPECT_TRUE(ExistsAt(work + "/out/a/b/c"));
    EXPECT_TRUE(ExistsAt(work + "/out/d"));
    EXPECT_EQ(ReadFileAt(work + "/out/a/b/empty"), "");
}

TEST(ExtractionTree, ReplacesReadOnlyFilesInTheWay) {
    const std::string tree = MakeTestFolder("replace-tree");
    WriteFileAt(tree + "/sub/Tellurin.dll", "new library");
    WriteFileAt(tree + "/Quistral.exe", "new program");
    Shell("chmod 444 '" + tree + "/Quistral.exe'");
    const std::string work = MakeTestFolder("replace");
    PackFolder(tree, work + "/a.7z");
    // Older, longer files in the way: read-only, one hidden as well.
    const std::string out = work + "/out";
    WriteFileAt(out + "/sub/Tellurin.dll", std::string(5000, 'o'));
    WriteFileAt(out + "/Quistral.exe", std::string(5000, 'o'));
    SetFileAttributesW(DosPath(out + "/sub/Tellurin.dll").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(DosPath(out + "/Quistral.exe").c_str(), FILE_ATTRIBUTE_READONLY);

    Extraction ours = Extract(work + "/a.7z", out);
    ASSERT_EQ(ours.result, ExtractResult::Succeeded) << ours.output;
    EXPECT_EQ(ReadFileAt(out + "/sub/Tellurin.dll"), "new library");
    EXPECT_EQ(ReadFileAt(out + "/Quistral.exe"), "new program");
    // The stored attributes, not the old ones.
    EXPECT_EQ(AttributesOf(out + "/sub/Tellurin.dll") & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u);
    EXPECT_EQ(AttributesOf(out + "/Quistral.exe") & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
}

TEST(ExtractionTree, NamelessItemBecomesContent) {
    const std::string work = MakeTestFolder("nameless");
    Shell("cd '" + work + "' && printf 'from standard input' | 7z a -t7z -bd -bso0 -bsp0 -si a.7z");
    Extraction ours = Extract(work + "/a.7z", work + "/out");
    ASSERT_EQ(ours.result, ExtractResult::Succeeded) << ours.output;
    EXPECT_EQ(ReadFileAt(work + "/out/[Content]"), "from standard input");
}

TEST(ExtractionTree, CreatesAMissingOutputFolderChain) {
    const std::string tree = MakeTestFolder("chain-tree");
    WriteFileAt(tree + "/x/y.txt", "y");
    const std::string work = MakeTestFolder("chain");
    PackFolder(tree, work + "/a.7z");
    // No trailing separator: one is added.
    Extraction ours = Extract(work + "/a.7z", work + "/not/yet/there");
    ASSERT_EQ(ours.result, ExtractResult::Succeeded) << ours.output;
    EXPECT_EQ(ReadFileAt(work + "/not/yet/there/x/y.txt"), "y");
}
