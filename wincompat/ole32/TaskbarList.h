// The taskbar list object (CLSID_TaskbarList): ITaskbarList3's progress goes
// to the desktop's launcher; the tab and thumbnail calls have nothing to do.
#pragma once

#include <shobjidl.h>

#include <atomic>

namespace wincompat {

// The class table's entry: a new object, asked for iid.
HRESULT CreateTaskbarListObject(REFIID iid, void** object);

class TaskbarListObject final : public ITaskbarList3 {
public:
    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG STDMETHODCALLTYPE AddRef(void) override;
    ULONG STDMETHODCALLTYPE Release(void) override;

    // ITaskbarList
    HRESULT STDMETHODCALLTYPE HrInit(void) override;
    HRESULT STDMETHODCALLTYPE AddTab(HWND hwnd) override;
    HRESULT STDMETHODCALLTYPE DeleteTab(HWND hwnd) override;
    HRESULT STDMETHODCALLTYPE ActivateTab(HWND hwnd) override;
    HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND hwnd) override;

    // ITaskbarList2
    HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND hwnd, BOOL fFullscreen) override;

    // ITaskbarList3
    HRESULT STDMETHODCALLTYPE SetProgressValue(HWND hwnd, ULONGLONG ullCompleted, ULONGLONG ullTotal) override;
    HRESULT STDMETHODCALLTYPE SetProgressState(HWND hwnd, TBPFLAG tbpFlags) override;
    HRESULT STDMETHODCALLTYPE RegisterTab(HWND hwndTab, HWND hwndMDI) override;
    HRESULT STDMETHODCALLTYPE UnregisterTab(HWND hwndTab) override;
    HRESULT STDMETHODCALLTYPE SetTabOrder(HWND hwndTab, HWND hwndInsertBefore) override;
    HRESULT STDMETHODCALLTYPE SetTabActive(HWND hwndTab, HWND hwndMDI, DWORD dwReserved) override;
    HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND hwnd, UINT cButtons, LPTHUMBBUTTON pButton) override;
    HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND hwnd, UINT cButtons, LPTHUMBBUTTON pButton) override;
    HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND hwnd, HIMAGELIST himl) override;
    HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND hwnd, HICON hIcon, LPCWSTR pszDescription) override;
    HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND hwnd, LPCWSTR pszTip) override;
    HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND hwnd, RECT* prcClip) override;

private:
    ~TaskbarListObject() = default;
    void Publish();

    std::atomic<ULONG> references_{1};
    double progress_ = 0;
    TBPFLAG state_ = TBPF_NOPROGRESS;
};

}  // namespace wincompat
