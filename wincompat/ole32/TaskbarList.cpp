#include "ole32/TaskbarList.h"

#include "ole32/LauncherProgress.h"

#include <objbase.h>

namespace wincompat {

HRESULT CreateTaskbarListObject(REFIID iid, void** object) {
    auto* list = new TaskbarListObject;
    HRESULT result = list->QueryInterface(iid, object);
    list->Release();
    return result;
}

HRESULT STDMETHODCALLTYPE TaskbarListObject::QueryInterface(REFIID riid, void** ppvObject) {
    if (!ppvObject) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_ITaskbarList) || IsEqualIID(riid, IID_ITaskbarList2) ||
        IsEqualIID(riid, IID_ITaskbarList3)) {
        *ppvObject = static_cast<ITaskbarList3*>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TaskbarListObject::AddRef(void) { return ++references_; }

ULONG STDMETHODCALLTYPE TaskbarListObject::Release(void) {
    ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE TaskbarListObject::HrInit(void) { return S_OK; }
HRESULT STDMETHODCALLTYPE TaskbarListObject::AddTab(HWND hwnd) { return S_OK; }
HRESULT STDMETHODCALLTYPE TaskbarListObject::DeleteTab(HWND hwnd) { return S_OK; }
HRESULT STDMETHODCALLTYPE TaskbarListObject::ActivateTab(HWND hwnd) { return S_OK; }
HRESULT STDMETHODCALLTYPE TaskbarListObject::SetActiveAlt(HWND hwnd) { return S_OK; }
HRESULT STDMETHODCALLTYPE TaskbarListObject::MarkFullscreenWindow(HWND hwnd, BOOL fFullscreen) { return S_OK; }

// As on Windows, a value shown while there is no progress (or an
// indeterminate one) turns the progress into a normal one.
HRESULT STDMETHODCALLTYPE TaskbarListObject::SetProgressValue(HWND hwnd, ULONGLONG ullCompleted, ULONGLONG ullTotal) {
    if (ullTotal == 0) return E_INVALIDARG;
    progress_ = ullCompleted >= ullTotal ? 1.0 : static_cast<double>(ullCompleted) / static_cast<double>(ullTotal);
    if (state_ == TBPF_NOPROGRESS || state_ == TBPF_INDETERMINATE) state_ = TBPF_NORMAL;
    Publish();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TaskbarListObject::SetProgressState(HWND hwnd, TBPFLAG tbpFlags) {
    state_ = tbpFlags;
    Publish();
    return S_OK;
}

void TaskbarListObject::Publish() { PublishLauncherProgress(progress_, state_ != TBPF_NOPROGRESS); }

HRESULT STDMETHODCALLTYPE TaskbarListObject::RegisterTab(HWND hwndTab, HWND hwndMDI) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TaskbarListObject::UnregisterTab(HWND hwndTab) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TaskbarListObject::SetTabOrder(HWND hwndTab, HWND hwndInsertBefore) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TaskbarListObject::SetTabActive(HWND hwndTab, HWND hwndMDI, DWORD dwReserved) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TaskbarListObject::ThumbBarAddButtons(HWND hwnd, UINT cButtons, LPTHUMBBUTTON pButton) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TaskbarListObject::ThumbBarUpdateButtons(HWND hwnd, UINT cButtons, LPTHUMBBUTTON pButton) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE TaskbarListObject::ThumbBarSetImageList(HWND hwnd, HIMAGELIST himl) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE TaskbarListObject::SetOverlayIcon(HWND hwnd, HICON hIcon, LPCWSTR pszDescription) {
    return S_OK;
}
HRESULT STDMETHODCALLTYPE TaskbarListObject::SetThumbnailTooltip(HWND hwnd, LPCWSTR pszTip) { return S_OK; }
HRESULT STDMETHODCALLTYPE TaskbarListObject::SetThumbnailClip(HWND hwnd, RECT* prcClip) { return S_OK; }

}  // namespace wincompat
