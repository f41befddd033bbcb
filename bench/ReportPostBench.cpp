// Times the install report end to end: composing the line, encrypting it and
// posting it to URL, N times; prints the median and the spread.
#include "report/InstallReport.h"

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3 || atoi(argv[2]) <= 0) {
        fprintf(stderr, "usage: report-post-bench URL COUNT\n");
        return 2;
    }
    const ReportDestination destination = {argv[1], {10, 30}};
    std::vector<double> milliseconds;
    for (int i = atoi(argv[2]); i > 0; --i) {
        auto start = std::chrono::steady_clock::now();
        SendInstallReportTo(destination);
        milliseconds.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    auto at = [&](double share) { return milliseconds[static_cast<size_t>(share * (milliseconds.size() - 1))]; };
    printf("report post: %zu posts, median %.3f ms, min %.3f ms, p90 %.3f ms, max %.3f ms\n", milliseconds.size(),
           at(0.5), milliseconds.front(), at(0.9), milliseconds.back());
    return 0;
}
