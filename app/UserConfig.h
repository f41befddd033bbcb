// The user configuration file (install folder, date, time and channel) and
// the version file in the install folder.
#pragma once

// Adopts the install folder recorded by an earlier install when it still exists.
void LoadPreviousInstallPath();
// Writes the four "Globals" keys, then "Version"/"ver" unless already set.
void WriteUserConfig();
// Today on the local calendar as YYYYMMDD.
int GetLocalDateNumber();
