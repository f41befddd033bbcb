#include "install/RegistryRecords.h"

#include "BuildConfig.h"
#include "app/InstallOptions.h"
#include "app/ProductPaths.h"
#include "app/UserConfig.h"
#include "install/AppInfoKey.h"
#include "install/KeyAccess.h"

#include <windows.h>

namespace {

const wchar_t kDisplayName[] = L"Orvanti文件数据恢复";
const wchar_t kPublisher[] = L"ORVANTI";

// Texts are composed in buffers of MAX_PATH characters: one that would not
// fit, terminator included, is left unwritten.
void SetText(HKEY key, const wchar_t* valueName, const std::wstring& text) {
    if (text.size() >= MAX_PATH) return;
    RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
}

LONG OpenFull(HKEY parent, const wchar_t* path, ScopedKey& key) {
    return RegOpenKeyExW(parent, path, 0, KEY_ALL_ACCESS, key.receive());
}

LONG CreateFull(HKEY parent, const std::wstring& name, ScopedKey& key) {
    return RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.receive(), nullptr);
}

}  // namespace

void WriteUninstallEntry(const std::wstring& productKey, const std::wstring& installFolder,
                         const std::wstring& displayName, const std::wstring& website,
                         const std::wstring& launcherPath, const std::wstring& uninstallerPath,
                         const std::wstring& publisher, const std::wstring& version) {
    ScopedKey software, product;
    if (OpenFull(HKEY_LOCAL_MACHINE, L"SoftWare", software) != ERROR_SUCCESS) return;
    if (CreateFull(software.get(), productKey, product) != ERROR_SUCCESS) return;
    SetText(product.get(), L"InstallPath", installFolder);

    ScopedKey uninstall, entry;
    if (OpenFull(HKEY_LOCAL_MACHINE, L"software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", uninstall) !=
        ERROR_SUCCESS)
        return;
    if (CreateFull(uninstall.get(), displayName, entry) != ERROR_SUCCESS) return;
    SetText(entry.get(), L"DisplayName", displayName + L" " + version);
    SetText(entry.get(), L"UninstallString", uninstallerPath);
    SetText(entry.get(), L"DisplayIcon", launcherPath);
    SetText(entry.get(), L"DisplayVersion", version);
    SetText(entry.get(), L"Publisher", publisher);
    SetText(entry.get(), L"URLInfoAbout", website);
}

bool WriteUninstallRecords(const std::wstring& installFolder) {
    std::wstring uninstaller = JoinPath(installFolder, L"Dravenko.exe");
    std::wstring launcher = JoinPath(installFolder, L"Pellamor.exe");
    WriteUninstallEntry(ProductFolderName, installFolder, kDisplayName, std::wstring(VELMORA_WEBSITE_HOST) + L"/luping",
                        launcher, uninstaller, kPublisher, ProductVersion);
    return true;
}

bool WriteAppInfo(CStepsScript* script, const std::wstring& installFolder) {
    AppInfoKey appInfo(ProductFolderName);
    appInfo.Open();
    appInfo.SetAppSpreaderID(GetOption(L"Qid"));
    appInfo.SetAppPath(installFolder);
    appInfo.SetAppVersion(ProductVersion);
    appInfo.Close();
    WriteUserConfig();
    return true;
}
