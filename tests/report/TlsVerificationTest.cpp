// The TLS requests against a real TLS server (openssl s_server): a certificate
// is trusted only through the CA file given, and only for the host it names.
#include "report/ByteBuffer.h"
#include "report/HttpClient.h"
#include "support/BackgroundProcess.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

namespace {

// A loopback port free at the moment of asking.
int FreePort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    bind(fd, reinterpret_cast<sockaddr*>(&address), length);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

// GetWithCa or PostWithCa, retried while the server is not yet listening.
int Request(bool post, const std::string& url, const char* caFile) {
    int result = CURLE_COULDNT_CONNECT;
    for (int attempt = 0; attempt < 50 && result == CURLE_COULDNT_CONNECT; ++attempt) {
        if (attempt) usleep(100 * 1000);
        CHttpClient client;
        ByteBuffer response;
        result = post ? client.PostWithCa(url.c_str(), "data=x", &response, caFile)
                      : client.GetWithCa(url.c_str(), &response, caFile);
    }
    return result;
}

}  // namespace

TEST(HttpClientTls, VerifiesPeerAndHostWithOrWithoutACaFile) {
    std::string openssl = FindProgram("openssl");
    if (openssl.empty()) GTEST_SKIP() << "openssl is not installed";
    const std::string folder = MakeTestFolder("tls-verification");
    const std::string key = folder + "/key.pem", cert = folder + "/cert.pem";
    ProcessResult made = RunProcess({openssl, "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                                     "/CN=localhost", "-addext", "subjectAltName=DNS:localhost", "-keyout", key,
                                     "-out", cert});
    ASSERT_EQ(made.exitCode, 0) << made.errors;
    const int port = FreePort();
    BackgroundProcess server({openssl, "s_server", "-quiet", "-www", "-accept", std::to_string(port), "-key", key,
                              "-cert", cert},
                             cert);
    ASSERT_TRUE(server.Running());
    const std::string rightHost = "https://localhost:" + std::to_string(port) + "/";
    const std::string wrongHost = "https://127.0.0.1:" + std::to_string(port) + "/";
    struct Case {
        const char* name;
        const std::string& url;
        const char* caFile;
        bool succeeds;
    } cases[] = {
        {"self-signed, no CA file", rightHost, nullptr, false},
        {"matching CA file, right host", rightHost, cert.c_str(), true},
        {"matching CA file, wrong host", wrongHost, cert.c_str(), false},
        {"wrong host, no CA file", wrongHost, nullptr, false},
    };
    for (const Case& c : cases) {
        for (bool post : {false, true}) {
            if (post && c.succeeds) continue;  // s_server -www answers GET only; a POST would wait for it
            SCOPED_TRACE(std::string(c.name) + (post ? ", PostWithCa" : ", GetWithCa"));
            int result = Request(post, c.url, c.caFile);
            EXPECT_NE(result, CURLE_COULDNT_CONNECT);
            if (c.succeeds) EXPECT_EQ(result, CURLE_OK) << curl_easy_strerror(static_cast<CURLcode>(result));
            else EXPECT_NE(result, CURLE_OK);
        }
    }
}
