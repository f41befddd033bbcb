#include "install/ArchiveOpenCallback.h"

#include "install/SevenZipPassword.h"

using namespace sevenzip;

HRESULT CArchiveOpenCallback::QueryInterface(REFIID iid, void** object) {
    return QueryPasswordInterface(this, iid, object);
}

ULONG CArchiveOpenCallback::Release() {
    const ULONG count = ReleaseReference();
    if (count == 0) delete this;
    return count;
}

HRESULT CArchiveOpenCallback::CryptoGetTextPassword(BSTR* password) {
    try {
        return AnswerPassword(passwordIsDefined_, password_, password);
    } catch (...) {
        return E_OUTOFMEMORY;  // nothing may be thrown back into the library
    }
}
