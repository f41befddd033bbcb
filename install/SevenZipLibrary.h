// 7-Zip's archive library ("7z.dll"), loaded once per process: its object
// factory and the string and variant functions whose memory it owns.
#pragma once

#include "install/SevenZipInterfaces.h"

namespace sevenzip {

struct Library {
    using CreateObjectFunction = HRESULT(STDMETHODCALLTYPE*)(const GUID* classId, const GUID* iid, void** object);
    using SysAllocStringFunction = BSTR(STDMETHODCALLTYPE*)(const WCHAR* text);
    using SysFreeStringFunction = void(STDMETHODCALLTYPE*)(BSTR text);
    using VariantClearFunction = HRESULT(STDMETHODCALLTYPE*)(PropVariant* value);

    CreateObjectFunction CreateObject = nullptr;
    SysAllocStringFunction SysAllocString = nullptr;
    SysFreeStringFunction SysFreeString = nullptr;
    VariantClearFunction VariantClear = nullptr;
};

// The loaded library; null when it or one of its functions is missing. The
// first call loads it; the library stays loaded for the life of the process.
const Library* LoadLibraryFunctions();

}  // namespace sevenzip
