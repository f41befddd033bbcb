#include "report/InstallReport.h"

// The report comes with the HTTP client; until then nothing is sent.
bool SendInstallReport(CStepsScript* script) { return true; }
