// The operations of wincompat-reg, carried out with the registry functions
// as reg.exe does. Each returns the process exit code: 0 on success, 1 on
// failure with an "ERROR: ..." line on standard error.
#pragma once

#include "reg/RegArguments.h"

namespace regtool {

int RunQuery(const RegArguments& arguments);
int RunAdd(const RegArguments& arguments);
int RunDelete(const RegArguments& arguments);

// Output in UTF-8 with \n line ends.
void Print(const std::wstring& text);
int Fail(const char* message);
int NotFound();

}  // namespace regtool
