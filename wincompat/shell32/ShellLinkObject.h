// The shell's link object (CLSID_ShellLink): IShellLinkW for the settings,
// IPersistFile to save them as a .lnk file and load them back.
#pragma once

#include <shobjidl.h>

#include "shell32/ShellLinkData.h"

#include <atomic>
#include <string>

namespace wincompat {

// The class table's entry: a new object, asked for iid.
HRESULT CreateShellLinkObject(REFIID iid, void** object);

class ShellLinkObject final : public IShellLinkW, public IPersistFile {
public:
    // IUnknown (both interfaces share one identity and one count)
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef(void) override;
    ULONG STDMETHODCALLTYPE Release(void) override;

    // IShellLinkW
    HRESULT STDMETHODCALLTYPE GetPath(LPWSTR pszFile, int cch, WIN32_FIND_DATAW* pfd, DWORD fFlags) override;
    HRESULT STDMETHODCALLTYPE GetIDList(PIDLIST_ABSOLUTE* ppidl) override;
    HRESULT STDMETHODCALLTYPE SetIDList(PCIDLIST_ABSOLUTE pidl) override;
    HRESULT STDMETHODCALLTYPE GetDescription(LPWSTR pszName, int cch) override;
    HRESULT STDMETHODCALLTYPE SetDescription(LPCWSTR pszName) override;
    HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPWSTR pszDir, int cch) override;
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCWSTR pszDir) override;
    HRESULT STDMETHODCALLTYPE GetArguments(LPWSTR pszArgs, int cch) override;
    HRESULT STDMETHODCALLTYPE SetArguments(LPCWSTR pszArgs) override;
    HRESULT STDMETHODCALLTYPE GetHotkey(WORD* pwHotkey) override;
    HRESULT STDMETHODCALLTYPE SetHotkey(WORD wHotkey) override;
    HRESULT STDMETHODCALLTYPE GetShowCmd(int* piShowCmd) override;
    HRESULT STDMETHODCALLTYPE SetShowCmd(int iShowCmd) override;
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPWSTR pszIconPath, int cch, int* piIcon) override;
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCWSTR pszIconPath, int iIcon) override;
    HRESULT STDMETHODCALLTYPE SetRelativePath(LPCWSTR pszPathRel, DWORD dwReserved) override;
    HRESULT STDMETHODCALLTYPE Resolve(HWND hwnd, DWORD fFlags) override;
    HRESULT STDMETHODCALLTYPE SetPath(LPCWSTR pszFile) override;

    // IPersistFile
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* pClassID) override;
    HRESULT STDMETHODCALLTYPE IsDirty(void) override;
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR pszFileName, DWORD dwMode) override;
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR pszFileName, BOOL fRemember) override;
    HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR pszFileName) override;
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* ppszFileName) override;

private:
    ~ShellLinkObject() = default;  // Release deletes
    HRESULT SetText(std::wstring& field, LPCWSTR text);

    std::atomic<ULONG> references_{1};
    ShellLinkData data_;
    std::wstring currentFile_;
    bool dirty_ = false;
};

}  // namespace wincompat
