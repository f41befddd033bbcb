// The product key, the uninstall entry and the application-information key,
// all under HKEY_LOCAL_MACHINE in the process's own (32-bit) view.
#pragma once

#include "app/StepFailure.h"

#include <string>

class CStepsScript;

// The product key with "InstallPath" and the uninstall entry.
StepResult WriteUninstallRecords(const std::wstring& installFolder);

// HKLM\SoftWare\<productKey>\InstallPath, then the uninstall entry named by the
// display name. The first key or value that cannot be opened or written ends
// it with that failure: a refused "SoftWare" or product key writes neither, a
// refused "Uninstall" key only the product key. A text longer than its
// 260-character buffer allows is left unwritten, and that is no failure.
StepResult WriteUninstallEntry(const std::wstring& productKey, const std::wstring& installFolder,
                               const std::wstring& displayName, const std::wstring& website,
                               const std::wstring& launcherPath, const std::wstring& uninstallerPath,
                               const std::wstring& publisher, const std::wstring& version);

// The application-information key, then the user configuration file; the
// first that cannot be written is the failure.
StepResult WriteAppInfo(CStepsScript* script, const std::wstring& installFolder);

// The records on disk (RegFlushKey) before the install counts as done.
StepResult FlushRecords();
