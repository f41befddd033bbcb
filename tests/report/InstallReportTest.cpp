#include "app/InstallOptions.h"
#include "report/InstallReport.h"
#include "report/ReportFields.h"
#include "report/TextCipher.h"
#include "support/ProcessRunner.h"
#include "support/SilentPort.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr char kPath[] = "/Tj/ins_detail";
constexpr HttpLimits kTestLimits{1, 2};

// A statistics endpoint on 127.0.0.1 that keeps every body it receives and
// answers with the given status and body.
class ReportReceiver {
public:
    explicit ReportReceiver(int status = 200, std::string answer = "ok") {
        server_.Post(kPath, [this, status, answer](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard<std::mutex> lock(mutex_);
            bodies_.push_back(request.body);
            response.status = status;
            response.set_content(answer, "application/octet-stream");
        });
        url_ = "http://127.0.0.1:" + std::to_string(server_.bind_to_any_port("127.0.0.1")) + kPath;
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() does nothing until the server runs.
        for (int waited = 0; waited < 5000 && !server_.is_running(); ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~ReportReceiver() {
        server_.stop();
        thread_.join();
    }
    ReportDestination Destination() const { return {url_.c_str(), kTestLimits}; }
    std::vector<std::string> Bodies() {
        std::lock_guard<std::mutex> lock(mutex_);
        return bodies_;
    }

private:
    httplib::Server server_;
    std::string url_;
    std::thread thread_;
    std::mutex mutex_;
    std::vector<std::string> bodies_;
};

std::string ExpectedLine(const std::string& identity, const std::string& os = "window-10_64_64") {
    return "1.0.1.2016|" + identity + "|" + os + "|0|0|0|0|0|0|0|0|0|0|0";
}

void SetQid(const std::string* qid) {
    if (qid) SetOption(L"Qid", std::wstring(qid->begin(), qid->end()));
    else GetInstallOptions()->erase(L"Qid");
}

// The plain line of a received body: "data=" and the Base64 text as it is.
std::string LineOf(const std::string& body) {
    EXPECT_EQ(body.rfind("data=", 0), 0u) << body;
    EXPECT_EQ(body.find('%'), std::string::npos) << body;
    return DecryptText(ReportKeySet, body.substr(5));
}

std::string OwnProgram() {
    char path[4096] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    return length > 0 ? std::string(path, length) : std::string();
}

double SecondsToSend(const ReportDestination& destination) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(SendInstallReportTo(destination));
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST(ReportFields, EnsuresFourteenFieldsAndSetsOnlyExistingOnes) {
    ReportFields fields;
    EXPECT_EQ(fields.Join(), L"");
    fields.Set(3, L"lost");  // not in the table yet
    fields.EnsureFields();
    EXPECT_EQ(fields.Join(), L"0|0|0|0|0|0|0|0|0|0|0|0|0|0");
    fields.Set(0, L"a");
    fields.Set(13, L"z");
    fields.Set(14, L"beyond");
    fields.EnsureFields();  // keeps what is set
    EXPECT_EQ(fields.Join(), L"a|0|0|0|0|0|0|0|0|0|0|0|0|z");
    fields.Set(13, L"");
    EXPECT_EQ(fields.Join(), L"a|0|0|0|0|0|0|0|0|0|0|0|0|0");
}

TEST(InstallReport, DefaultOptionsReportTheDefaultIdentity) {
    ApplyDefaultOptions();
    ReportReceiver receiver;
    EXPECT_TRUE(SendInstallReportTo(receiver.Destination()));
    std::vector<std::string> bodies = receiver.Bodies();
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_EQ(LineOf(bodies[0]), ExpectedLine("gf"));
}

TEST(InstallReport, IdentityIsTheDecryptedQidOrTheDefault) {
    const std::string stamped = EncryptIdentity("abc123");
    const std::string otherKey = EncryptText(ReportKeySet, "abc123");
    const std::string empty, plainDefault = "gf", garbage = "!!not*base64!!", cut = stamped.substr(0, 12);
    struct Case {
        const char* name;
        const std::string* qid;
        const char* identity;
    } cases[] = {
        {"stamped identity", &stamped, "abc123"}, {"no option", nullptr, "gf"},      {"empty", &empty, "gf"},
        {"plain default", &plainDefault, "gf"},    {"not Base64", &garbage, "gf"},   {"other key set", &otherKey, "gf"},
        {"cut short", &cut, "gf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetQid(c.qid);
        ReportReceiver receiver;
        EXPECT_TRUE(SendInstallReportTo(receiver.Destination()));
        std::vector<std::string> bodies = receiver.Bodies();
        ASSERT_EQ(bodies.size(), 1u);
        EXPECT_EQ(LineOf(bodies[0]), ExpectedLine(c.identity));
    }
}

// The line is held in a 2048-byte buffer: 2047 characters and the terminator.
TEST(InstallReport, ALineTooLongForItsBufferIsNotSent) {
    const size_t fixedPart = ExpectedLine("").size();
    for (size_t lineLength : {size_t(2047), size_t(2048), size_t(3000)}) {
        SCOPED_TRACE(lineLength);
        std::string identity(lineLength - fixedPart, 'q');
        std::string qid = EncryptIdentity(identity);
        SetQid(&qid);
        ReportReceiver receiver;
        EXPECT_TRUE(SendInstallReportTo(receiver.Destination()));
        std::vector<std::string> bodies = receiver.Bodies();
        if (lineLength < 2048) {
            ASSERT_EQ(bodies.size(), 1u);
            EXPECT_EQ(LineOf(bodies[0]), ExpectedLine(identity));
        } else {
            EXPECT_TRUE(bodies.empty());
        }
    }
    SetQid(nullptr);
}

TEST(InstallReport, NoServerAnswerHoldsTheReportUp) {
    SetQid(nullptr);
    SilentPort refusing(false);
    EXPECT_LT(SecondsToSend({refusing.Url().c_str(), kTestLimits}), 1.0);
    // The whole-request limit ends a connection that never gets an answer.
    SilentPort silent(true);
    double seconds = SecondsToSend({silent.Url().c_str(), kTestLimits});
    EXPECT_GE(seconds, 1.9);
    EXPECT_LT(seconds, 15.0);
}

TEST(InstallReport, AnyAnswerIsIgnored) {
    SetQid(nullptr);
    struct Case {
        int status;
        std::string answer;
    } cases[] = {{500, "internal error"}, {404, ""}, {200, std::string("\0\xff\x01garbage", 10)},
                 {200, std::string(1 << 20, 'x')}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status);
        ReportReceiver receiver(c.status, c.answer);
        EXPECT_TRUE(SendInstallReportTo(receiver.Destination()));
        EXPECT_EQ(receiver.Bodies().size(), 1u);
    }
}

// Run in a child process with the emulated machine chosen by its environment.
TEST(InstallReport, DISABLED_PrintLineForThisMachine) {
    SetQid(nullptr);
    SilentPort refusing(false);
    SendInstallReportTo({refusing.Url().c_str(), kTestLimits});
    std::wstring line = GetReportFields().Join();
    printf("report line: %s\n", std::string(line.begin(), line.end()).c_str());
}

TEST(InstallReport, OsFieldRepeatsTheNativeBitness) {
    struct Case {
        std::map<std::string, std::string> machine;
        const char* field;
    } cases[] = {
        {{}, "window-10_64_64"},
        {{{"WINCOMPAT_VERSION", "6.1.7601"}, {"WINCOMPAT_NATIVE_ARCH", "amd64"}}, "window-7_64_64"},
        {{{"WINCOMPAT_VERSION", "5.1.2600"}, {"WINCOMPAT_NATIVE_ARCH", "x86"}}, "window-xp_32_32"},
        {{{"WINCOMPAT_VERSION", "7.0.1"}, {"WINCOMPAT_NATIVE_ARCH", "ia64"}}, "Unknow_64_64"},
        // Without GetNativeSystemInfo the 32-bit process's own view is all there is.
        {{{"WINCOMPAT_MISSING", "kernel32.dll!GetNativeSystemInfo"}}, "window-10_32_32"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        ProcessResult child = RunProcess({OwnProgram(), "--gtest_also_run_disabled_tests",
                                          "--gtest_filter=InstallReport.DISABLED_PrintLineForThisMachine"},
                                         c.machine, 60);
        ASSERT_EQ(child.exitCode, 0) << child.output << child.errors;
        EXPECT_NE(child.output.find("report line: " + ExpectedLine("gf", c.field) + "\n"), std::string::npos)
            << child.output;
    }
}
