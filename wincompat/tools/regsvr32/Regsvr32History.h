// The history of regsvr32 runs on this prefix, so that the order of
// registrations can be seen afterwards: regsvr32.log in the prefix folder
// (beside system.reg), one line per run:
//   register|unregister|invalid <TAB> exit code <TAB> command line
// The command line is GetCommandLineW's, exactly as the starter wrote it.
// Each line is one O_APPEND write, so concurrent runs never mix their lines.
#pragma once

#include <string>

namespace regsvr32 {

void AppendHistory(const char* action, int exitCode, const std::wstring& commandLine);

}  // namespace regsvr32
