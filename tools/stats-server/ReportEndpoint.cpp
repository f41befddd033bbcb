#include "ReportEndpoint.h"

#include <stdio.h>
#include <time.h>

namespace {

std::string UtcNow() {
    time_t now = time(nullptr);
    struct tm parts;
    gmtime_r(&now, &parts);
    char text[32];
    strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

enum class BodyRead { Complete, TooLarge, Broken };

// The raw bytes as sent: no form decoding, so a "+" of the Base64 text stays a "+".
BodyRead ReadBody(const httplib::Request& request, httplib::Response& response,
                  const httplib::ContentReader& reader, std::string& body) {
    // No length and no chunks: a request without a body, which the reader would refuse.
    if (!request.has_header("Content-Length") && !request.has_header("Transfer-Encoding")) return BodyRead::Complete;
    bool tooLarge = false;
    bool complete = reader([&](const char* data, size_t length) {
        tooLarge = body.size() + length > kMaxBodyBytes;
        if (!tooLarge) body.append(data, length);
        return !tooLarge;
    });
    if (complete) return BodyRead::Complete;
    // The library refuses a declared length over the payload limit itself, with 413.
    return tooLarge || response.status == 413 ? BodyRead::TooLarge : BodyRead::Broken;
}

ReceivedReport Receive(const httplib::Request& request, httplib::Response& response,
                       const httplib::ContentReader& reader, int& status) {
    ReceivedReport report{UtcNow(), request.remote_addr, std::string(), {}};
    status = 400;
    if (request.is_multipart_form_data()) {
        report.body.reset();
        report.verdict.reason = "multipart body";
        return report;
    }
    switch (ReadBody(request, response, reader, *report.body)) {
    case BodyRead::TooLarge:
        report.body.reset();
        report.verdict.reason = "body larger than " + std::to_string(kMaxBodyBytes) + " bytes";
        status = 413;
        return report;
    case BodyRead::Broken: report.verdict.reason = "body could not be read"; return report;
    case BodyRead::Complete: break;
    }
    report.verdict = CheckReportBody(*report.body);
    if (report.verdict.accepted) status = 200;
    return report;
}

}  // namespace

void AddReportEndpoint(httplib::Server& server, ReportStore& store) {
    server.set_payload_max_length(kMaxBodyBytes);
    server.Post(kReportPath, [&store](const httplib::Request& request, httplib::Response& response,
                                      const httplib::ContentReader& reader) {
        int status = 400;
        ReceivedReport report = Receive(request, response, reader, status);
        if (!store.Add(report)) {
            fprintf(stderr, "stats-server: could not store a report from %s\n", report.peer.c_str());
            status = 500;
        }
        response.status = status;
        if (status != 200) response.set_header("Connection", "close");  // the body may be left unread
        std::string answer = status == 200 ? "ok" : status == 500 ? "not stored" : "rejected: " + report.verdict.reason;
        response.set_content(answer, "text/plain");
    });
}
