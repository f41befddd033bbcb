#include "install/StepsScript.h"

#include "app/AnsiText.h"
#include "app/InstallFolderCheck.h"
#include "install/FolderRights.h"
#include "install/InstallerComposer.h"
#include "install/PayloadExtraction.h"
#include "install/PayloadFile.h"
#include "install/PayloadManifest.h"
#include "install/ProductProcesses.h"
#include "install/RegistryRecords.h"
#include "install/ShellExtensions.h"
#include "install/Shortcuts.h"
#include "report/InstallReport.h"

#include <windows.h>
#include <shlwapi.h>
#include <stdio.h>

namespace {

// One line on standard error: a silent install shows nothing else, and the
// wizard has already refused such a folder with its own message.
void ReportRefusedFolder(const std::wstring& path, InstallFolderVerdict verdict) {
    fprintf(stderr, "Install folder refused (%s): %s\n", DescribeInstallFolderVerdict(verdict),
            AnsiFromWide(path).c_str());
    fflush(stderr);
}

}  // namespace

CStepsScript::CStepsScript() : options_(GetInstallOptions()) {}

bool CStepsScript::Fail() {
    failed_ = true;
    composer_->PostState(eStateInstallFailed);
    return false;
}

bool CStepsScript::Fail(const StepFailure& failure) {
    ReportStepFailure(failure);
    return Fail();
}

bool CStepsScript::Run() {
    failed_ = completed_ = false;
    if (!options_) return Fail(StepFailure{"reading", L"the install options", ERROR_NOT_ENOUGH_MEMORY});
    composer_->PostProgress(L"正在检查安装环境...", 0);
    PayloadFile payload;
    const std::wstring installPath = GetOption(L"InstallPath");
    if (InstallFolderVerdict verdict = CheckInstallFolder(installPath); verdict != InstallFolderVerdict::Acceptable) {
        ReportRefusedFolder(installPath, verdict);
        return Fail();
    }
    // Every step gets the folder with a backslash appended, even after one.
    std::wstring installFolder = installPath + L"\\";
    if (!PathFileExistsW(installFolder.c_str()) && !CreateDirectoryW(installFolder.c_str(), nullptr))
        return Fail(StepFailure{"creating the folder", installPath, GetLastError()});
    // The entries that are the install's own; nothing else in the folder is touched.
    const PayloadManifest owned = ReadPayloadManifest();
    StopProductProcesses();
    GrantEveryoneOnTree(installFolder, owned);
    UnregisterShellExtensions(installFolder);

    composer_->PostProgress(L"正在创建解压文件...", 0);
    // The start-up's pages (among them the libraries of a window a silent
    // install never opens) are given back before the payload is held.
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
    if (StepResult failed = payload.WriteFromResource()) return Fail(*failed);
    composer_->PostProgress(L"开始解压文件...", 0);
    if (StepResult failed = ExtractPayload(payload, installFolder, this)) return Fail(*failed);
    GrantEveryoneOnTree(installFolder, owned);
    composer_->PostProgress(L"解压文件完成,正在写入安装环境,请稍后...", 100);

    RegisterShellExtensions(installFolder);
    if (StepResult failed = WriteRecords(installFolder)) return Fail(*failed);
    SendInstallReport(this);
    completed_ = true;
    composer_->PostComplete();
    return true;
}

// Shortcuts, the machine's records and the user's configuration, then all of
// it on disk: the first that cannot be written fails the install.
StepResult CStepsScript::WriteRecords(const std::wstring& installFolder) {
    if (StepResult failed = CreateShortcuts(this, installFolder)) return failed;
    if (StepResult failed = WriteUninstallRecords(installFolder)) return failed;
    if (StepResult failed = WriteAppInfo(this, installFolder)) return failed;
    return FlushRecords();
}
