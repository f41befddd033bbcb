// FindResourceW and its siblings inside a program built with the installer's
// resources: names found without regard to case, and the errors Windows
// gives for a missing type or name.
#include "ToolHarness.h"

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

}  // namespace
