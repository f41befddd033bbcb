#include "install/PayloadManifest.h"

#include "app/ProductPaths.h"
#include "install/MemoryInStream.h"
#include "install/PayloadFile.h"
#include "install/SevenZipItemPath.h"
#include "install/SevenZipItemProperties.h"
#include "install/SevenZipLibrary.h"
#include "install/SevenZipUnknownImp.h"
#include "install/ComPtr.h"
#include "install/Shortcuts.h"

#include <new>

using namespace sevenzip;
using com::ComPtr;

namespace {

constexpr uint64_t kMaxCheckStartPosition = 1ull << 23;

// Opens without answering for a password: listing never asks the user, and
// an archive with enciphered headers is one the extraction refuses anyway.
class CListingOpenCallback final : public IArchiveOpenCallback, public CMyUnknownImp {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!SameGuid(iid, kIidIUnknown)) return E_NOINTERFACE;
        *object = static_cast<IArchiveOpenCallback*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG count = ReleaseReference();
        if (count == 0) delete this;
        return count;
    }
    HRESULT STDMETHODCALLTYPE SetTotal(const uint64_t*, const uint64_t*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetCompleted(const uint64_t*, const uint64_t*) override { return S_OK; }

private:
    ~CListingOpenCallback() = default;
};

bool AddItems(const Library& library, IInArchive* archive, PayloadManifest& manifest) {
    uint32_t count = 0;
    if (archive->GetNumberOfItems(&count) != S_OK) return false;
    for (uint32_t index = 0; index < count; ++index) {
        std::wstring path;
        if (FAILED(ReadItemPath(library, archive, index, path))) return false;
        if (IsContainedItemPath(path)) manifest.Add(path);
    }
    return true;
}

}  // namespace

void PayloadManifest::Add(const std::wstring& relativePath) {
    std::wstring prefix;
    size_t start = 0;
    while (start <= relativePath.size()) {
        size_t end = relativePath.find_first_of(L"\\/", start);
        if (end == std::wstring::npos) end = relativePath.size();
        if (end > start) {
            if (!prefix.empty()) prefix += L'\\';
            prefix.append(relativePath, start, end - start);
            entries_.insert(prefix);
        }
        start = end + 1;
    }
}

bool PayloadManifest::Contains(const std::wstring& relativePath) const { return entries_.count(relativePath) != 0; }

bool AddArchiveItems(const void* bytes, uint64_t size, PayloadManifest& manifest) {
    const Library* library = LoadLibraryFunctions();
    if (!library || !bytes) return false;
    ComPtr<IInArchive> archive;
    if (library->CreateObject(&kClsid7zHandler, &kIidIInArchive, archive.ReceiveVoid()) != S_OK) return false;
    ComPtr<CInMemoryStream> stream(new (std::nothrow) CInMemoryStream(bytes, size));
    ComPtr<CListingOpenCallback> callback(new (std::nothrow) CListingOpenCallback);
    if (!stream || !callback) return false;
    if (archive->Open(stream.Get(), &kMaxCheckStartPosition, callback.Get()) != S_OK) return false;
    const bool listed = AddItems(*library, archive.Get(), manifest);
    archive->Close();
    return listed;
}

PayloadManifest ReadPayloadManifest() {
    PayloadManifest manifest;
    manifest.Add(VersionFileName);
    manifest.Add(WebsiteShortcutFileName);
    PayloadResource resource;
    if (resource.Bytes()) AddArchiveItems(resource.Bytes(), resource.Size(), manifest);
    return manifest;
}
