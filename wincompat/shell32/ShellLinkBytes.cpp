#include "shell32/ShellLinkBytes.h"

namespace wincompat {

std::string_view LinkByteReader::Take(size_t count) {
    if (!ok_ || offset_ > bytes_.size() || count > bytes_.size() - offset_) {
        ok_ = false;
        return {};
    }
    std::string_view part = bytes_.substr(offset_, count);
    offset_ += count;
    return part;
}

uint64_t LinkByteReader::Number(int width) {
    std::string_view part = Take(width);
    uint64_t value = 0;
    for (size_t i = 0; i < part.size(); ++i) value |= uint64_t(static_cast<uint8_t>(part[i])) << (8 * i);
    return value;
}

std::u16string LinkByteReader::Utf16(size_t units) {
    std::u16string text;
    for (size_t i = 0; i < units && ok_; ++i) text.push_back(static_cast<char16_t>(U16()));
    return ok_ ? text : std::u16string();
}

std::u16string LinkByteReader::Utf16UntilNul() {
    std::u16string text;
    for (char16_t unit = U16(); ok_ && unit != 0; unit = U16()) text.push_back(unit);
    return ok_ ? text : std::u16string();
}

std::string LinkByteReader::AnsiUntilNul() {
    std::string text;
    for (std::string_view byte = Take(1); ok_ && byte[0] != '\0'; byte = Take(1)) text += byte[0];
    return ok_ ? text : std::string();
}

}  // namespace wincompat
