#include "wizard/MainWnd.h"

#include "wizard/CompleteWidget.h"
#include "wizard/ProgressWidget.h"
#include "wizard/SkinFailure.h"
#include "wizard/TaskbarProgress.h"
#include "wizard/WelcomeWidget.h"

using namespace DuiLib;

namespace {

const wchar_t kWelcomePage[] = L"WelcomeWidget";
const wchar_t kProgressPage[] = L"ProgressWidget";
const wchar_t kCompletePage[] = L"CompleteWidget";

}  // namespace

CMainWnd::CMainWnd() = default;

CMainWnd::~CMainWnd() {
    notifications_.Clear();
    pages_.clear();
}

CWidget* CMainWnd::FindPage(const std::wstring& name) const {
    auto found = pages_.find(name);
    return found == pages_.end() ? nullptr : found->second;
}

CWelcomeWidget* CMainWnd::Welcome() const { return static_cast<CWelcomeWidget*>(FindPage(kWelcomePage)); }

CProgressWidget* CMainWnd::Progress() const { return static_cast<CProgressWidget*>(FindPage(kProgressPage)); }

// The builder asks for every tag of the skin that is not a toolkit control;
// the pages are created together on the first request and owned by the tree.
CControlUI* CMainWnd::CreateControl(LPCWSTR className) {
    if (pages_.empty()) {
        pages_[kWelcomePage] = new CWelcomeWidget(this);
        pages_[kProgressPage] = new CProgressWidget(this);
        pages_[kCompletePage] = new CCompleteWidget(this);
    }
    return FindPage(className);
}

void CMainWnd::InitWindow() {
    stepTabLayout_ = dynamic_cast<CTabLayoutUI*>(m_pm.FindControl(L"stepTabLayout"));
    welcomeBackground_ = m_pm.FindControl(L"layoutWelcomeBg");
    progressBackground_ = m_pm.FindControl(L"layoutProgressBg");
    completeBackground_ = m_pm.FindControl(L"layoutCompleteBg");
    // The wizard cannot work without these, nor without its three pages.
    if (!stepTabLayout_ || !welcomeBackground_ || !progressBackground_ || !completeBackground_ || pages_.size() != 3)
        EndWithUnusableSkin(GetSkinFile());
    CreateTaskbarProgress(m_hWnd);
    ShowStep(CWelcomeWidget::kStepIndex);
    // The skin's size includes the panel; the wizard opens without it.
    ExpandCustomPanel(false);
    BuildNotificationTable();
}

// The window is gone: its controls with it. Late install reports find no
// page to touch (they check FindPage), then the message loop ends.
void CMainWnd::OnFinalMessage(HWND window) {
    WindowImplBase::OnFinalMessage(window);
    pages_.clear();
    stepTabLayout_ = nullptr;
    welcomeBackground_ = progressBackground_ = completeBackground_ = nullptr;
    PostQuitMessage(0);
}

void CMainWnd::ShowStep(int stepIndex) {
    if (stepTabLayout_) stepTabLayout_->SelectItem(stepIndex);
    if (stepIndex < 0 || stepIndex > 2) return;
    CControlUI* backgrounds[] = {welcomeBackground_, progressBackground_, completeBackground_};
    for (int i = 0; i < 3; ++i)
        if (backgrounds[i]) backgrounds[i]->SetVisible(i == stepIndex);
}

void CMainWnd::ExpandCustomPanel(bool expand) {
    CWelcomeWidget* welcome = Welcome();
    CControlUI* panel = welcome ? welcome->BottomPanel() : nullptr;
    if (!panel) return;
    int panelHeight = panel->GetFixedHeight();
    if (panelHeight == 0) return;
    panel->SetVisible(expand);
    // The panel button's arrow points where the next click moves the panel.
    if (CControlUI* button = m_pm.FindControl(L"btnCustom"))
        button->SetAttribute(L"normalimage", expand ? L"file='arrow_up.png' dest='90,9,100,15'"
                                                    : L"file='arrow_down.png' dest='90,9,100,15'");
    RECT rect;
    GetWindowRect(m_hWnd, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top + (expand ? panelHeight : -panelHeight);
    SetWindowPos(m_hWnd, HWND_TOP, 0, 0, width, height, SWP_NOMOVE);
}

// Enter starts the install from any step except while it runs; Escape does
// nothing. Neither key is consumed.
LRESULT CMainWnd::ResponseDefaultKeyEvent(WPARAM key) {
    if (key == VK_RETURN && !installing_) StartInstall();
    return FALSE;
}

// The system close command (Alt+F4, the window manager's close button) is
// refused while the install runs; everything else takes the default path.
LRESULT CMainWnd::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled) {
    if ((wParam & 0xFFF0) == SC_CLOSE && installing_) {
        handled = TRUE;
        return 1;
    }
    handled = FALSE;
    return 0;
}

void CMainWnd::Notify(TNotifyUI& msg) {
    if (!notifications_.Dispatch(msg)) WindowImplBase::Notify(msg);
}
