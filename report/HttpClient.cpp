#include "report/HttpClient.h"

#include <curl/curl.h>
#include <stdio.h>

#include <memory>

namespace {

static_assert(kMaxReplyBytes < UINT32_MAX - ByteBuffer::kTrailingZeros, "a reply fits a ByteBuffer");

// GET and the TLS requests: 3000 seconds each for connecting and for the whole request.
constexpr long kFixedLimitSeconds = 3000;

struct CurlEasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;

// One request: a form POST of fields when post is set, TLS settings when tls is set.
struct Request {
    const char* url = nullptr;
    bool post = false;
    const char* fields = nullptr;
    ByteBuffer* response = nullptr;
    bool tls = false;
    const char* caFile = nullptr;
    HttpLimits limits;
};

// A reply that would grow the buffer past the limit ends the transfer: a
// taken count short of the one handed makes libcurl fail with CURLE_WRITE_ERROR.
size_t WriteBody(char* data, size_t size, size_t count, void* user) {
    auto* response = static_cast<ByteBuffer*>(user);
    if (!response || !data) return static_cast<size_t>(-1);  // aborts the transfer
    size_t bytes = size * count;
    if (bytes > kMaxReplyBytes - response->Size()) return 0;
    response->Append(data, static_cast<uint32_t>(bytes));
    return count;
}

const char* DebugPrefix(curl_infotype type) {
    switch (type) {
    case CURLINFO_TEXT: return "[TEXT]";
    case CURLINFO_HEADER_IN: return "[HEADER_IN]";
    case CURLINFO_HEADER_OUT: return "[HEADER_OUT]";
    case CURLINFO_DATA_IN: return "[DATA_IN]";
    case CURLINFO_DATA_OUT: return "[DATA_OUT]";
    default: return nullptr;  // TLS data and anything newer
    }
}

int WriteDebugLine(CURL*, curl_infotype type, char* data, size_t size, void*) {
    if (const char* prefix = DebugPrefix(type)) {
        fputs(prefix, stdout);
        fwrite(data, 1, size, stdout);
        fputc('\n', stdout);
    }
    return 0;
}

// Peer and host are always verified: against caFile when given, else against
// the system's certificate store (libcurl's built-in bundle and path).
void SetTls(CURL* handle, const char* caFile) {
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (caFile) curl_easy_setopt(handle, CURLOPT_CAINFO, caFile);
}

void SetLimits(CURL* handle, const HttpLimits& limits) {
    if (limits.connectSeconds > 0) curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, limits.connectSeconds);
    if (limits.totalSeconds > 0) curl_easy_setopt(handle, CURLOPT_TIMEOUT, limits.totalSeconds);
}

// The options in their fixed order, then the transfer.
int Perform(const Request& request, bool debug) {
    CurlEasy handle(curl_easy_init());
    if (!handle) return 0;
    CURL* h = handle.get();
    if (debug) {
        curl_easy_setopt(h, CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(h, CURLOPT_DEBUGFUNCTION, WriteDebugLine);
    }
    curl_easy_setopt(h, CURLOPT_URL, request.url);
    if (request.post) {
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        // Null fields would make libcurl read the body from standard input.
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.fields ? request.fields : "");
    }
    curl_easy_setopt(h, CURLOPT_READFUNCTION, static_cast<curl_read_callback>(nullptr));
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, request.response);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    if (request.tls) SetTls(h, request.caFile);
    SetLimits(h, request.limits);
    return curl_easy_perform(h);
}

constexpr HttpLimits kFixedLimits{kFixedLimitSeconds, kFixedLimitSeconds};

}  // namespace

int CHttpClient::Post(const char* url, const char* fields, ByteBuffer* response) {
    return Post(url, fields, response, HttpLimits{});
}

int CHttpClient::Post(const char* url, const char* fields, ByteBuffer* response, const HttpLimits& limits) {
    return Perform({.url = url, .post = true, .fields = fields, .response = response, .limits = limits}, debug);
}

int CHttpClient::Get(const char* url, ByteBuffer* response) {
    return Perform({.url = url, .response = response, .limits = kFixedLimits}, debug);
}

int CHttpClient::PostWithCa(const char* url, const char* fields, ByteBuffer* response, const char* caFile) {
    return Perform({.url = url, .post = true, .fields = fields, .response = response, .tls = true, .caFile = caFile,
                    .limits = kFixedLimits},
                   debug);
}

int CHttpClient::GetWithCa(const char* url, ByteBuffer* response, const char* caFile) {
    return Perform({.url = url, .response = response, .tls = true, .caFile = caFile, .limits = kFixedLimits}, debug);
}
