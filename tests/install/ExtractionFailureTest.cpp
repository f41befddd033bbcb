// Archives and install folders that the extraction must refuse, and how it
// reports them.
#include "ExtractionFixture.h"

#include "install/SevenZipItemPath.h"
#include "support/TestPrefix.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

std::string SmallArchive(const std::string& work, const std::string& switches = "") {
    const std::string tree = work + "/tree";
    WriteFileAt(tree + "/Pellamor.exe", std::string(20000, 'p') + "unique-marker" + std::string(20000, 'q'));
    WriteFileAt(tree + "/lang/en-US.ini", "[Strings]\n");
    PackFolder(tree, work + "/a.7z", switches);
    return work + "/a.7z";
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(ExtractionFailure, MissingArgumentsAndUnreadableArchives) {
    const std::string work = MakeTestFolder("arguments");
    const std::string archive = SmallArchive(work);
    WriteFileAt(work + "/text.7z", "this is no archive at all");
    EXPECT_EQ(ExtractArchive(L"", DosPath(work + "/out"), nullptr, nullptr), ExtractResult::NoArchivePath);
    EXPECT_EQ(ExtractArchive(DosPath(archive), L"", nullptr, nullptr), ExtractResult::NoOutputFolder);
    EXPECT_EQ(Extract(work + "/missing.7z", work + "/out").result, ExtractResult::CannotOpenArchive);
    EXPECT_EQ(Extract(work + "/text.7z", work + "/out").result, ExtractResult::OpenFailed);
    EXPECT_FALSE(ExistsAt(work + "/out"));
}

TEST(ExtractionFailure, DamagedHeadersFailToOpen) {
    struct Case {
        const char* name;
        void (*damage)(std::string& bytes);
    } cases[] = {
        {"truncated", [](std::string& bytes) { bytes.resize(bytes.size() / 2); }},
        {"header overwritten", [](std::string& bytes) { bytes.replace(bytes.size() - 40, 40, 40, '\x5A'); }},
        {"start header overwritten", [](std::string& bytes) { bytes.replace(12, 20, 20, '\x01'); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string work = MakeTestFolder("damaged");
        const std::string archive = SmallArchive(work);
        std::string bytes = ReadFileAt(archive);
        c.damage(bytes);
        WriteFileAt(archive, bytes);
        EXPECT_EQ(Extract(archive, work + "/out").result, ExtractResult::OpenFailed);
    }
}

TEST(ExtractionFailure, CrcErrorIsWrittenAndReportedButDoesNotFail) {
    const std::string work = MakeTestFolder("crc");
    const std::string archive = SmallArchive(work, "-m0=Copy");
    std::string bytes = ReadFileAt(archive);
    const size_t marker = bytes.find("unique-marker");
    ASSERT_NE(marker, std::string::npos);
    bytes[marker] = 'U';
    WriteFileAt(archive, bytes);

    Extraction ours = Extract(archive, work + "/out");
    EXPECT_EQ(ours.result, ExtractResult::Succeeded);
    EXPECT_TRUE(Contains(ours.output, "  :  Error : CRC Failed")) << ours.output;
    EXPECT_TRUE(Contains(ReadFileAt(work + "/out/Pellamor.exe"), "Unique-marker"));
    EXPECT_EQ(ReadFileAt(work + "/out/lang/en-US.ini"), "[Strings]\n");
}

TEST(ExtractionFailure, EncipheredArchivesNeverSucceed) {
    struct Case {
        const char* switches;
        ExtractResult expected;
    } cases[] = {
        {"-pSecret -mhe=on", ExtractResult::OpenFailed},
        {"-pSecret", ExtractResult::ExtractFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.switches);
        const std::string work = MakeTestFolder("enciphered");
        Extraction ours = Extract(SmallArchive(work, c.switches), work + "/out");
        EXPECT_EQ(ours.result, c.expected);
        EXPECT_TRUE(Contains(ours.output, "\nPassword is not defined\n")) << ours.output;
        EXPECT_FALSE(ExistsAt(work + "/out/Pellamor.exe") && ReadFileAt(work + "/out/Pellamor.exe").size() > 0);
    }
}

TEST(ExtractionFailure, FolderWhereAFileMustGoStopsTheExtraction) {
    const std::string work = MakeTestFolder("folder-in-way");
    const std::string archive = SmallArchive(work);
    Shell("mkdir -p '" + work + "/out/Pellamor.exe/inside'");

    Extraction ours = Extract(archive, work + "/out");
    EXPECT_EQ(ours.result, ExtractResult::ExtractFailed);
    EXPECT_TRUE(Contains(ours.output, "Error: Can not delete output file\nZ:" + std::string(1, '\\')))
        << ours.output;
    EXPECT_TRUE(Contains(ours.output, "\\out\\Pellamor.exe\n")) << ours.output;
    EXPECT_TRUE(ExistsAt(work + "/out/Pellamor.exe/inside"));
}

TEST(ExtractionFailure, ItemsLeavingTheOutputFolderAreNeverWritten) {
    // 7z stores names given on its command line with -spf as they are.
    struct Case {
        const char* name;
        std::string stored;  // relative to the work folder's "pack" folder
        std::string escape;  // where the item would land, relative to the work folder
    } cases[] = {
        {"absolute", "@/escaped-absolute.txt", "escaped-absolute.txt"},
        {"climbing", "../escaped-up.txt", "escaped-up.txt"},
        {"climbing from a folder", "sub/../../escaped-deep.txt", "escaped-deep.txt"},
        {"drive", "C:escaped-drive.txt", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string work = MakeTestFolder("escape");
        const std::string pack = work + "/pack";
        std::string stored = c.stored;
        if (stored[0] == '@') stored = work + stored.substr(1);
        Shell("mkdir -p '" + pack + "/sub' && cd '" + pack + "' && echo inside > first.txt && echo outside > '" +
              stored + "' && 7z a -t7z -bd -bso0 -bsp0 -spf ../a.7z first.txt '" + stored + "' && rm '" + stored + "'");
        Extraction ours = Extract(work + "/a.7z", pack);
        EXPECT_EQ(ours.result, ExtractResult::ExtractFailed);
        EXPECT_TRUE(Contains(ours.output, "Error: Item path leaves the output folder\n")) << ours.output;
        if (!c.escape.empty()) {
            EXPECT_FALSE(ExistsAt(work + "/" + c.escape));
        }
        EXPECT_FALSE(ExistsAt(TestPrefixRoot() + "/drive_c/escaped-drive.txt"));
        EXPECT_FALSE(ExistsAt(pack + "/" + c.stored));
    }
}

TEST(ExtractionFailure, SymbolicLinksBecomePlainFilesOfTheirText) {
    const std::string work = MakeTestFolder("links");
    const std::string tree = work + "/tree";
    WriteFileAt(tree + "/real.txt", "real");
    Shell("cd '" + tree + "' && ln -s /etc/hostname absolute-link && ln -s ../../outside up-link && ln -s real.txt near");
    PackFolder(tree, work + "/a.7z", "-snl");

    Extraction ours = Extract(work + "/a.7z", work + "/out");
    ASSERT_EQ(ours.result, ExtractResult::Succeeded) << ours.output;
    struct Case {
        const char* name;
        const char* text;
    } cases[] = {{"absolute-link", "/etc/hostname"}, {"up-link", "../../outside"}, {"near", "real.txt"}};
    for (const Case& c : cases) {
        struct stat info;
        ASSERT_EQ(lstat((work + "/out/" + c.name).c_str(), &info), 0) << c.name;
        EXPECT_TRUE(S_ISREG(info.st_mode)) << c.name;
        EXPECT_EQ(ReadFileAt(work + "/out/" + c.name), c.text);
    }
}

TEST(ExtractionItemPath, OnlyPathsInsideTheFolderAreContained) {
    struct Case {
        const wchar_t* path;
        bool contained;
    } cases[] = {
        {L"a.txt", true},           {L"a/b\\c.txt", true},     {L"a/./b.txt", true},   {L"..a/b..", true},
        {L"a...b", true},           {L"", false},              {L"/etc/passwd", false}, {L"\\x", false},
        {L"\\\\server\\s", false},  {L"..", false},            {L"a/../b", false},     {L"a\\..\\..\\b", false},
        {L"a/.../b", false},        {L"a/.. /b", false},       {L"a/ ../b", false},    {L"C:x", false},
        {L"c:\\x", false},          {L"a:stream", false},      {L"dir/..", false},
    };
    for (const Case& c : cases) EXPECT_EQ(sevenzip::IsContainedItemPath(c.path), c.contained) << c.path;
}
