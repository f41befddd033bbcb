#include "app/StepFailure.h"

#include "app/AnsiText.h"

#include <stdio.h>

std::string DescribeStepFailure(const StepFailure& failure) {
    char code[16] = {};
    snprintf(code, sizeof(code), failure.error & 0x80000000u ? "0x%08X" : "%u", static_cast<unsigned>(failure.error));
    return std::string("install failed: ") + failure.action + " " + AnsiFromWide(failure.object) + ": error " + code;
}

void ReportStepFailure(const StepFailure& failure) {
    fprintf(stderr, "%s\n", DescribeStepFailure(failure).c_str());
    fflush(stderr);
}
