#include "report/TextCipher.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

namespace {

const std::string kServer = BuildFile("stats-server");
constexpr char kPath[] = "/Tj/ins_detail";

// stats-server on a port the system picks, running until Stop().
class StatsServer {
public:
    explicit StatsServer(const std::string& database) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            close(pipeFds[0]);
            close(pipeFds[1]);
            execl(kServer.c_str(), kServer.c_str(), "--port", "0", "--db", database.c_str(), nullptr);
            _exit(127);
        }
        close(pipeFds[1]);
        output_ = pipeFds[0];
        port_ = ReadPort();
    }
    ~StatsServer() { Stop(); }

    int Port() const { return port_; }

    // SIGTERM, then the exit code (-1 for no clean exit within 10 s).
    int Stop() {
        if (pid_ <= 0) return exitCode_;
        kill(pid_, SIGTERM);
        for (int waited = 0; waited < 1000; ++waited) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                break;
            }
            usleep(10000);
        }
        if (exitCode_ == -2) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            exitCode_ = -1;
        }
        pid_ = -1;
        close(output_);
        return exitCode_;
    }

private:
    // The port of the one "listening on 127.0.0.1:PORT" line, waited for at most 10 s.
    int ReadPort() {
        std::string text;
        time_t deadline = time(nullptr) + 10;
        while (text.find('\n') == std::string::npos && time(nullptr) < deadline) {
            pollfd fd = {output_, POLLIN, 0};
            if (poll(&fd, 1, 1000) <= 0) continue;
            char chunk[256];
            ssize_t got = read(output_, chunk, sizeof(chunk));
            if (got <= 0) break;
            text.append(chunk, got);
        }
        const std::string prefix = "listening on 127.0.0.1:";
        if (text.rfind(prefix, 0) != 0) return 0;
        return atoi(text.c_str() + prefix.size());
    }

    pid_t pid_ = -1;
    int output_ = -1;
    int port_ = 0;
    int exitCode_ = -2;
};

struct Row {
    std::string status;
    std::optional<std::string> reason, line, body, version, channel, os;
    std::string peer;
};

std::optional<std::string> Column(sqlite3_stmt* statement, int column) {
    if (sqlite3_column_type(statement, column) == SQLITE_NULL) return std::nullopt;
    const char* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
    return std::string(bytes ? bytes : "", sqlite3_column_bytes(statement, column));
}

std::vector<Row> ReadRows(const std::string& database) {
    std::vector<Row> rows;
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
        sqlite3_prepare_v2(db,
                           "SELECT status, reason, line, body, version, channel, os, peer FROM reports ORDER BY id",
                           -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW)
            rows.push_back({*Column(statement, 0), Column(statement, 1), Column(statement, 2), Column(statement, 3),
                            Column(statement, 4), Column(statement, 5), Column(statement, 6), *Column(statement, 7)});
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

const std::string kGoodLine = "1.0.1.2016|abc123|window-10_64_64|0|0|0|0|0|0|0|0|0|0|0";

// A report whose Base64 text holds a "+", which a form decoder would turn into a blank.
std::string LineWithPlusInItsBase64() {
    for (int i = 0;; ++i) {
        std::string line = "1.0.1.2016|channel" + std::to_string(i) + "|window-7_32_32|0|0|0|0|0|0|0|0|0|0|0";
        if (EncryptReport(line).find('+') != std::string::npos) return line;
    }
}

}  // namespace

