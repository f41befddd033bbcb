// The encrypted install report posted to the statistics endpoint.
#pragma once

#include "report/HttpClient.h"

class CStepsScript;

// Posts the report to the build's report URL, with a 10 s connection and a
// 30 s request limit so that a silent server never holds the install up.
// Returns true in every case: the outcome of a report is ignored.
bool SendInstallReport(CStepsScript* script);

// Where the install report goes and how long its request may take.
struct ReportDestination {
    const char* url;
    HttpLimits limits;
};

// SendInstallReport with the destination given; tests post to a server of their own.
bool SendInstallReportTo(const ReportDestination& destination);

