// The installer's HTTP client: one blocking libcurl request per call, the
// response body appended to the caller's ByteBuffer.
#pragma once

#include "report/ByteBuffer.h"

// Time limits of one request, in seconds; 0 leaves a limit off.
struct HttpLimits {
    long connectSeconds = 0;
    long totalSeconds = 0;
};

// The most of a reply body a call keeps: a longer reply ends the transfer
// with CURLE_WRITE_ERROR, the buffer holding the bytes taken before it.
inline constexpr uint32_t kMaxReplyBytes = 1u << 20;

// Stateless between calls: each call builds, uses and frees its own easy
// handle. Text arguments are NUL-terminated and must outlive the call. Every
// operation returns the curl_easy_perform code (0 = success, an HTTP error
// status included), or 0 when no easy handle could be made.
class CHttpClient {
public:
    // Form POST over plain HTTP; no time limits.
    virtual int Post(const char* url, const char* fields, ByteBuffer* response);
    // GET over plain HTTP, 3000 s limits.
    virtual int Get(const char* url, ByteBuffer* response);
    // Form POST over TLS, 3000 s limits; peer and host are verified against caFile,
    // or against the system's certificate store when caFile is null.
    virtual int PostWithCa(const char* url, const char* fields, ByteBuffer* response, const char* caFile);
    // GET over TLS, 3000 s limits; verified as PostWithCa verifies.
    virtual int GetWithCa(const char* url, ByteBuffer* response, const char* caFile);

    // The form POST of Post with the given time limits instead of none.
    int Post(const char* url, const char* fields, ByteBuffer* response, const HttpLimits& limits);

    // Verbose mode, its debug stream written to standard output as tagged lines.
    bool debug = false;
};
