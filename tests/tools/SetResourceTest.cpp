// set-resource on copies of the probe program: what it refuses, and that the
// program then finds the new data with FindResourceW, without relinking.
#include "ToolHarness.h"

#include "support/TestPrefix.h"

#include <gtest/gtest.h>

namespace {

ProcessResult SetResource(const std::string& file, const std::string& type, const std::string& name,
                          const std::string& data) {
    return RunProcess({BuiltProgram("set-resource"), file, type, name, data});
}

std::string Resource(const std::string& program, const std::string& type, const std::string& name) {
    return RunProcess({program, "resource", type, name}).output;
}

// Bytes that differ from one position to the next, so that a shifted or
// truncated copy shows.
std::string Pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7919 + i / 251) & 0xFF);
    return bytes;
}

TEST(SetResource, RefusesBadInput) {
    const std::string folder = MakeTestFolder("set-refused");
    const std::string program = CopyToTestFolder(PROBE_PROGRAM, "set-refused-program");
    const std::string text = folder + "/plain.txt", data = folder + "/data.bin";
    WriteFileBytes(text, "not a program");
    WriteFileBytes(data, "data");
    const struct {
        std::vector<std::string> arguments;
        std::string reason;
    } cases[] = {
        {{program, "ZIPRES", "IDR_ZIPRES"}, "usage"},
        {{folder + "/missing.exe", "ZIPRES", "IDR_ZIPRES", data}, "cannot open"},
        {{text, "ZIPRES", "IDR_ZIPRES", data}, "not an ELF file"},
        {{program, "ZIPRES", "IDR_ZIPRES", folder + "/missing.bin"}, "not a readable file"},
        {{program, "ZIPRES", "IDR_ZIPRES", folder}, "not a readable file"},
        {{program, "ZIP/RES", "IDR_ZIPRES", data}, "TYPE and NAME"},
        {{program, "ZIPRES", "", data}, "TYPE and NAME"},
        {{program, "ZIPRES", "IDR=ZIPRES", data}, "TYPE and NAME"},
    };
    const std::string programBefore = ReadFileBytes(program), textBefore = ReadFileBytes(text);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reason);
        std::vector<std::string> argv = {BuiltProgram("set-resource")};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        ProcessResult result = RunProcess(argv);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.errors.find(c.reason), std::string::npos) << result.errors;
    }
    EXPECT_EQ(ReadFileBytes(program), programBefore);
    EXPECT_EQ(ReadFileBytes(text), textBefore);
}

TEST(SetResource, ProgramFindsTheNewData) {
    const std::string payload = ReadFileBytes(PAYLOAD_FILE);
    const struct {
        std::string type, name;    // as given to set-resource
        std::string lookupType, lookupName;  // as the program asks for it
        size_t size;
        bool payloadKept;
    } cases[] = {
        {"ZIPRES", "IDR_STEP7ZRES", "ZIPRES", "IDR_STEP7ZRES", 3 << 20, false},
        {"ZIPRES", "IDR_STEP7ZRES", "ZIPRES", "IDR_STEP7ZRES", 7, false},
        {"zipres", "idr_step7zres", "ZIPRES", "IDR_STEP7ZRES", 100, false},
        {"ZIPRES", "IDR_ZIPRES", "ZIPRES", "IDR_ZIPRES", 300000, true},
        {"SKINDATA", "MAIN", "skindata", "main", 4096, true},
        {"ZIPRES", "#7", "ZIPRES", "id:7", 12, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.type + "/" + c.name + " " + std::to_string(c.size));
        const std::string program = CopyToTestFolder(PROBE_PROGRAM, "set-program");
        const std::string data = MakeTestFolder("set-data") + "/data.bin";
        WriteFileBytes(data, Pattern(c.size));

        ProcessResult result = SetResource(program, c.type, c.name, data);
        ASSERT_EQ(result.exitCode, 0) << result.errors;
        EXPECT_EQ(Resource(program, c.lookupType, c.lookupName), Pattern(c.size));
        if (c.payloadKept) {
            EXPECT_EQ(Resource(program, "ZIPRES", "IDR_STEP7ZRES"), payload);
        }
    }
}

TEST(SetResource, ReplacesTheResourceOfARunningProgram) {
    const std::string program = CopyToTestFolder(PROBE_PROGRAM, "set-running");
    const std::string data = MakeTestFolder("set-running-data") + "/data.bin";
    WriteFileBytes(data, Pattern(5000));
    RunningProcess running({program, "wait"});
    ASSERT_TRUE(running.started());

    ProcessResult result = SetResource(program, "ZIPRES", "IDR_STEP7ZRES", data);
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_TRUE(running.alive());
    EXPECT_EQ(Resource(program, "ZIPRES", "IDR_STEP7ZRES"), Pattern(5000));
    EXPECT_EQ(running.Finish(), 0);
}

}  // namespace
