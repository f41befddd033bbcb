#include "install/SevenZipItemProperties.h"

#include "install/SevenZipText.h"

namespace sevenzip {

namespace {

// A property value that the library's VariantClear frees when it goes.
class ScopedPropVariant {
public:
    explicit ScopedPropVariant(const Library& library) : library_(library) { value_.vt = kVtEmpty; }
    ~ScopedPropVariant() { library_.VariantClear(&value_); }
    ScopedPropVariant(const ScopedPropVariant&) = delete;
    ScopedPropVariant& operator=(const ScopedPropVariant&) = delete;

    PropVariant* Out() { return &value_; }
    const PropVariant* operator->() const { return &value_; }

private:
    const Library& library_;
    PropVariant value_{};
};

}  // namespace

HRESULT ReadItemPath(const Library& library, IInArchive* archive, uint32_t index, std::wstring& path) {
    ScopedPropVariant value(library);
    if (HRESULT result = archive->GetProperty(index, kpidPath, value.Out()); FAILED(result)) return result;
    if (value->vt == kVtEmpty) path = L"[Content]";
    else if (value->vt == kVtBstr) path = WideFromLibraryText(value->bstrVal);
    else return E_FAIL;
    return S_OK;
}

HRESULT ReadItemAttributes(const Library& library, IInArchive* archive, uint32_t index, DWORD& attributes,
                           bool& defined) {
    ScopedPropVariant value(library);
    if (HRESULT result = archive->GetProperty(index, kpidAttrib, value.Out()); FAILED(result)) return result;
    if (value->vt == kVtEmpty) {
        attributes = 0;
        defined = false;
    } else if (value->vt == kVtUi4) {
        attributes = value->ulVal;
        defined = true;
    } else {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT ReadItemIsFolder(const Library& library, IInArchive* archive, uint32_t index, bool& isFolder) {
    ScopedPropVariant value(library);
    if (HRESULT result = archive->GetProperty(index, kpidIsDir, value.Out()); FAILED(result)) return result;
    if (value->vt == kVtBool) isFolder = value->boolVal != 0;
    else if (value->vt == kVtEmpty) isFolder = false;
    else return E_FAIL;
    return S_OK;
}

HRESULT ReadItemModificationTime(const Library& library, IInArchive* archive, uint32_t index, FILETIME& time,
                                 bool& defined) {
    ScopedPropVariant value(library);
    if (HRESULT result = archive->GetProperty(index, kpidMTime, value.Out()); FAILED(result)) return result;
    if (value->vt == kVtFiletime) {
        time = value->filetime;
        defined = true;
    } else if (value->vt == kVtEmpty) {
        defined = false;
    } else {
        return E_FAIL;
    }
    return S_OK;
}

}  // namespace sevenzip
