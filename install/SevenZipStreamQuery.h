// QueryInterface of the stream objects handed to the archive library.
#pragma once

#include "install/SevenZipInterfaces.h"

#include <initializer_list>

namespace sevenzip {

// Answers IUnknown and the given stream interfaces with the object itself.
template <typename Stream>
HRESULT QueryStream(Stream* stream, REFIID iid, void** object, std::initializer_list<const GUID*> iids) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (SameGuid(iid, kIidIUnknown)) {
        *object = stream;
    } else {
        for (const GUID* known : iids)
            if (SameGuid(iid, *known)) *object = stream;
    }
    if (!*object) return E_NOINTERFACE;
    stream->AddRef();
    return S_OK;
}

}  // namespace sevenzip
