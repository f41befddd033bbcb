#include "install/AppInfoKey.h"

#include "install/KeyAccess.h"

namespace {

LONG OpenFull(const std::wstring& path, HKEY* key) {
    return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, key);
}

}  // namespace

int AppInfoKey::Open() {
    Close();
    std::wstring path = L"SOFTWARE\\" + name_ + L"\\AppInfo";
    if (path.size() >= MAX_PATH) return 1;  // would not fit its 260-character buffer
    if (OpenFull(path, &key_) == ERROR_SUCCESS) return 1;
    LONG again = OpenFull(path, &key_);
    if (again == ERROR_SUCCESS) return 1;
    if (again == ERROR_ACCESS_DENIED) {
        GrantKeyAccessRecursive(HKEY_LOCAL_MACHINE, path.c_str());
        if (OpenFull(path, &key_) == ERROR_SUCCESS) return 1;
    }
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr) != ERROR_SUCCESS)
        key_ = nullptr;
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
    RegSetValueExW(key_, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
    return 1;
}
