// Little-endian byte building and reading for the .lnk format.
#pragma once

#include <windef.h>

#include <string>
#include <string_view>

namespace wincompat {

class LinkByteWriter {
public:
    void U8(uint8_t value) { bytes_.push_back(static_cast<char>(value)); }
    void U16(uint16_t value) { Number(value, 2); }
    void U32(uint32_t value) { Number(value, 4); }
    void FileTime(const FILETIME& time) { U32(time.dwLowDateTime), U32(time.dwHighDateTime); }
    void Bytes(std::string_view bytes) { bytes_.append(bytes); }
    void Zeros(size_t count) { bytes_.append(count, '\0'); }
    void PadToEven() { if (bytes_.size() % 2) U8(0); }
    // UTF-16LE code units, no terminator.
    void Utf16(std::u16string_view text) {
        for (char16_t unit : text) U16(unit);
    }
    void PatchU16(size_t offset, uint16_t value) { Patch(offset, value, 2); }
    void PatchU32(size_t offset, uint32_t value) { Patch(offset, value, 4); }

    size_t Size() const { return bytes_.size(); }
    const std::string& Bytes() const { return bytes_; }

private:
    void Number(uint64_t value, int width) {
        for (int i = 0; i < width; ++i) U8(static_cast<uint8_t>(value >> (8 * i)));
    }
    void Patch(size_t offset, uint64_t value, int width) {
        for (int i = 0; i < width; ++i) bytes_[offset + i] = static_cast<char>(value >> (8 * i));
    }
    std::string bytes_;
};

// Reads at an offset; any read past the end marks the reader failed and gives 0.
class LinkByteReader {
public:
    explicit LinkByteReader(std::string_view bytes, size_t offset = 0) : bytes_(bytes), offset_(offset) {}

    uint16_t U16() { return static_cast<uint16_t>(Number(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Number(4)); }
    void Skip(size_t count) { Take(count); }
    std::string Raw(size_t count) { return std::string(Take(count)); }
    std::u16string Utf16(size_t units);
    // Up to the next NUL unit (UTF-16) or byte, which is consumed.
    std::u16string Utf16UntilNul();
    std::string AnsiUntilNul();

    size_t Offset() const { return offset_; }
    bool Ok() const { return ok_; }

private:
    uint64_t Number(int width);
    std::string_view Take(size_t count);

    std::string_view bytes_;
    size_t offset_;
    bool ok_ = true;
};

}  // namespace wincompat
