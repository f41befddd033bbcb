#include "install/RegistryRecords.h"

#include "app/UserConfig.h"

// The registry records come with the records' own code; until then only the
// user configuration file of this step is written.
bool WriteUninstallRecords(const std::wstring& installFolder) { return true; }

bool WriteAppInfo(CStepsScript* script, const std::wstring& installFolder) {
    WriteUserConfig();
    return true;
}
