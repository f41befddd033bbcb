#include "install/AppInfoKey.h"

#include "install/KeyAccess.h"

namespace {

LONG OpenFull(const std::wstring& path, HKEY* key) {
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, key);
}

}  // namespace

int AppInfoKey::Open() {
    Close();
    failure_.reset();
    std::wstring path = L"SOFTWARE\\" + name_ + L"\\AppInfo";
    if (path.size() >= MAX_PATH) return 1;  // would not fit its 260-character buffer
    if (OpenFull(path, &key_) == ERROR_SUCCESS) return 1;
    LONG again = OpenFull(path, &key_);
    if (again == ERROR_SUCCESS) return 1;
    if (again == ERROR_ACCESS_DENIED) {
        GrantKeyAccessRecursive(HKEY_LOCAL_MACHINE, path.c_str());
        if (OpenFull(path, &key_) == ERROR_SUCCESS) return 1;
    }
    LONG created =
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
    if (created != ERROR_SUCCESS) {
        key_ = nullptr;
        NoteFailure("creating", path, created);
    }
    return 1;
}

void AppInfoKey::Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

int AppInfoKey::SetAppPath(const std::wstring& path) { return SetText(L"AppPath", path); }
int AppInfoKey::SetAppVersion(const std::wstring& version) { return SetText(L"AppVersion", version); }
int AppInfoKey::SetAppSpreaderID(const std::wstring& spreaderId) { return SetText(L"AppSpreaderID", spreaderId); }

int AppInfoKey::SetText(const wchar_t* valueName, const std::wstring& text) {
    if (!key_) return 0;
    LONG result = RegSetValueExW(key_, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
    if (result != ERROR_SUCCESS)
        NoteFailure("writing", L"SOFTWARE\\" + name_ + L"\\AppInfo\\" + valueName, result);
    return 1;
}

void AppInfoKey::NoteFailure(const char* action, const std::wstring& object, LONG result) {
    if (!failure_) failure_ = StepFailed(action, L"HKLM\\" + object, static_cast<DWORD>(result));
}
