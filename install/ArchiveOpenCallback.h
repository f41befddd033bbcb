// The callback of the archive library's open operation: no progress, and a
// password only when one was defined (the installer never defines one).
#pragma once

#include "install/SevenZipInterfaces.h"
#include "install/SevenZipUnknownImp.h"

#include <string>

class CArchiveOpenCallback final : public sevenzip::IArchiveOpenCallback,
                                   public sevenzip::ICryptoGetTextPassword,
                                   public CMyUnknownImp {
public:
    CArchiveOpenCallback() = default;

    // IUnknown: answers IUnknown and ICryptoGetTextPassword only, both with
    // the password interface.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE SetTotal(const uint64_t* files, const uint64_t* bytes) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetCompleted(const uint64_t* files, const uint64_t* bytes) override { return S_OK; }

    // A copy of the defined password; E_ABORT ("Password is not defined") without one.
    HRESULT STDMETHODCALLTYPE CryptoGetTextPassword(sevenzip::BSTR* password) override;

private:
    ~CArchiveOpenCallback() = default;

    bool passwordIsDefined_ = false;
    std::wstring password_;
};
