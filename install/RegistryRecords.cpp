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
const wchar_t kUninstallPath[] = L"software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::wstring Machine(const std::wstring& path) { return L"HKLM\\" + path; }

// A key of the records, opened or created with full access.
class RecordKey {
public:
    explicit RecordKey(std::wstring path) : path_(std::move(path)) {}

    StepResult Open(HKEY parent, const wchar_t* name) {
        LONG result = RegOpenKeyExW(parent, name, 0, KEY_ALL_ACCESS, key_.receive());
        return Checked("opening", path_, result);
    }
    StepResult Create(HKEY parent, const std::wstring& name) {
        LONG result = RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key_.receive(),
                                      nullptr);
        return Checked("creating", path_, result);
    }
    // Texts are composed in buffers of MAX_PATH characters: one that would
    // not fit, terminator included, is left unwritten on purpose.
    StepResult SetText(const wchar_t* valueName, const std::wstring& text) const {
        if (text.size() >= MAX_PATH) return std::nullopt;
        LONG result = RegSetValueExW(key_.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                     static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
        return Checked("writing", path_ + L"\\" + valueName, result);
    }
    HKEY get() const { return key_.get(); }
    const std::wstring& path() const { return path_; }

private:
    static StepResult Checked(const char* action, const std::wstring& path, LONG result) {
        if (result == ERROR_SUCCESS) return std::nullopt;
        return StepFailed(action, Machine(path), static_cast<DWORD>(result));
    }

    std::wstring path_;
    ScopedKey key_;
};

StepResult WriteProductKey(const std::wstring& productKey, const std::wstring& installFolder) {
    RecordKey software(L"SoftWare");
    if (StepResult failed = software.Open(HKEY_LOCAL_MACHINE, L"SoftWare")) return failed;
    RecordKey product(software.path() + L"\\" + productKey);
    if (StepResult failed = product.Create(software.get(), productKey)) return failed;
    return product.SetText(L"InstallPath", installFolder);
}

}  // namespace

StepResult WriteUninstallEntry(const std::wstring& productKey, const std::wstring& installFolder,
                               const std::wstring& displayName, const std::wstring& website,
                               const std::wstring& launcherPath, const std::wstring& uninstallerPath,
                               const std::wstring& publisher, const std::wstring& version) {
    if (StepResult failed = WriteProductKey(productKey, installFolder)) return failed;
    RecordKey uninstall(kUninstallPath);
    if (StepResult failed = uninstall.Open(HKEY_LOCAL_MACHINE, kUninstallPath)) return failed;
    RecordKey entry(uninstall.path() + L"\\" + displayName);
    if (StepResult failed = entry.Create(uninstall.get(), displayName)) return failed;
    const std::pair<const wchar_t*, std::wstring> values[] = {
        {L"DisplayName", displayName + L" " + version},
        {L"UninstallString", uninstallerPath},
        {L"DisplayIcon", launcherPath},
        {L"DisplayVersion", version},
        {L"Publisher", publisher},
        {L"URLInfoAbout", website},
    };
    for (const auto& [name, text] : values)
        if (StepResult failed = entry.SetText(name, text)) return failed;
    return std::nullopt;
}

StepResult WriteUninstallRecords(const std::wstring& installFolder) {
    std::wstring uninstaller = JoinPath(installFolder, L"Dravenko.exe");
    std::wstring launcher = JoinPath(installFolder, L"Pellamor.exe");
    return WriteUninstallEntry(ProductFolderName, installFolder, kDisplayName,
                               std::wstring(VELMORA_WEBSITE_HOST) + L"/luping", launcher, uninstaller, kPublisher,
                               ProductVersion);
}

StepResult WriteAppInfo(CStepsScript* script, const std::wstring& installFolder) {
    AppInfoKey appInfo(ProductFolderName);
    appInfo.Open();
    appInfo.SetAppSpreaderID(GetOption(L"Qid"));
    appInfo.SetAppPath(installFolder);
    appInfo.SetAppVersion(ProductVersion);
    appInfo.Close();
    if (StepResult failed = appInfo.Failure()) return failed;
    return WriteUserConfig();
}

StepResult FlushRecords() {
    LONG status = RegFlushKey(HKEY_LOCAL_MACHINE);
    if (status != ERROR_SUCCESS) return StepFailed("flushing", L"HKLM", static_cast<DWORD>(status));
    return std::nullopt;
}
