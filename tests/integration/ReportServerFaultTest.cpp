// Installs whose report goes to a statistics server that misbehaves: each
// ends as an install beside a good server does, records and files in place,
// and what the server heard was the report.
#include "integration/FaultFixture.h"
#include "support/BackgroundProcess.h"
#include "support/MisbehavingServer.h"

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

constexpr char kReportRequestLine[] = "POST /Tj/ins_detail HTTP/1.1\r\n";
// The report's own request limit, and room for the install around it on a busy machine.
constexpr auto kReportBound = std::chrono::seconds(30);
constexpr auto kInstallMargin = std::chrono::seconds(45);
// The reply bound and the sockets' buffers are far below this.
constexpr uint64_t kFarIntoAReply = 64ull << 20;

struct ServerCase {
    const char* name;
    Misbehaviour mode;
};

}  // namespace

class ReportServerFaultTest : public FaultInstallTest {
protected:
    // A silent install in a fresh prefix of its own whose report goes to the server.
    ProcessResult InstallBeside(const MisbehavingServer& server, const std::string& name) {
        EXPECT_TRUE(server.Listening());
        UsePrefix(name);
        return RunInstaller({"slient"}, InstallerReportingTo(folder_ + "/" + name, std::to_string(server.Port())));
    }

    void ExpectUnaffected(const ProcessResult& run, const MisbehavingServer& server, bool requestRead = true) {
        EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
        EXPECT_EQ(FailureLine(run), "") << run.errors;
        EXPECT_EQ(CompleteInstallProblem(), "");
        std::vector<std::string> heads = server.RequestHeads();
        ASSERT_EQ(heads.size(), requestRead ? 1u : 0u) << "requests the server read";
        for (const std::string& head : heads) EXPECT_EQ(head.rfind(kReportRequestLine, 0), 0u) << head;
    }
};

TEST_F(ReportServerFaultTest, AServerThatAnswersBadlyChangesNothingOfTheInstall) {
    const ServerCase cases[] = {
        {"error-500", Misbehaviour::ServerError},
        {"garbage", Misbehaviour::Garbage},
        {"huge-body", Misbehaviour::HugeBody},
        {"half-headers", Misbehaviour::HalfHeaders},
    };
    for (const ServerCase& c : cases) {
        SCOPED_TRACE(c.name);
        MisbehavingServer server(c.mode);
        ProcessResult run = InstallBeside(server, c.name);
        ExpectUnaffected(run, server);
        // A long reply ends its transfer at the reply bound: nowhere near the gigabyte is read.
        EXPECT_LT(server.BodyBytesSent(), kFarIntoAReply);
    }
}

// Run once: it takes the whole of the report's request limit.
TEST_F(ReportServerFaultTest, AServerThatNeverAnswersHoldsTheInstallOnlyForTheReportLimit) {
    MisbehavingServer server(Misbehaviour::NeverAnswers);
    auto start = std::chrono::steady_clock::now();
    ProcessResult run = InstallBeside(server, "never-answers");
    auto took = std::chrono::steady_clock::now() - start;
    ExpectUnaffected(run, server);
    EXPECT_TRUE(server.PeerGaveUp()) << "the installer ended without closing the report's connection";
    EXPECT_LT(took, kReportBound + kInstallMargin);
    RecordProperty("seconds", std::to_string(std::chrono::duration_cast<std::chrono::seconds>(took).count()));
}

// The reply bound keeps a gigabyte's reply out of memory: the install's peak
// stays within 5 MB of one whose report finds no server at all. GNU time
// measures it: the installer's own rusage, from a parent small enough that
// exec does not count the parent's memory (a child spawned straight from this
// test shares its memory until exec, and its peak would include the test's).
TEST_F(ReportServerFaultTest, AHugeReplyAddsNothingToTheInstallsPeakMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator and shadow memory make peak memory too noisy to compare";
#endif
    const std::string time = FindProgram("time");
    if (time.empty()) GTEST_SKIP() << "needs GNU time (Debian package time) to measure the installer's peak";
    constexpr long kBoundKilobytes = 5'000'000 / 1024;
    UsePrefix("silent");
    ProcessResult silent = RunInstaller({"-f", "%M", "-o", folder_ + "/silent.peak", installer_, "slient"}, time);
    ASSERT_EQ(silent.exitCode, 0) << silent.errors;
    MisbehavingServer server(Misbehaviour::HugeBody);
    std::string huge = InstallerReportingTo(folder_ + "/huge-body", std::to_string(server.Port()));
    UsePrefix("huge-body");
    ProcessResult run = RunInstaller({"-f", "%M", "-o", folder_ + "/huge.peak", huge, "slient"}, time);
    ExpectUnaffected(run, server);
    EXPECT_GT(server.BodyBytesSent(), 0u) << "the reply never reached the installer";
    long silentPeak = std::atol(ReadWholeFile(folder_ + "/silent.peak").c_str());
    long hugePeak = std::atol(ReadWholeFile(folder_ + "/huge.peak").c_str());
    ASSERT_GT(silentPeak, 0);
    EXPECT_LE(std::labs(hugePeak - silentPeak), kBoundKilobytes)
        << "peak with a silent server " << silentPeak << " KiB, with a 1 GiB reply " << hugePeak << " KiB";
    RecordProperty("silentPeakKilobytes", std::to_string(silentPeak));
    RecordProperty("hugeReplyPeakKilobytes", std::to_string(hugePeak));
}
