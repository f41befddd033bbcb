// A step's result as text, so a failed expectation shows the failure line.
#pragma once

#include "app/StepFailure.h"

#include <string>

inline std::string Outcome(const StepResult& result) { return result ? DescribeStepFailure(*result) : "done"; }
