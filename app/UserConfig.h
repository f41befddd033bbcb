// The user configuration file (install folder, date, time and channel) and
// the version file in the install folder.
#pragma once

#include "app/StepFailure.h"

// Adopts the install folder recorded by an earlier install when it still exists.
void LoadPreviousInstallPath();
// Writes the four "Globals" keys, then "Version"/"ver" unless already set;
// the first key that cannot be written is the failure.
StepResult WriteUserConfig();
// Today on the local calendar as YYYYMMDD.
int GetLocalDateNumber();
