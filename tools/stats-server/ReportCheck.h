// What a report body holds: "data=" and the Base64 text of the report line
// encrypted with the report key set, the line being 14 fields joined by "|".
#pragma once

#include <optional>
#include <string>
#include <vector>

constexpr size_t kReportFieldCount = 14;

struct ReportVerdict {
    bool accepted = false;
    std::string reason;               // why it was rejected
    std::optional<std::string> line;  // the decrypted line, when it is text
    std::vector<std::string> fields;  // the 14 fields of an accepted line
};

ReportVerdict CheckReportBody(const std::string& body);
