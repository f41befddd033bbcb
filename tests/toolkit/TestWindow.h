// A skinned window for toolkit tests that records what reaches its hooks.
#pragma once

#include <string>
#include <vector>

#include "toolkit/UIlib.h"

class TestWindow : public DuiLib::WindowImplBase {
public:
    explicit TestWindow(std::wstring skinFile = L"Main.xml") : m_skinFile(std::move(skinFile)) {}

    // "init", "notify:<type>:<sender>", "key:<code>", "syscommand:<code>",
    // "close:<wParam>", "app:<message>", "final" in the order they happened.
    std::vector<std::wstring> events;
    DuiLib::CPaintManagerUI& Manager() { return m_pm; }
    void ClearEvents() { events.clear(); }

protected:
    LPCWSTR GetWindowClassName() const override { return L"VelmoraToolkitTestWindow"; }
    std::wstring GetSkinFile() override { return m_skinFile; }
    void InitWindow() override { events.push_back(L"init"); }
    void Notify(DuiLib::TNotifyUI& msg) override {
        events.push_back(L"notify:" + msg.sType + L":" + (msg.pSender ? msg.pSender->GetName() : L""));
        WindowImplBase::Notify(msg);
    }
    LRESULT ResponseDefaultKeyEvent(WPARAM key) override {
        events.push_back(L"key:" + std::to_wstring(key));
        return FALSE;
    }
    LRESULT OnSysCommand(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled) override {
        events.push_back(L"syscommand:" + std::to_wstring(wParam));
        return WindowImplBase::OnSysCommand(msg, wParam, lParam, handled);
    }
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        if (msg == WM_CLOSE) events.push_back(L"close:" + std::to_wstring(wParam));
        if (msg >= WM_APP && msg < WM_APP + 100) events.push_back(L"app:" + std::to_wstring(msg - WM_APP));
        return WindowImplBase::HandleMessage(msg, wParam, lParam);
    }
    void OnFinalMessage(HWND window) override {
        WindowImplBase::OnFinalMessage(window);
        events.push_back(L"final");
    }

private:
    std::wstring m_skinFile;
};
