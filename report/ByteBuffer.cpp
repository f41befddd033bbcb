#include "report/ByteBuffer.h"

#include <stdlib.h>
#include <string.h>

ByteBuffer::ByteBuffer() { memset(inline_, 0, sizeof(inline_)); }

ByteBuffer::~ByteBuffer() { Release(); }

int ByteBuffer::Append(const void* bytes, uint32_t count) {
    if (!bytes || count == 0) return 0;
    uint64_t needed = uint64_t(size_) + count + kTrailingZeros;
    if (needed > capacity_ && !Grow(needed)) return 0;
    memcpy(data_ + size_, bytes, count);
    size_ += count;
    return 1;
}

int ByteBuffer::Reserve(uint32_t count) {
    uint64_t needed = uint64_t(size_) + count + kTrailingZeros;
    return needed <= capacity_ || Grow(needed) ? 1 : 0;
}

void ByteBuffer::Release() {
    if (data_ && data_ != inline_) free(data_);
    data_ = nullptr;
    size_ = 0;
    capacity_ = 0;
}

bool ByteBuffer::Grow(uint64_t needed) {
    // Whole steps past what is needed, so the capacity stays a multiple of the step.
    uint64_t capacity = capacity_ + uint64_t(step_) * ((needed - capacity_) / step_ + 1);
    if (capacity > UINT32_MAX) return false;
    if (!data_) {
        if (capacity <= kInlineSize) {
            memset(inline_, 0, sizeof(inline_));
            data_ = inline_;
            capacity = kInlineSize;
        } else {
            auto* block = static_cast<uint8_t*>(calloc(1, capacity));
            if (!block) return false;
            data_ = block;
        }
        size_ = 0;
    } else if (data_ == inline_) {
        auto* block = static_cast<uint8_t*>(calloc(1, capacity));
        if (!block) return false;
        memcpy(block, inline_, size_);
        data_ = block;
    } else {
        auto* block = static_cast<uint8_t*>(realloc(data_, capacity));
        if (!block) return false;
        memset(block + size_, 0, capacity - size_);
        data_ = block;
    }
    capacity_ = static_cast<uint32_t>(capacity);
    return true;
}
