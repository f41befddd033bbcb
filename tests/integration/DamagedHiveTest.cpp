// Installs over a prefix whose system.reg is damaged: the damaged file is
// kept whole as system.reg.damaged, and the install writes every record into
// a fresh hive that holds nothing of the junk.
#include "integration/FaultFixture.h"

#include <random>

namespace {

const char kHeader[] = "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n";

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

}  // namespace

TEST_F(FaultInstallTest, DamagedHivesAreSetAsideAndTheInstallWritesEveryRecord) {
    struct Case {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"zeros", std::string(65536, '\0')},
        {"random", RandomBytes(65536, 7)},
        {"header-junk", kHeader + RandomBytes(65536, 8)},
        {"junk-50MB", RandomBytes(50 << 20, 9)},
    };
    for (const Case& c : cases) {
        UsePrefix(c.name);
        WriteWholeFile(HivePath(), c.bytes);
        ProcessResult run = RunInstaller({"slient"}, installer_);
        EXPECT_EQ(run.exitCode, 0) << c.name << "\n" << run.errors;
        EXPECT_TRUE(ReadWholeFile(HivePath() + ".damaged") == c.bytes) << c.name;
        InstallSnapshot installed = TakeSnapshot(prefix_, login_);
        EXPECT_EQ(MissingFrom(installed, reference_), "") << c.name;
        // Nothing but what a clean install leaves: no key made of junk.
        for (const auto& [path, data] : installed.registry)
            EXPECT_EQ(reference_.registry.count(path), 1u) << c.name << ": " << path;
    }
}
