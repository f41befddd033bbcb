#include "ChannelStamp.h"

namespace {

constexpr std::string_view kHead = "qstart:";
constexpr std::string_view kTail = ":qend";
constexpr size_t kMarkerLength = kHead.size() + kStampValueMaxLength + kTail.size();

bool IsStampCharacter(unsigned char c) { return c >= 0x20 && c < 0x7F && c != ':'; }

bool IsMarkerAt(std::string_view data, size_t offset) {
    if (data.size() - offset < kMarkerLength + 1) return false;
    std::string_view marker = data.substr(offset, kMarkerLength + 1);
    if (!marker.starts_with(kHead) || marker.substr(kMarkerLength - kTail.size(), kTail.size()) != kTail ||
        marker.back() != '\0')
        return false;
    for (unsigned char c : marker.substr(kHead.size(), kStampValueMaxLength))
        if (!IsStampCharacter(c)) return false;
    return true;
}

}  // namespace

std::string StampValueProblem(std::string_view value) {
    if (value.empty()) return "the value is empty";
    if (value.size() > kStampValueMaxLength)
        return "the value has " + std::to_string(value.size()) + " characters, at most " +
               std::to_string(kStampValueMaxLength) + " fit";
    for (unsigned char c : value) {
        if (!IsStampCharacter(c)) return "the value may hold only printable ASCII characters other than ':'";
        if (c == '#') return "the value may not hold '#', which ends it early";
        if (c == '|') return "the value may not hold '|', which separates the fields of the install report";
    }
    return {};
}

std::vector<size_t> FindChannelMarkers(std::string_view data) {
    std::vector<size_t> offsets;
    for (size_t at = data.find(kHead); at != std::string_view::npos; at = data.find(kHead, at + 1))
        if (IsMarkerAt(data, at)) offsets.push_back(at);
    return offsets;
}

std::string ChannelStampText(std::string_view value) {
    std::string text(kHead);
    text.append(value);
    text.append(kStampValueMaxLength - value.size(), '#');
    text.append(kTail);
    return text;
}
