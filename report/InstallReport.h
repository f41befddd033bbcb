// The encrypted install report posted to the statistics endpoint.
#pragma once

class CStepsScript;

bool SendInstallReport(CStepsScript* script);
