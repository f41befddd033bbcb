// 7-Zip's archive interfaces as its library lays them out: IUnknown's three
// slots first, then each interface's methods in slot order. No virtual
// destructors anywhere: one would shift every slot.
#pragma once

#include <windows.h>

#include <stdint.h>
#include <string.h>

namespace sevenzip {

typedef WCHAR* BSTR;  // the library's own strings: byte length before, NUL after
typedef uint32_t PROPID;
typedef uint16_t VARTYPE;
typedef int16_t VARIANT_BOOL;

constexpr VARTYPE kVtEmpty = 0;
constexpr VARTYPE kVtBstr = 8;
constexpr VARTYPE kVtBool = 11;
constexpr VARTYPE kVtUi4 = 19;
constexpr VARTYPE kVtUi8 = 21;
constexpr VARTYPE kVtFiletime = 64;

// 16 bytes: the type, three reserved words, an 8-byte value.
struct PropVariant {
    VARTYPE vt;
    uint16_t reserved1;
    uint16_t reserved2;
    uint16_t reserved3;
    union {
        VARIANT_BOOL boolVal;
        uint32_t ulVal;
        uint64_t uhVal;
        FILETIME filetime;
        BSTR bstrVal;
    };
};
static_assert(sizeof(PropVariant) == 16, "the library's PROPVARIANT is 16 bytes");

// Item properties.
constexpr PROPID kpidPath = 3;
constexpr PROPID kpidIsDir = 6;
constexpr PROPID kpidSize = 7;
constexpr PROPID kpidAttrib = 9;
constexpr PROPID kpidMTime = 12;

// Ask modes of IArchiveExtractCallback.
constexpr int32_t kAskExtract = 0;
constexpr int32_t kAskTest = 1;
constexpr int32_t kAskSkip = 2;

// Per-item operation results.
constexpr int32_t kResultOk = 0;
constexpr int32_t kResultUnsupportedMethod = 1;
constexpr int32_t kResultHeadersError = 8;

// {23170F69-40C1-278A-0000-00GG00SS0000}
constexpr GUID LibraryIid(uint8_t group, uint8_t sub) {
    return GUID{0x23170F69, 0x40C1, 0x278A, {0x00, 0x00, 0x00, group, 0x00, sub, 0x00, 0x00}};
}

constexpr GUID kIidIUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr GUID kIidISequentialInStream = LibraryIid(0x03, 0x01);
constexpr GUID kIidISequentialOutStream = LibraryIid(0x03, 0x02);
constexpr GUID kIidIInStream = LibraryIid(0x03, 0x03);
constexpr GUID kIidICryptoGetTextPassword = LibraryIid(0x05, 0x10);
constexpr GUID kIidIInArchive = LibraryIid(0x06, 0x60);
// The 7z format handler's class.
constexpr GUID kClsid7zHandler = {0x23170F69, 0x40C1, 0x278A, {0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00}};

inline bool SameGuid(const GUID& a, const GUID& b) { return memcmp(&a, &b, sizeof(GUID)) == 0; }

struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
};

struct ISequentialInStream : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Read(void* data, uint32_t size, uint32_t* processedSize) = 0;
};

struct IInStream : ISequentialInStream {
    // origin: 0 from the start, 1 from the current position, 2 from the end.
    virtual HRESULT STDMETHODCALLTYPE Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) = 0;
};

struct ISequentialOutStream : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Write(const void* data, uint32_t size, uint32_t* processedSize) = 0;
};

struct IProgress : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetTotal(uint64_t total) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCompleted(const uint64_t* completed) = 0;
};

struct IArchiveOpenCallback : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetTotal(const uint64_t* files, const uint64_t* bytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCompleted(const uint64_t* files, const uint64_t* bytes) = 0;
};

struct IArchiveExtractCallback : IProgress {
    virtual HRESULT STDMETHODCALLTYPE GetStream(uint32_t index, ISequentialOutStream** outStream, int32_t askMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrepareOperation(int32_t askMode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOperationResult(int32_t result) = 0;
};

struct ICryptoGetTextPassword : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CryptoGetTextPassword(BSTR* password) = 0;
};

struct IInArchive : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Open(IInStream* stream, const uint64_t* maxCheckStartPosition,
                                           IArchiveOpenCallback* openCallback) = 0;
    virtual HRESULT STDMETHODCALLTYPE Close() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNumberOfItems(uint32_t* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperty(uint32_t index, PROPID propId, PropVariant* value) = 0;
    // indices null with count 0xFFFFFFFF means every item.
    virtual HRESULT STDMETHODCALLTYPE Extract(const uint32_t* indices, uint32_t count, int32_t testMode,
                                              IArchiveExtractCallback* extractCallback) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetArchiveProperty(PROPID propId, PropVariant* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNumberOfProperties(uint32_t* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyInfo(uint32_t index, BSTR* name, PROPID* propId, VARTYPE* type) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNumberOfArchiveProperties(uint32_t* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetArchivePropertyInfo(uint32_t index, BSTR* name, PROPID* propId,
                                                             VARTYPE* type) = 0;
};

}  // namespace sevenzip
