// The classes CoCreateInstance serves in process, each with the function that
// makes an instance and hands out the interface asked for.
#pragma once

#include <objbase.h>

namespace wincompat {

using CreateInstanceFunction = HRESULT (*)(REFIID iid, void** object);

struct ComClass {
    const CLSID* clsid;
    CreateInstanceFunction createInstance;
};

// nullptr for a class this layer does not serve.
const ComClass* FindComClass(REFCLSID clsid);

}  // namespace wincompat
