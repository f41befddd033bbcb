// Running wincompat's built-in programs through their placeholders in the
// prefix's system folders, as Wine runs its built-ins.
#pragma once

#include <string>

namespace wincompat {

// The unix program that runs when the file found for a command line is
// started: for a placeholder of a built-in program (regsvr32.exe in
// C:\windows\system32 or syswow64) that program in the tools folder, which
// is WINCOMPAT_TOOLS_DIR when set, else the folder the build put it in, so a
// copy of a program anywhere still finds it. Any other file runs as itself.
// False when the built-in program cannot be found.
bool ProgramToRun(const std::string& found, std::string& program);

}  // namespace wincompat
