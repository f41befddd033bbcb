// COM apartments: a per-thread initialisation count and the apartment kind
// the first initialisation chose.
#include <objbase.h>

#include "ole32/ComApartment.h"

namespace {
thread_local int initialisations = 0;
thread_local bool multithreaded = false;
}  // namespace

bool wincompat::ComInitialisedOnThread() { return initialisations > 0; }

extern "C" HRESULT WINAPI CoInitializeEx(LPVOID reserved, DWORD coInit) {
    if (reserved) return E_INVALIDARG;
    bool wantsMultithreaded = (coInit & COINIT_APARTMENTTHREADED) == 0;
    if (initialisations == 0) multithreaded = wantsMultithreaded;
    // A thread stays in the kind of apartment it entered first.
    else if (wantsMultithreaded != multithreaded) return RPC_E_CHANGED_MODE;
    return initialisations++ == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT WINAPI CoInitialize(LPVOID reserved) {
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

extern "C" void WINAPI CoUninitialize(void) {
    if (initialisations > 0) --initialisations;
}
