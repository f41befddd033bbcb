// POST /Tj/ins_detail: every request is checked and stored, accepted or not.
#pragma once

#include "ReportStore.h"

#include <httplib.h>

constexpr char kReportPath[] = "/Tj/ins_detail";
constexpr size_t kMaxBodyBytes = 64 * 1024;

// Answers 200 "ok" for an accepted report, 400 for a rejected one, 413 for a
// body over kMaxBodyBytes and 500 when the row could not be stored.
void AddReportEndpoint(httplib::Server& server, ReportStore& store);
