#include "install/SevenZipPassword.h"

#include "install/SevenZipDiagnostics.h"
#include "install/SevenZipText.h"

namespace sevenzip {

HRESULT AnswerPassword(bool defined, const std::wstring& password, BSTR* answer) {
    if (!answer) return E_POINTER;
    *answer = nullptr;
    if (!defined) {
        WritePasswordNotDefined();
        return E_ABORT;
    }
    const Library* library = LoadLibraryFunctions();
    if (library) *answer = AllocLibraryString(*library, password);
    return *answer ? S_OK : E_OUTOFMEMORY;
}

HRESULT QueryPasswordInterface(ICryptoGetTextPassword* passwordInterface, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!SameGuid(iid, kIidIUnknown) && !SameGuid(iid, kIidICryptoGetTextPassword)) return E_NOINTERFACE;
    *object = passwordInterface;
    passwordInterface->AddRef();
    return S_OK;
}

}  // namespace sevenzip