TEST(StatsServer, StoresEveryReportWithItsVerdict) {
    const std::string database = MakeTestFolder("stats-verdicts") + "/reports.db";
    const std::string plusLine = LineWithPlusInItsBase64();
    struct Case {
        const char* name;
        std::string body;
        int httpStatus;
        const char* reason;                  // empty for accepted
        std::optional<std::string> line;     // as stored
        bool bodyKept = true;
    } cases[] = {
        {"good", "data=" + EncryptReport(kGoodLine), 200, "", kGoodLine},
        {"plus in Base64", "data=" + EncryptReport(plusLine), 200, "", plusLine},
        {"empty", "", 400, "no data= prefix", std::nullopt},
        {"other name", "report=" + EncryptReport(kGoodLine), 400, "no data= prefix", std::nullopt},
        {"percent-escaped", "data=abc%2Bdef", 400, "not Base64", std::nullopt},
        {"not Base64", "data=!!!!", 400, "not Base64", std::nullopt},
        {"binary", std::string("data=\0\xff\x80\x01zz", 11), 400, "not Base64", std::nullopt},
        {"other key", "data=" + EncryptIdentity(kGoodLine), 400, "does not decrypt with the report key", std::nullopt},
        {"three fields", "data=" + EncryptReport("a|b|c"), 400, "3 fields, expected 14", "a|b|c"},
        {"control bytes", "data=" + EncryptReport("a\x01|\n"), 400, "decrypted line is not text", std::nullopt},
        {"huge", "data=" + std::string(70000, 'A'), 413, "body larger than 65536 bytes", std::nullopt, false},
    };
    StatsServer server(database);
    ASSERT_GT(server.Port(), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        httplib::Client client("127.0.0.1", server.Port());
        client.set_connection_timeout(5);
        client.set_read_timeout(10);
        httplib::Result result = client.Post(kPath, c.body, "application/x-www-form-urlencoded");
        ASSERT_TRUE(result) << httplib::to_string(result.error());
        EXPECT_EQ(result->status, c.httpStatus);
        if (c.httpStatus == 200) {
            EXPECT_EQ(result->body, "ok");
        }
    }
    EXPECT_EQ(server.Stop(), 0);

    std::vector<Row> rows = ReadRows(database);
    ASSERT_EQ(rows.size(), std::size(cases));
    for (size_t i = 0; i < rows.size(); ++i) {
        const Case& c = cases[i];
        const Row& row = rows[i];
        SCOPED_TRACE(c.name);
        bool accepted = c.httpStatus == 200;
        EXPECT_EQ(row.status, accepted ? "accepted" : "rejected");
        EXPECT_EQ(row.reason, accepted ? std::nullopt : std::optional<std::string>(c.reason));
        EXPECT_EQ(row.line, c.line);
        EXPECT_EQ(row.body, c.bodyKept ? std::optional<std::string>(c.body) : std::nullopt);
        EXPECT_EQ(row.peer, "127.0.0.1");
    }
    EXPECT_EQ(rows[0].version, "1.0.1.2016");
    EXPECT_EQ(rows[0].channel, "abc123");
    EXPECT_EQ(rows[0].os, "window-10_64_64");
    EXPECT_EQ(rows[2].version, std::nullopt);
}

TEST(StatsServer, PrintListsTheStoredRowsWhileTheServerRuns) {
    const std::string database = MakeTestFolder("stats-print") + "/reports.db";
    StatsServer server(database);
    ASSERT_GT(server.Port(), 0);
    httplib::Client client("127.0.0.1", server.Port());
    ASSERT_TRUE(client.Post(kPath, "data=" + EncryptReport(kGoodLine), "application/x-www-form-urlencoded"));
    ASSERT_TRUE(client.Post(kPath, "data=nope", "application/x-www-form-urlencoded"));

    ProcessResult listing = RunProcess({kServer, "--db", database, "--print"}, {}, 30);
    EXPECT_EQ(listing.exitCode, 0) << listing.errors;
    std::vector<std::string> lines;
    for (size_t start = 0, end; (end = listing.output.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(listing.output.substr(start, end - start));
    ASSERT_EQ(lines.size(), 2u) << listing.output;
    // id, time, peer, status, line, separated by tabs
    EXPECT_TRUE(testing::internal::RE::FullMatch(lines[0], testing::internal::RE(
        "1\t[0-9]+-[0-9]+-[0-9]+T[0-9]+:[0-9]+:[0-9]+Z\t127\\.0\\.0\\.1\taccepted\t1\\.0\\.1\\.2016\\|abc123\\|.*")))
        << lines[0];
    EXPECT_NE(lines[1].find("\trejected: not Base64\t-"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[1].rfind("2\t", 0), 0u) << lines[1];
}

TEST(StatsServer, RefusesBadCommandLinesAndBusyPorts) {
    const std::string database = MakeTestFolder("stats-arguments") + "/reports.db";
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
    } cases[] = {
        {{}, 2},
        {{"--port", "1234"}, 2},
        {{"--db", database, "--port", "http"}, 2},
        {{"--db", database, "--port", "70000"}, 2},
        {{"--db", database, "--verbose"}, 2},
        {{"--db", database + ".missing", "--print"}, 1},
    };
    for (const Case& c : cases) {
        std::vector<std::string> command = {kServer};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        ProcessResult result = RunProcess(command, {}, 30);
        EXPECT_EQ(result.exitCode, c.exitCode) << testing::PrintToString(c.arguments);
        EXPECT_NE(result.errors, "");
    }
    StatsServer holder(database);
    ASSERT_GT(holder.Port(), 0);
    ProcessResult busy = RunProcess({kServer, "--db", database, "--port", std::to_string(holder.Port())}, {}, 30);
    EXPECT_EQ(busy.exitCode, 1);
    EXPECT_NE(busy.errors.find("cannot listen"), std::string::npos) << busy.errors;
}
