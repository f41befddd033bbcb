// Why an install step could not do its work: what it was doing, on what
// (a file, a folder, a registry value) and the Windows error. Steps return it
// as their result; the install turns the first one into its failure line.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

struct StepFailure {
    const char* action;   // "writing", "creating the folder", "opening the archive", ...
    std::wstring object;  // a Windows path, or HKLM\<key>\<value>
    DWORD error;          // GetLastError() or the registry call's result
};

// Nothing when the step did its work.
using StepResult = std::optional<StepFailure>;

inline StepResult StepFailed(const char* action, std::wstring object, DWORD error) {
    return StepFailure{action, std::move(object), error};
}

// The Windows error an HRESULT carries, or the HRESULT itself when it is not
// one of the Windows errors.
inline DWORD ErrorOfResult(HRESULT result) {
    return HRESULT_FACILITY(result) == FACILITY_WIN32 ? HRESULT_CODE(result) : static_cast<DWORD>(result);
}

// "install failed: writing C:\users\Public\Temp\step_Velmora.tmp: error 112";
// an HRESULT is written in hexadecimal ("error 0x80004005").
std::string DescribeStepFailure(const StepFailure& failure);

// Writes that line on standard error: a silent install shows nothing else.
void ReportStepFailure(const StepFailure& failure);
