// process-probe: a child for the process tests. It reports what it was
// started with, one "name=value" line each, to the file named in
// PROBE_REPORT (standard output may be /dev/null) or else to standard output:
//   argv.N=...        its unix arguments after the program name
//   cmdline=...       GetCommandLineW
//   cwd=..., prefix=..., env.NAME=... (for each NAME in PROBE_ENV, comma-separated)
//   fd.N=target       every open descriptor
// Then, by its first argument: "exit N" exits with N, "sleep S" sleeps S
// seconds, "abort" aborts, "snapshot" walks a toolhelp snapshot and reports
// "entries=N" and "self=1" when it lists this process, "machine" reports
// "machine=ACP MAJOR.MINOR.BUILD PROCESSORS"; anything else exits with 0.
#include <windows.h>
#include <tlhelp32.h>

#include "prefix/Prefix.h"

#include <dirent.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>

namespace {

void ReportDescriptors(FILE* out) {
    DIR* folder = opendir("/proc/self/fd");
    if (!folder) return;
    while (dirent* entry = readdir(folder)) {
        if (entry->d_name[0] == '.') continue;
        char target[PATH_MAX] = {};
        std::string link = std::string("/proc/self/fd/") + entry->d_name;
        if (readlink(link.c_str(), target, sizeof(target) - 1) > 0) fprintf(out, "fd.%s=%s\n", entry->d_name, target);
    }
    closedir(folder);
}

void ReportEnvironment(FILE* out) {
    const char* names = getenv("PROBE_ENV");
    std::string list = names ? names : "";
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        std::string name = list.substr(start, end - start);
        const char* value = getenv(name.c_str());
        fprintf(out, "env.%s=%s\n", name.c_str(), value ? value : "(unset)");
        start = end + 1;
    }
}

void Report(int argc, char** argv) {
    const char* reportPath = getenv("PROBE_REPORT");
    FILE* out = reportPath ? fopen(reportPath, "we") : stdout;
    if (!out) return;
    for (int i = 1; i < argc; ++i) fprintf(out, "argv.%d=%s\n", i, argv[i]);
    fprintf(out, "cmdline=%s\n", wincompat::Utf8FromWide(GetCommandLineW()).c_str());
    char cwd[PATH_MAX] = {};
    fprintf(out, "cwd=%s\n", getcwd(cwd, sizeof(cwd)) ? cwd : "");
    const char* prefix = getenv("WINCOMPAT_PREFIX");
    fprintf(out, "prefix=%s\n", prefix ? prefix : "");
    ReportEnvironment(out);
    ReportDescriptors(out);
    fprintf(out, "end=1\n");
    if (out != stdout) fclose(out);
}

void ReportMachine() {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExW(&version);
    SYSTEM_INFO system{};
    GetSystemInfo(&system);
    printf("machine=%u %lu.%lu.%lu %lu\n", GetACP(), static_cast<unsigned long>(version.dwMajorVersion),
           static_cast<unsigned long>(version.dwMinorVersion), static_cast<unsigned long>(version.dwBuildNumber),
           static_cast<unsigned long>(system.dwNumberOfProcessors));
}

// Walks one process snapshot; 1 when it cannot be taken.
int ReportSnapshot() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 1;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    int entries = 0;
    bool self = false;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        ++entries;
        self = self || entry.th32ProcessID == GetCurrentProcessId();
    }
    CloseHandle(snapshot);
    printf("entries=%d\nself=%d\n", entries, self ? 1 : 0);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Report(argc, argv);
    std::string action = argc > 1 ? argv[1] : "";
    if (action == "exit" && argc > 2) return atoi(argv[2]);
    if (action == "sleep" && argc > 2) sleep(static_cast<unsigned>(atoi(argv[2])));
    if (action == "abort") abort();
    if (action == "snapshot") return ReportSnapshot();
    if (action == "machine") ReportMachine();
    return 0;
}
