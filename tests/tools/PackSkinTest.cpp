// pack-skin as a maker runs it: the archive it writes deciphers with the
// installer's DecryptResource into a zip holding the folder's files, the same
// bytes for the same files, and bad input leaves the output alone.
#include "ToolHarness.h"
#include "UnpackedSkin.h"

#include "support/TestPrefix.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <time.h>
#include <utime.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace {

ProcessResult PackSkin(const std::string& folder, const std::string& output) {
    return RunProcess({BuiltProgram("pack-skin"), folder, output});
}

// Text, binary bytes of every value, an empty file, a Chinese name and
// nested folders.
const std::map<std::string, std::string>& SampleFiles() {
    static const std::map<std::string, std::string> files = [] {
        std::string binary;
        for (int i = 0; i < 100000; ++i) binary.push_back(static_cast<char>((i * 7919 + i / 256) & 0xFF));
        return std::map<std::string, std::string>{
            {"DlgMain.xml", "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Window size=\"600,400\"/>\n"},
            {"art/deep/logo@2x.png", binary},
            {"empty.txt", ""},
            {"欢迎.xml", "<Label text=\"立即安装\"/>"},
        };
    }();
    return files;
}

// Writes the files in the order given, so that two folders can hold the same
// files created differently.
std::string MakeSkinFolder(const std::string& name, const std::vector<std::string>& order) {
    const std::string folder = MakeTestFolder(name);
    for (const std::string& file : order) {
        fs::create_directories(fs::path(folder + "/" + file).parent_path());
        WriteFileBytes(folder + "/" + file, SampleFiles().at(file));
    }
    return folder;
}

std::vector<std::string> SampleNames() {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : SampleFiles()) names.push_back(name);
    return names;
}

TEST(PackSkin, InstallerDeciphersTheFolderAsAZip) {
    const std::string folder = MakeSkinFolder("pack-sample", SampleNames());
    const std::string outputFolder = MakeTestFolder("pack-output");
    const std::string output = outputFolder + "/skin.zres";
    WriteFileBytes(output, "an earlier archive");

    ProcessResult result = PackSkin(folder, output);
    ASSERT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(std::distance(fs::directory_iterator(outputFolder), fs::directory_iterator()), 1)
        << "the temporary file stays behind";

    std::vector<SkinEntry> entries;
    std::string error;
    ASSERT_TRUE(UnpackSkin(ReadFileBytes(output), entries, error)) << error;
    std::vector<std::string> names;
    for (const SkinEntry& entry : entries) {
        SCOPED_TRACE(entry.name);
        names.push_back(entry.name);
        EXPECT_EQ(entry.bytes, SampleFiles().at(entry.name));
        if (!entry.bytes.empty()) {
            EXPECT_EQ(entry.compression, ZIP_CM_DEFLATE);
        }
        EXPECT_EQ(entry.modified, entries.front().modified);
    }
    EXPECT_EQ(names, SampleNames()) << "every file once, sorted by name";
    ASSERT_FALSE(entries.empty());
    EXPECT_LT(entries.front().modified, time(nullptr) - 86400) << "the time of packing, not a fixed stamp";
}

TEST(PackSkin, SameFilesGiveTheSameBytes) {
    std::vector<std::string> reversed = SampleNames();
    std::reverse(reversed.begin(), reversed.end());
    const std::string first = MakeSkinFolder("pack-first", SampleNames());
    const std::string second = MakeSkinFolder("pack-second", reversed);
    // Another modification time, as a fresh checkout or rebuild gives.
    const std::string touched = second + "/empty.txt";
    struct utimbuf times = {time(nullptr) - 86400 * 400, time(nullptr) - 86400 * 400};
    ASSERT_EQ(utime(touched.c_str(), &times), 0);

    const std::string outputs = MakeTestFolder("pack-twice");
    ASSERT_EQ(PackSkin(first, outputs + "/first.zres").exitCode, 0);
    ASSERT_EQ(PackSkin(second, outputs + "/second.zres").exitCode, 0);
    const std::string bytes = ReadFileBytes(outputs + "/first.zres");
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(bytes, ReadFileBytes(outputs + "/second.zres"));
}

TEST(PackSkin, RefusesBadInputAndKeepsTheOutput) {
    const std::string skin = MakeSkinFolder("pack-good", {"DlgMain.xml"});
    const std::string empty = MakeTestFolder("pack-empty");
    fs::create_directories(empty + "/art/nothing");
    const std::string outputFolder = MakeTestFolder("pack-refused");
    const std::string output = outputFolder + "/skin.zres";
    WriteFileBytes(output, "the archive of the last build");
    fs::create_directories(outputFolder + "/folder.zres");
    const struct {
        std::vector<std::string> arguments;
        std::string reason;
    } cases[] = {
        {{skin}, "usage"},
        {{skin, output, "extra"}, "usage"},
        {{outputFolder + "/missing", output}, "not a folder"},
        {{skin + "/DlgMain.xml", output}, "not a folder"},
        {{empty, output}, "holds no files"},
        {{skin, outputFolder + "/missing/skin.zres"}, "cannot write"},
        {{skin, outputFolder + "/folder.zres"}, "cannot write"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason + ": " + c.arguments.back());
        std::vector<std::string> argv = {BuiltProgram("pack-skin")};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        ProcessResult result = RunProcess(argv);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_NE(result.errors.find(c.reason), std::string::npos) << result.errors;
    }
    EXPECT_EQ(ReadFileBytes(output), "the archive of the last build");
    EXPECT_EQ(std::distance(fs::directory_iterator(outputFolder), fs::directory_iterator()), 2)
        << "a temporary file stays behind";
}

}  // namespace
