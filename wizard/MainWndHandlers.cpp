// The notification table of the main window and the handlers it names.
#include "wizard/MainWnd.h"

#include "app/InstallOptions.h"
#include "app/ProductPaths.h"
#include "install/ProductProcesses.h"
#include "wizard/WelcomeWidget.h"

#include "BuildConfig.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

using namespace DuiLib;

void CMainWnd::BuildNotificationTable() {
    auto bind = [this](void (CMainWnd::*handler)(TNotifyUI&)) {
        return [this, handler](TNotifyUI& msg) { (this->*handler)(msg); };
    };
    notifications_.Assign(L"click", {
                                        {L"btnMin", bind(&CMainWnd::Minimise)},
                                        {L"btnClose", bind(&CMainWnd::CloseWizard)},
                                        {L"btnStepInstall", [this](TNotifyUI&) { StartInstall(); }},
                                        {L"btnInstallComplete", bind(&CMainWnd::FinishWizard)},
                                        {L"btnProtocol", bind(&CMainWnd::OpenAgreement)},
                                        {L"btnPivate", bind(&CMainWnd::OpenPrivacy)},
                                        {L"btnCustom", bind(&CMainWnd::ToggleCustomPanel)},
                                        {L"btnBrowserPath", bind(&CMainWnd::BrowseInstallFolder)},
                                    });
    notifications_.Assign(L"selectchanged", {
                                                {L"checkboxProtocol", bind(&CMainWnd::AgreementChanged)},
                                                {L"checkCreateStartmenu", bind(&CMainWnd::StartmenuChanged)},
                                                {L"checkCreateDesktop", bind(&CMainWnd::DesktopChanged)},
                                            });
}

// Minimising goes through the system-command path like the window manager's.
void CMainWnd::Minimise(TNotifyUI&) { SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0); }

void CMainWnd::CloseWizard(TNotifyUI&) { Close(1); }

// Starts the installed launcher when it is there, then closes in any case.
void CMainWnd::FinishWizard(TNotifyUI&) {
    std::wstring launcher = JoinPath(GetOption(L"InstallPath") + L"\\", LauncherFileName);
    if (PathFileExistsW(launcher.c_str())) RunCommandLine((launcher + L" ").c_str(), true);
    Close(0);
}

void CMainWnd::OpenAgreement(TNotifyUI&) {
    ShellExecuteW(nullptr, L"open", VELMORA_WEBSITE_HOST L"/agree.html", nullptr, nullptr, SW_SHOWNORMAL);
}

void CMainWnd::OpenPrivacy(TNotifyUI&) {
    ShellExecuteW(nullptr, L"open", VELMORA_WEBSITE_HOST L"/privacy.html", nullptr, nullptr, SW_SHOWNORMAL);
}

void CMainWnd::ToggleCustomPanel(TNotifyUI&) {
    customPanelExpanded_ = !customPanelExpanded_;
    ExpandCustomPanel(customPanelExpanded_);
}

void CMainWnd::BrowseInstallFolder(TNotifyUI&) {
    BROWSEINFOW info = {};
    info.hwndOwner = GetForegroundWindow();
    info.lpszTitle = L"请选择安装路径";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_UAHINT;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
    if (!item) return;
    wchar_t path[MAX_PATH] = {};
    SHGetPathFromIDListW(item, path);
    CoTaskMemFree(item);
    CWelcomeWidget* welcome = Welcome();
    if (path[0] && welcome) welcome->ApplyBrowsedFolder(path);
}

void CMainWnd::AgreementChanged(TNotifyUI&) {
    if (CWelcomeWidget* welcome = Welcome()) welcome->UpdateInstallButton();
}

void CMainWnd::StartmenuChanged(TNotifyUI&) {
    if (CWelcomeWidget* welcome = Welcome()) welcome->SaveStartmenuChoice();
}

void CMainWnd::DesktopChanged(TNotifyUI&) {
    if (CWelcomeWidget* welcome = Welcome()) welcome->SaveDesktopChoice();
}
