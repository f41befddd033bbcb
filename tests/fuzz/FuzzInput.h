// The fuzzer's bytes, handed out piece by piece: a leading byte chooses a
// setting, the rest is split into texts at a separator byte.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <string_view>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    // The next byte, or 0 when none is left.
    uint8_t Byte() {
        if (rest_.empty()) return 0;
        uint8_t byte = static_cast<uint8_t>(rest_.front());
        rest_.remove_prefix(1);
        return byte;
    }

    // The bytes up to the next separator (which is consumed), or all that is left.
    std::string Text(char separator) {
        size_t end = rest_.find(separator);
        std::string text(rest_.substr(0, end));
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return text;
    }

    std::string Rest() {
        std::string text(rest_);
        rest_ = {};
        return text;
    }

private:
    std::string_view rest_;
};

// Bytes as wide text: each byte one character (Latin-1), which keeps every
// ASCII token of a dictionary whole.
inline std::wstring WideFromBytes(std::string_view bytes) {
    std::wstring wide;
    for (unsigned char c : bytes) wide += static_cast<wchar_t>(c);
    return wide;
}
