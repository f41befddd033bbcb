// The archive library's view of our files: an input stream over the archive
// file and an output stream over each extracted file, both over kernel32
// file handles. The library calls them from its worker threads; each call
// holds the stream's lock.
#pragma once

#include "install/SevenZipInterfaces.h"
#include "install/SevenZipUnknownImp.h"

#include <mutex>
#include <string>

class CInFileStream final : public sevenzip::IInStream, public CMyUnknownImp {
public:
    CInFileStream() = default;

    // GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING.
    bool Open(const std::wstring& path);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Read(void* data, uint32_t size, uint32_t* processedSize) override;
    HRESULT STDMETHODCALLTYPE Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) override;

private:
    ~CInFileStream();

    std::mutex mutex_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

class COutFileStream final : public sevenzip::ISequentialOutStream, public CMyUnknownImp {
public:
    COutFileStream() = default;

    // GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL.
    bool Create(const std::wstring& path);
    // The last-write time; creation and access times stay as they are.
    bool SetMTime(const FILETIME& time);
    // False when closing reports an error (the data may not have reached the file).
    bool Close();

    // Bytes written since the creator last reset the count.
    uint64_t ProcessedSize() const;
    void ResetProcessedSize();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE Write(const void* data, uint32_t size, uint32_t* processedSize) override;

private:
    ~COutFileStream();

    mutable std::mutex mutex_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    uint64_t processedSize_ = 0;
};
