// The password answer both archive callbacks give.
#pragma once

#include "install/SevenZipInterfaces.h"

#include <string>

namespace sevenzip {

// A copy of the password made by the library's allocator (E_OUTOFMEMORY when
// that fails); without a defined password, "Password is not defined" on
// standard output and E_ABORT.
HRESULT AnswerPassword(bool defined, const std::wstring& password, BSTR* answer);

// The QueryInterface rule of both callbacks: IUnknown and
// ICryptoGetTextPassword get the password interface and a reference; any
// other identifier gets E_NOINTERFACE and a null result.
HRESULT QueryPasswordInterface(ICryptoGetTextPassword* passwordInterface, REFIID iid, void** object);

}  // namespace sevenzip
