// stamp-channel on copies of the built programs: what it refuses, and that a
// stamp is what the stamped program then reads from its image.
#include "ToolHarness.h"

#include "support/TestPrefix.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

const std::string kApplicationMarker = "ApplicationBeigin:{88073EE4-DAA9-4810-A6E8-7AB80F768ADA}:ApplicationEnd";
const std::string kIdentifierMarker = "identifierBegin:{B6296EE0-72D9-4369-9ADC-CEC4161BE6FD}:identifierEnd";
const std::string kChannelMarker = "qstart:xvrnkolpaz##:qend";

ProcessResult Stamp(const std::string& file, const std::string& value) {
    return RunProcess({BuiltProgram("stamp-channel"), file, value});
}

std::string ProbeCopy() { return CopyToTestFolder(PROBE_PROGRAM, "stamp"); }

size_t Count(const std::string& haystack, const std::string& needle) {
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++count;
    return count;
}

TEST(StampChannel, RefusesValuesThatCannotBeAStamp) {
    const struct {
        std::string value;
        std::string reason;
    } cases[] = {
        {"ABCDEFGHIJKLM", "13 characters"},
        {"", "empty"},
        {"chan:01", "':'"},
        {"chan#01", "'#'"},
        {"tab\there", "printable"},
        {"caf\xc3\xa9", "printable"},
        {"line\nbreak", "printable"},
        {"a|b", "'|'"},
        {"|", "'|'"},
    };
    const std::string file = ProbeCopy();
    const std::string before = ReadFileBytes(file);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        ProcessResult result = Stamp(file, c.value);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.errors.find(c.reason), std::string::npos) << result.errors;
    }
    EXPECT_EQ(ReadFileBytes(file), before);
}

TEST(StampChannel, RefusesFilesWithoutExactlyOneMarker) {
    const std::string folder = MakeTestFolder("stamp-refused");
    WriteFileBytes(folder + "/notes.txt", kChannelMarker + '\0');
    const struct {
        std::string file;
        std::string reason;
    } cases[] = {
        {CopyToTestFolder(BuiltProgram("set-resource"), "stamp-none"), "no channel marker"},
        {CopyToTestFolder(TWO_MARKERS_PROGRAM, "stamp-two"), "2 channel markers"},
        {folder + "/notes.txt", "not an ELF file"},
        {folder + "/missing.exe", "cannot open"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string before = ReadFileBytes(c.file);
        ProcessResult result = Stamp(c.file, "chan01");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.errors.find(c.reason), std::string::npos) << result.errors;
        EXPECT_EQ(ReadFileBytes(c.file), before);
    }
}

TEST(StampChannel, StampedProgramReadsItsStamp) {
    const struct {
        std::vector<std::string> values;  // stamped one after the other
        std::string marker;
    } cases[] = {
        {{"abc123"}, "qstart:abc123######:qend"},
        {{"ABCDEFGHIJKL"}, "qstart:ABCDEFGHIJKL:qend"},
        {{"ABCDEFGHIJKL", "x"}, "qstart:x###########:qend"},
        {{"first", "second", "xvrnkolpaz"}, kChannelMarker},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.marker);
        const std::string file = ProbeCopy();
        for (const auto& value : c.values) ASSERT_EQ(Stamp(file, value).exitCode, 0) << value;
        const std::string placeholder = c.marker.find("xvrnkolpaz") != std::string::npos ? "present" : "gone";
        EXPECT_EQ(RunProcess({file, "markers"}).output, kApplicationMarker + "\n" + kIdentifierMarker + "\n" +
                                                          c.marker + "\nvalue " + c.marker[7] + ", placeholder " +
                                                          placeholder + "\n");
    }
}

TEST(StampChannel, ChangesOnlyTheMarkerOfTheInstaller) {
    const std::string file = CopyToTestFolder(BuiltProgram("velmora-setup"), "stamp-installer");
    const std::string before = ReadFileBytes(file);
    ASSERT_EQ(Stamp(file, "chan01").exitCode, 0);

    const std::string after = ReadFileBytes(file);
    ASSERT_EQ(after.size(), before.size());
    const size_t at = before.find(kChannelMarker);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(after.substr(at, kChannelMarker.size() + 1), std::string("qstart:chan01######:qend") + '\0');
    EXPECT_EQ(after.substr(0, at), before.substr(0, at));
    EXPECT_EQ(after.substr(at + kChannelMarker.size()), before.substr(at + kChannelMarker.size()));
    struct stat info;
    ASSERT_EQ(stat(file.c_str(), &info), 0);
    EXPECT_TRUE(info.st_mode & S_IXUSR);
}

// A resource may hold the marker's bytes too; only .rodata is the marker.
TEST(StampChannel, LeavesMarkerTextInResourcesAlone) {
    const std::string file = ProbeCopy();
    const std::string data = MakeTestFolder("stamp-resource") + "/marker.bin";
    WriteFileBytes(data, kChannelMarker + '\0');
    ASSERT_EQ(RunProcess({BuiltProgram("set-resource"), file, "TEXT", "MARKER", data}).exitCode, 0);

    ASSERT_EQ(Stamp(file, "chan02").exitCode, 0);
    EXPECT_EQ(RunProcess({file, "resource", "TEXT", "MARKER"}).output, kChannelMarker + '\0');
    EXPECT_EQ(Count(RunProcess({file, "markers"}).output, "qstart:chan02######:qend"), 1u);
}

}  // namespace
