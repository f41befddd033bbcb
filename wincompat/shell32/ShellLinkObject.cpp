#include "shell32/ShellLinkObject.h"

#include <objbase.h>

#include "shell32/ShellLinkFile.h"
#include "shell32/ShellLinkFormat.h"
#include "prefix/RegistryText.h"

#include <wchar.h>

#include <algorithm>

namespace wincompat {

namespace {

// Copies text into a caller's buffer of cch characters, cut to fit as Windows does.
HRESULT CopyOut(const std::wstring& text, LPWSTR buffer, int cch) {
    if (!buffer || cch <= 0) return E_INVALIDARG;
    size_t length = std::min(text.size(), static_cast<size_t>(cch - 1));
    wmemcpy(buffer, text.data(), length);
    buffer[length] = L'\0';
    return S_OK;
}

// A string data entry counts UTF-16 units in 16 bits.
bool FitsStringData(LPCWSTR text) { return Utf16FromWide(text).size() <= kMaxStringDataUnits; }

}  // namespace

HRESULT CreateShellLinkObject(REFIID iid, void** object) {
    ShellLinkObject* link = new ShellLinkObject();
    HRESULT result = link->QueryInterface(iid, object);
    link->Release();
    return result;
}

HRESULT STDMETHODCALLTYPE ShellLinkObject::QueryInterface(REFIID riid, void** ppvObject) {
    if (!ppvObject) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IShellLinkW))
        *ppvObject = static_cast<IShellLinkW*>(this);
    else if (IsEqualIID(riid, IID_IPersistFile) || IsEqualIID(riid, IID_IPersist))
        *ppvObject = static_cast<IPersistFile*>(this);
    else {
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE ShellLinkObject::AddRef(void) { return ++references_; }

ULONG STDMETHODCALLTYPE ShellLinkObject::Release(void) {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT ShellLinkObject::SetText(std::wstring& field, LPCWSTR text) {
    if (!text) text = L"";
    if (!FitsStringData(text)) return E_INVALIDARG;
    field = text;
    dirty_ = true;
    return S_OK;
}

// IShellLinkW

HRESULT STDMETHODCALLTYPE ShellLinkObject::GetPath(LPWSTR pszFile, int cch, WIN32_FIND_DATAW* pfd, DWORD fFlags) {
    HRESULT result = CopyOut(data_.path, pszFile, cch);
    if (FAILED(result)) return result;
    return data_.path.empty() ? S_FALSE : S_OK;
}

HRESULT STDMETHODCALLTYPE ShellLinkObject::GetIDList(PIDLIST_ABSOLUTE* ppidl) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE ShellLinkObject::SetIDList(PCIDLIST_ABSOLUTE pidl) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE ShellLinkObject::GetDescription(LPWSTR pszName, int cch) {
    return CopyOut(data_.description, pszName, cch);
}
HRESULT STDMETHODCALLTYPE ShellLinkObject::SetDescription(LPCWSTR pszName) {
    return SetText(data_.description, pszName);
}

HRESULT STDMETHODCALLTYPE ShellLinkObject::GetWorkingDirectory(LPWSTR pszDir, int cch) {
    return CopyOut(data_.workingDirectory, pszDir, cch);
}
HRESULT STDMETHODCALLTYPE ShellLinkObject::SetWorkingDirectory(LPCWSTR pszDir) {
    return SetText(data_.workingDirectory, pszDir);
}

HRESULT STDMETHODCALLTYPE ShellLinkObject::GetArguments(LPWSTR pszArgs, int cch) {
    return CopyOut(data_.arguments, pszArgs, cch);
}
HRESULT STDMETHODCALLTYPE ShellLinkObject::SetArguments(LPCWSTR pszArgs) { return SetText(data_.arguments, pszArgs); }

HRESULT STDMETHODCALLTYPE ShellLinkObject::GetHotkey(WORD* pwHotkey) {
    if (!pwHotkey) return E_INVALIDARG;
    *pwHotkey = data_.hotkey;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE ShellLinkObject::SetHotkey(WORD wHotkey) {
    data_.hotkey = wHotkey;
    dirty_ = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ShellLinkObject::GetShowCmd(int* piShowCmd) {
    if (!piShowCmd) return E_INVALIDARG;
    *piShowCmd = data_.showCommand;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE ShellLinkObject::SetShowCmd(int iShowCmd) {
    data_.showCommand = iShowCmd;
    dirty_ = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ShellLinkObject::GetIconLocation(LPWSTR pszIconPath, int cch, int* piIcon) {
    if (!piIcon) return E_INVALIDARG;
    HRESULT result = CopyOut(data_.iconPath, pszIconPath, cch);
    if (SUCCEEDED(result)) *piIcon = data_.iconIndex;
    return result;
}
HRESULT STDMETHODCALLTYPE ShellLinkObject::SetIconLocation(LPCWSTR pszIconPath, int iIcon) {
    HRESULT result = SetText(data_.iconPath, pszIconPath);
    if (SUCCEEDED(result)) data_.iconIndex = iIcon;
    return result;
}

HRESULT STDMETHODCALLTYPE ShellLinkObject::SetRelativePath(LPCWSTR pszPathRel, DWORD dwReserved) {
    return SetText(data_.relativePath, pszPathRel);
}

// Finding a moved target is not offered.
HRESULT STDMETHODCALLTYPE ShellLinkObject::Resolve(HWND hwnd, DWORD fFlags) { return E_NOTIMPL; }

// The path is kept as given; the file gets its full form. Longer paths than
// MAX_PATH are refused, as the shell refuses them.
HRESULT STDMETHODCALLTYPE ShellLinkObject::SetPath(LPCWSTR pszFile) {
    if (!pszFile || wcslen(pszFile) >= MAX_PATH) return E_INVALIDARG;
    data_.path = pszFile;
    dirty_ = true;
    return S_OK;
}

// IPersistFile

HRESULT STDMETHODCALLTYPE ShellLinkObject::GetClassID(CLSID* pClassID) {
    if (!pClassID) return E_POINTER;
    *pClassID = CLSID_ShellLink;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ShellLinkObject::IsDirty(void) { return dirty_ ? S_OK : S_FALSE; }

HRESULT STDMETHODCALLTYPE ShellLinkObject::Load(LPCOLESTR pszFileName, DWORD dwMode) {
    if (!pszFileName) return E_INVALIDARG;
    std::string bytes;
    HRESULT result = ReadLinkFile(pszFileName, bytes);
    if (FAILED(result)) return result;
    ShellLinkData loaded;
    if (!DecodeShellLink(bytes, loaded)) return E_FAIL;
    data_ = loaded;
    currentFile_ = pszFileName;
    dirty_ = false;
    return S_OK;
}

// Without a name, saves to the file last loaded or remembered.
HRESULT STDMETHODCALLTYPE ShellLinkObject::Save(LPCOLESTR pszFileName, BOOL fRemember) {
    std::wstring file = pszFileName ? pszFileName : currentFile_;
    if (file.empty()) return E_INVALIDARG;
    HRESULT result = WriteLinkFile(file.c_str(), EncodeShellLink(data_));
    if (FAILED(result)) return result;
    if (fRemember || !pszFileName) {
        currentFile_ = file;
        dirty_ = false;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ShellLinkObject::SaveCompleted(LPCOLESTR pszFileName) { return S_OK; }

// S_FALSE with no name when the object has no file yet.
HRESULT STDMETHODCALLTYPE ShellLinkObject::GetCurFile(LPOLESTR* ppszFileName) {
    if (!ppszFileName) return E_POINTER;
    *ppszFileName = nullptr;
    if (currentFile_.empty()) return S_FALSE;
    size_t bytes = (currentFile_.size() + 1) * sizeof(WCHAR);
    *ppszFileName = static_cast<LPOLESTR>(CoTaskMemAlloc(bytes));
    if (!*ppszFileName) return E_OUTOFMEMORY;
    wmemcpy(*ppszFileName, currentFile_.c_str(), currentFile_.size() + 1);
    return S_OK;
}

}  // namespace wincompat
