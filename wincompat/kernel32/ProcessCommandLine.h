// Handing a child its exact Windows command line. A unix child gets only an
// argument vector, from which the command line would come back re-quoted and
// without trailing blanks; so CreateProcessW also passes the text itself in
// WINCOMPAT_COMMAND_LINE ("<n>:<text>", the first n characters naming the
// program), and GetCommandLineW of a wincompat child prefers it.
#pragma once

#include <string>
#include <vector>

namespace wincompat {

// "WINCOMPAT_COMMAND_LINE=..." for a child's environment.
std::string CommandLineVariable(const std::wstring& commandLine, size_t nameLength);

// The arguments after the program's name, split as CommandLineToArgvW splits them.
std::vector<std::wstring> ArgumentsAfterName(const std::wstring& commandLine, size_t nameLength);

// The inherited command line when its arguments are those of `own` (this
// process's command line rebuilt from its argument vector), else `own`. The
// check keeps a grandchild that inherited the variable from taking it.
std::wstring InheritedCommandLine(const std::wstring& own);

}  // namespace wincompat
