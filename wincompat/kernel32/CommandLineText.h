// Windows command-line text: joining arguments with the quoting that
// CommandLineToArgvW undoes, and the process's own command line.
#pragma once

#include <string>
#include <vector>

namespace wincompat {

// Quotes one argument so that CommandLineToArgvW gives it back unchanged.
std::wstring QuoteArgument(const std::wstring& argument);
// The program name is quoted only when it holds white space, as Windows shells do.
std::wstring JoinCommandLine(const std::vector<std::wstring>& arguments);

// Set once by the entry from main()'s arguments.
void SetProcessCommandLine(const std::wstring& text);

}  // namespace wincompat
