#include "install/MemoryInStream.h"

#include "install/SevenZipStreamQuery.h"

#include <string.h>

using namespace sevenzip;

HRESULT CInMemoryStream::QueryInterface(REFIID iid, void** object) {
    return QueryStream(this, iid, object, {&kIidISequentialInStream, &kIidIInStream});
}

ULONG CInMemoryStream::Release() {
    const ULONG count = ReleaseReference();
    if (count == 0) delete this;
    return count;
}

HRESULT CInMemoryStream::Read(void* data, uint32_t size, uint32_t* processedSize) {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint64_t available = position_ < size_ ? size_ - position_ : 0;
    const uint32_t count = available < size ? static_cast<uint32_t>(available) : size;
    if (count) memcpy(data, bytes_ + position_, count);
    position_ += count;
    if (processedSize) *processedSize = count;
    return S_OK;
}

// As a file would: a position before the start is refused, one past the end is kept.
HRESULT CInMemoryStream::Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) {
    std::lock_guard<std::mutex> lock(mutex_);
    int64_t base = 0;
    if (origin == FILE_BEGIN) base = 0;
    else if (origin == FILE_CURRENT) base = static_cast<int64_t>(position_);
    else if (origin == FILE_END) base = static_cast<int64_t>(size_);
    else return E_INVALIDARG;
    if (offset < 0 && -offset > base) return E_INVALIDARG;
    position_ = static_cast<uint64_t>(base + offset);
    if (newPosition) *newPosition = position_;
    return S_OK;
}
