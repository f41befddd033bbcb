// An input stream over bytes already in memory (a resource of the running
// executable), so the archive library can read an archive without a file.
#pragma once

#include "install/SevenZipInterfaces.h"
#include "install/SevenZipUnknownImp.h"

#include <stdint.h>

#include <mutex>

class CInMemoryStream final : public sevenzip::IInStream, public CMyUnknownImp {
public:
    // The bytes must outlive the stream; they are never written.
    CInMemoryStream(const void* bytes, uint64_t size) : bytes_(static_cast<const BYTE*>(bytes)), size_(size) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Read(void* data, uint32_t size, uint32_t* processedSize) override;
    HRESULT STDMETHODCALLTYPE Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) override;

private:
    ~CInMemoryStream() = default;

    std::mutex mutex_;
    const BYTE* bytes_;
    uint64_t size_;
    uint64_t position_ = 0;
};
