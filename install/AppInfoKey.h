// The application-information key, HKLM\SOFTWARE\<product>\AppInfo, and its
// three values.
#pragma once

#include "app/StepFailure.h"

#include <windows.h>

#include <string>

class AppInfoKey {
public:
    explicit AppInfoKey(std::wstring productName) : name_(std::move(productName)) {}
    ~AppInfoKey() { Close(); }
    AppInfoKey(const AppInfoKey&) = delete;
    AppInfoKey& operator=(const AppInfoKey&) = delete;

    // Always 1; the key is open afterwards unless it could be neither opened
    // with full access (after granting it, when refused) nor created.
    int Open();
    void Close();
    bool IsOpen() const { return key_ != nullptr; }

    // 1 when the key was open and the write was attempted, 0 otherwise.
    int SetAppPath(const std::wstring& path);
    int SetAppVersion(const std::wstring& version);
    int SetAppSpreaderID(const std::wstring& spreaderId);

    // The first open or write since Open that failed, with the registry's error.
    const StepResult& Failure() const { return failure_; }

private:
    int SetText(const wchar_t* valueName, const std::wstring& text);
    void NoteFailure(const char* action, const std::wstring& object, LONG result);

    HKEY key_ = nullptr;
    std::wstring name_;
    StepResult failure_;
};
