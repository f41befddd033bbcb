// FindResourceW and its siblings inside a program built with the installer's
// resources: names found without regard to case, and the errors Windows
// gives for a missing type or name.
#include "ToolHarness.h"

#include <stdio.h>

#include <gtest/gtest.h>

namespace {

TEST(ImageResources, LookupAnswersAsWindowsDoes) {
    const std::string payload = ReadFileBytes(PAYLOAD_FILE);
    ASSERT_FALSE(payload.empty());
    const struct {
        std::vector<std::string> arguments;
        std::string output;
    } cases[] = {
        {{"ZIPRES", "IDR_STEP7ZRES"}, payload},
        {{"zipres", "Idr_Step7zRes"}, payload},
        {{"ZIPRES", "IDR_STEP7ZRES", "null"}, payload},
        {{"ZIPRES", "IDR_MISSING"}, "error 1814\n"},
        {{"NOTYPE", "IDR_STEP7ZRES"}, "error 1813\n"},
        {{"ZIPRES", "id:7"}, "error 1814\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments[0] + "/" + c.arguments[1]);
        std::vector<std::string> argv = {PROBE_PROGRAM, "resource"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        EXPECT_EQ(RunProcess(argv).output, c.output);
    }
}

// The payload is copied out once and released: its pages leave memory, so
// they are not held twice, and the data reads the same afterwards.
TEST(ImageResources, FreedResourceLeavesMemoryAndReadsTheSame) {
    const std::string payload = ReadFileBytes(PAYLOAD_FILE);
    ASSERT_GT(payload.size(), 1024u * 1024u);
    ProcessResult result = RunProcess({PROBE_PROGRAM, "release", "ZIPRES", "IDR_STEP7ZRES"});
    long before = -1, after = -1;
    char bytes[16] = {}, answer[16] = {};
    ASSERT_EQ(sscanf(result.output.c_str(), "resident %ld %ld %15s %15s", &before, &after, bytes, answer), 4)
        << result.output;
    EXPECT_GE(before, static_cast<long>(payload.size()));
    EXPECT_LT(after, 64 * 1024) << "resident after FreeResource";
    EXPECT_STREQ(bytes, "same");
    EXPECT_STREQ(answer, "FALSE");
}

}  // namespace
