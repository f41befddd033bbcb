// The product key, the uninstall entry and the application-information key.
#pragma once

#include <string>

class CStepsScript;

bool WriteUninstallRecords(const std::wstring& installFolder);
// Ends with the user configuration file.
bool WriteAppInfo(CStepsScript* script, const std::wstring& installFolder);
