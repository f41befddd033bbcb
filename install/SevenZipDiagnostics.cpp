#include "install/SevenZipDiagnostics.h"

#include "install/SevenZipInterfaces.h"

#include <stdio.h>

namespace sevenzip {

namespace {

std::string OemText(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_OEMCP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                   nullptr);
    if (size <= 0) return {};
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_OEMCP, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(), size, nullptr,
                        nullptr);
    return narrow;
}

// Texts of the results 1 to 8.
const char* const kResultTexts[] = {
    "Unsupported Method",
    "Data Error",
    "CRC Failed",
    "Unavailable data",
    "Unexpected end of data",
    "There are some data after the end of the payload data",
    "Is not archive",
    "Headers Error",
};

}  // namespace

void WriteErrorLine(const char* message, const std::wstring& path) {
    printf("Error: %s\n%s\n", message, OemText(path).c_str());
    fflush(stdout);
}

void WriteArchiveTotal(uint64_t total) {
    printf("Archive total size[%llu]\n", static_cast<unsigned long long>(total));
    fflush(stdout);
}

void WritePasswordNotDefined() {
    printf("\nPassword is not defined\n");
    fflush(stdout);
}

void WriteOperationStart(int32_t askMode) {
    if (askMode == kAskTest) printf("Testing     ");
    else if (askMode == kAskSkip) printf("Skipping    ");
    else return;
    fflush(stdout);
}

void WriteOperationResult(int32_t result) {
    if (result == kResultOk) return;
    if (result >= kResultUnsupportedMethod && result <= kResultHeadersError)
        printf("  :  Error : %s", kResultTexts[result - kResultUnsupportedMethod]);
    else
        printf("  :  Error #%d", static_cast<int>(result));
    fflush(stdout);
}

}  // namespace sevenzip
