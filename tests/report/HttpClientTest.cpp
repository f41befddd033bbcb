#include "report/ByteBuffer.h"
#include "report/HttpClient.h"
#include "support/SilentPort.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace {

// An HTTP server on 127.0.0.1 for the length of one test.
class LoopbackServer {
public:
    explicit LoopbackServer(const std::function<void(httplib::Server&)>& routes) {
        routes(server_);
        port_ = server_.bind_to_any_port("127.0.0.1");  // connections queue from here on
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        // stop() does nothing until the server runs.
        for (int waited = 0; waited < 5000 && !server_.is_running(); ++waited)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~LoopbackServer() {
        server_.stop();
        thread_.join();
    }
    std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

std::string Text(const ByteBuffer& buffer) { return std::string(reinterpret_cast<const char*>(buffer.Data()), buffer.Size()); }

std::string Pattern(size_t length) {
    std::string text(length, '\0');
    for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i * 7 % 26);
    return text;
}

using Operation = int (*)(CHttpClient&, const std::string& url, ByteBuffer*);
int DoPost(CHttpClient& client, const std::string& url, ByteBuffer* response) {
    return client.Post(url.c_str(), "data=x", response);
}
int DoGet(CHttpClient& client, const std::string& url, ByteBuffer* response) { return client.Get(url.c_str(), response); }
struct NamedOperation {
    const char* name;
    Operation run;
};
const NamedOperation kPlainOperations[] = {{"Post", DoPost}, {"Get", DoGet}};

}  // namespace

TEST(HttpClient, PostSendsTheFieldsUnchangedAsAForm) {
    std::mutex mutex;
    std::string body, contentType, method;
    LoopbackServer server([&](httplib::Server& s) {
        s.Post("/Tj/ins_detail", [&](const httplib::Request& request, httplib::Response& response) {
            std::lock_guard<std::mutex> lock(mutex);
            body = request.body;
            contentType = request.get_header_value("Content-Type");
            response.set_content("pong", "text/plain");
        });
    });
    const std::string fields = "data=ab+/cd==&x=%41 z";
    CHttpClient client;
    ByteBuffer response;
    EXPECT_EQ(client.Post(server.Url("/Tj/ins_detail").c_str(), fields.c_str(), &response), CURLE_OK);
    EXPECT_EQ(Text(response), "pong");
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(body, fields);
    EXPECT_EQ(contentType, "application/x-www-form-urlencoded");
}

TEST(HttpClient, CollectsBodiesPastTheInlineAreaAndErrorPages) {
    const std::string large = Pattern(3 * ByteBuffer::kInlineSize + 123);
    LoopbackServer server([&](httplib::Server& s) {
        auto answer = [&](const httplib::Request& request, httplib::Response& response) {
            bool failing = request.path == "/fail";
            response.status = failing ? 500 : 200;
            response.set_content(failing ? "broken" : large, "text/plain");
        };
        s.Get(R"(/\w+)", answer);
        s.Post(R"(/\w+)", answer);
    });
    for (const NamedOperation& operation : kPlainOperations) {
        SCOPED_TRACE(operation.name);
        CHttpClient client;
        ByteBuffer response;
        EXPECT_EQ(operation.run(client, server.Url("/large"), &response), CURLE_OK);
        EXPECT_EQ(Text(response), large);
        // An HTTP error status is not a failure; the error page is collected.
        ByteBuffer errorPage;
        EXPECT_EQ(operation.run(client, server.Url("/fail"), &errorPage), CURLE_OK);
        EXPECT_EQ(Text(errorPage), "broken");
    }
}

TEST(HttpClient, TransferFailuresReturnTheCurlCode) {
    LoopbackServer server([](httplib::Server& s) {
        s.Post("/", [](const httplib::Request&, httplib::Response& response) { response.set_content("body", "text/plain"); });
        s.Get("/", [](const httplib::Request&, httplib::Response& response) { response.set_content("body", "text/plain"); });
    });
    SilentPort refusing(false);
    for (const NamedOperation& operation : kPlainOperations) {
        SCOPED_TRACE(operation.name);
        CHttpClient client;
        ByteBuffer response;
        EXPECT_EQ(operation.run(client, refusing.Url(), &response), CURLE_COULDNT_CONNECT);
        EXPECT_EQ(response.Size(), 0u);
        // No buffer to collect into: the write callback aborts the transfer.
        EXPECT_EQ(operation.run(client, server.Url("/"), nullptr), CURLE_WRITE_ERROR);
    }
}

TEST(HttpClient, PostWithLimitsGivesUpOnAServerThatNeverAnswers) {
    SilentPort silent(true);
    CHttpClient client;
    ByteBuffer response;
    auto start = std::chrono::steady_clock::now();
    int result = client.Post(silent.Url().c_str(), "data=x", &response, HttpLimits{1, 2});
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(result, CURLE_OPERATION_TIMEDOUT);
    EXPECT_GE(elapsed, std::chrono::milliseconds(1900));
    EXPECT_LT(elapsed, std::chrono::seconds(15));
}

TEST(HttpClient, DebugLinesAreWrittenOnlyInDebugMode) {
    LoopbackServer server([](httplib::Server& s) {
        s.Post("/Tj/ins_detail",
               [](const httplib::Request&, httplib::Response& response) { response.set_content("pong", "text/plain"); });
    });
    std::string url = server.Url("/Tj/ins_detail");
    for (bool debug : {false, true}) {
        SCOPED_TRACE(debug);
        CHttpClient client;
        client.debug = debug;
        ByteBuffer response;
        testing::internal::CaptureStdout();
        int result = client.Post(url.c_str(), "data=ping", &response);
        fflush(stdout);
        std::string output = testing::internal::GetCapturedStdout();
        EXPECT_EQ(result, CURLE_OK);
        if (!debug) {
            EXPECT_EQ(output, "");
            continue;
        }
        EXPECT_NE(output.find("\n[HEADER_OUT]POST /Tj/ins_detail HTTP/1.1\r\n"), std::string::npos) << output;
        EXPECT_NE(output.find("\n[DATA_OUT]data=ping\n"), std::string::npos) << output;
        EXPECT_NE(output.find("[HEADER_IN]HTTP/1.1 200 OK\r\n\n"), std::string::npos) << output;
        EXPECT_NE(output.find("\n[DATA_IN]pong\n"), std::string::npos) << output;
        EXPECT_EQ(output.rfind("[TEXT]", 0), 0u) << output;
    }
}

// A reply past the limit ends the transfer; the buffer never holds more than
// the limit, however much the server would send (streamed, never allocated).
TEST(HttpClient, RepliesPastTheLimitEndTheTransfer) {
    const std::string chunk = Pattern(64 * 1024);
    LoopbackServer server([&](httplib::Server& s) {
        auto endless = [&](const httplib::Request&, httplib::Response& response) {
            response.set_chunked_content_provider("application/octet-stream",
                                                  [&](size_t, httplib::DataSink& sink) {
                                                      return sink.write(chunk.data(), chunk.size());
                                                  });
        };
        s.Get("/", endless);
        s.Post("/", endless);
    });
    for (const NamedOperation& operation : kPlainOperations) {
        SCOPED_TRACE(operation.name);
        CHttpClient client;
        ByteBuffer response;
        EXPECT_EQ(operation.run(client, server.Url("/"), &response), CURLE_WRITE_ERROR);
        EXPECT_LE(response.Size(), kMaxReplyBytes);
        EXPECT_GT(response.Size(), kMaxReplyBytes - chunk.size());
    }
}
