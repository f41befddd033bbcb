// The fields of the install report line, and where the report is posted.
#pragma once

#include "report/HttpClient.h"

#include <map>
#include <string>

// Field number to wide text; joined in ascending number order.
class ReportFields {
public:
    static constexpr int kFieldCount = 14;

    // Adds each missing number 0 to 13 with an empty text.
    void EnsureFields();
    // Replaces the text of an existing number; does nothing for an absent one.
    void Set(int number, const std::wstring& text);
    // The texts separated by "|", an empty text written as "0".
    std::wstring Join() const;

private:
    std::map<int, std::wstring> fields_;
};

// The process-wide table, created on first use (thread-safe), kept until exit.
ReportFields& GetReportFields();

// Where the install report goes and how long its request may take.
struct ReportDestination {
    const char* url;
    HttpLimits limits;
};

// SendInstallReport with the destination given (defined in InstallReport.cpp,
// which passes the build's report URL with 10 s / 30 s limits); tests post to
// a server of their own. Returns true in every case.
bool SendInstallReportTo(const ReportDestination& destination);
