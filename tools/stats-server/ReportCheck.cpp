#include "ReportCheck.h"

#include "report/TextCipher.h"

#include <string.h>

namespace {

constexpr char kPrefix[] = "data=";

// Standard alphabet, "=" padding only at the end; the body carries it unescaped.
bool IsBase64(const std::string& text) {
    if (text.empty() || text.size() % 4 != 0) return false;
    size_t padding = text.size() - text.find_last_not_of('=') - 1;
    if (padding > 2) return false;
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    return text.find_first_not_of(alphabet) == text.size() - padding;
}

bool IsText(const std::string& line) {
    for (unsigned char c : line)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t bar; (bar = line.find('|', start)) != std::string::npos; start = bar + 1)
        fields.push_back(line.substr(start, bar - start));
    fields.push_back(line.substr(start));
    return fields;
}

ReportVerdict Rejected(std::string reason) {
    ReportVerdict verdict;
    verdict.reason = std::move(reason);
    return verdict;
}

}  // namespace

ReportVerdict CheckReportBody(const std::string& body) {
    if (body.compare(0, strlen(kPrefix), kPrefix) != 0) return Rejected("no data= prefix");
    std::string base64 = body.substr(strlen(kPrefix));
    if (!IsBase64(base64)) return Rejected("not Base64");
    std::string line = DecryptText(ReportKeySet, base64);
    if (line.empty()) return Rejected("does not decrypt with the report key");
    if (!IsText(line)) return Rejected("decrypted line is not text");
    ReportVerdict verdict = Rejected("");
    verdict.line = line;
    verdict.fields = SplitFields(line);
    if (verdict.fields.size() != kReportFieldCount) {
        verdict.reason = std::to_string(verdict.fields.size()) + " fields, expected 14";
        verdict.fields.clear();
        return verdict;
    }
    verdict.accepted = true;
    return verdict;
}
