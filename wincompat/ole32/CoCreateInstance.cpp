// Object creation for the in-process classes of ComClasses.cpp.
#include <objbase.h>

#include "ole32/ComApartment.h"
#include "ole32/ComClasses.h"

using namespace wincompat;

extern "C" HRESULT WINAPI CoCreateInstance(REFCLSID rclsid, LPUNKNOWN pUnkOuter, DWORD dwClsContext, REFIID riid,
                                           LPVOID* ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!ComInitialisedOnThread()) return CO_E_NOTINITIALIZED;
    const ComClass* entry = FindComClass(rclsid);
    if (!entry || !(dwClsContext & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;  // none of the classes can be aggregated
    return entry->createInstance(riid, ppv);
}
