// An append-only byte buffer that keeps small content in a built-in area and
// always leaves at least 8 zero bytes after its content.
#pragma once

#include <stdint.h>

class ByteBuffer {
public:
    static constexpr uint32_t kInlineSize = 4096;
    static constexpr uint32_t kTrailingZeros = 8;

    ByteBuffer();
    ~ByteBuffer();
    ByteBuffer(const ByteBuffer&) = delete;
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    // 1 on success; 0 for a null pointer, a count of 0, or when growing fails
    // (the content is then unchanged).
    int Append(const void* bytes, uint32_t count);
    // 1 when count more bytes fit without growing again (growing once now if
    // needed); 0 when growing fails, the content then unchanged.
    int Reserve(uint32_t count);
    // Frees a heap block and empties the buffer.
    void Release();

    const uint8_t* Data() const { return data_; }
    uint32_t Size() const { return size_; }
    uint32_t Capacity() const { return capacity_; }
    bool UsesInlineArea() const { return data_ == inline_; }

private:
    bool Grow(uint64_t needed);

    uint8_t inline_[kInlineSize];
    uint8_t* data_ = nullptr;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
    uint32_t step_ = kInlineSize;
};
