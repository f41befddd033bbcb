// COM apartments: a per-thread initialisation count.
#include <objbase.h>

#include "ole32/ComApartment.h"

namespace {
thread_local int initialisations = 0;
}

bool wincompat::ComInitialisedOnThread() { return initialisations > 0; }

extern "C" HRESULT WINAPI CoInitializeEx(LPVOID reserved, DWORD coInit) {
    if (reserved) return E_INVALIDARG;
    return initialisations++ == 0 ? S_OK : S_FALSE;
}

extern "C" HRESULT WINAPI CoInitialize(LPVOID reserved) {
    return CoInitializeEx(reserved, COINIT_APARTMENTTHREADED);
}

extern "C" void WINAPI CoUninitialize(void) {
    if (initialisations > 0) --initialisations;
}
