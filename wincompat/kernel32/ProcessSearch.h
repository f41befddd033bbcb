// Finding the program a command line names, as CreateProcessW does.
#pragma once

#include <string>

namespace wincompat {

struct ProgramChoice {
    std::string unixPath;
    std::wstring name;      // the program as the command line names it, without quotes
    size_t nameLength = 0;  // characters of the command line that name it, quotes included
};

// Without an application name: a quoted first word is the name. Unquoted, the
// line is cut at each blank in turn ("C:\Program Files (x86)\V\P.exe x" tries
// "C:\Program", "C:\Program Files", ...) and the first cut that names a file
// wins, as on Windows. False when none does.
bool FindProgramOfCommandLine(const std::wstring& commandLine, ProgramChoice& choice);

// One name. When its last element has no extension, name + ".exe" is tried
// first, then the name as given (unix programs have none). A name with a path
// ("\", "/" or a drive) is mapped as it is; a bare name is looked for, as
// Windows does, in
//   1. the folder of the running executable,
//   2. the current folder,
//   3. the system folder, C:\windows\system32 (where the built-in programs'
//      placeholders are: CreateProcessW runs the program one stands for),
//   4. C:\windows,
//   5. the folders of the unix PATH.
bool FindProgram(const std::wstring& name, std::string& unixPath);

}  // namespace wincompat
