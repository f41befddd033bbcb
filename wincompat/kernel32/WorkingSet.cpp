// The working set of the process: SetProcessWorkingSetSize(process, -1, -1)
// takes out every page that can be brought back without loss, as Windows
// moves them to the standby list. Here those are the pages of the program's
// own image and its loaded libraries that were never written: their
// mappings are private and read-only and the files cannot change under a
// running image, so a later touch maps the same bytes again from the page
// cache. Written pages (relocations, data) and every other mapping stay.
#include <windows.h>

#include "prefix/HostFile.h"

#include <link.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>

#include <set>
#include <string>
#include <string_view>

namespace {

constexpr size_t kSmapsLimit = 64 << 20;

int AddObjectName(dl_phdr_info* info, size_t, void* names) {
    if (info->dlpi_name && info->dlpi_name[0] == '/') static_cast<std::set<std::string>*>(names)->insert(info->dlpi_name);
    return 0;
}

// The files of the loaded image and libraries, as the kernel names them.
std::set<std::string> LoadedObjects() {
    std::set<std::string> names;
    dl_iterate_phdr(AddObjectName, &names);
    char self[4096];
    if (realpath("/proc/self/exe", self)) names.insert(self);
    std::set<std::string> resolved;
    for (const std::string& name : names) {
        char path[4096];
        resolved.insert(realpath(name.c_str(), path) ? std::string(path) : name);
    }
    return resolved;
}

struct Mapping {
    unsigned long start = 0, end = 0;
    bool candidate = false;  // private, read-only, of a loaded object
    bool written = true;     // holds copied-on-write pages (until smaps says otherwise)
};

void Trim(const Mapping& mapping) {
    if (mapping.candidate && !mapping.written && mapping.end > mapping.start)
        madvise(reinterpret_cast<void*>(mapping.start), mapping.end - mapping.start, MADV_DONTNEED);
}

// "start-end perms offset dev inode   path"
Mapping ParseHeader(std::string_view line, const std::set<std::string>& objects) {
    Mapping mapping;
    char* rest = nullptr;
    std::string text(line);
    mapping.start = strtoul(text.c_str(), &rest, 16);
    if (!rest || *rest != '-') return Mapping();
    mapping.end = strtoul(rest + 1, &rest, 16);
    const char* perms = rest + 1;
    if (strlen(perms) < 4) return Mapping();
    const size_t slash = text.find(" /");
    const bool readOnlyPrivate = perms[0] == 'r' && perms[1] == '-' && perms[3] == 'p';
    mapping.candidate = readOnlyPrivate && slash != std::string::npos && objects.count(text.substr(slash + 1)) != 0;
    return mapping;
}

void TrimImagePages() {
    std::string smaps;
    if (!wincompat::ReadHostFile("/proc/self/smaps", smaps, kSmapsLimit)) return;
    const std::set<std::string> objects = LoadedObjects();
    Mapping current;
    std::string_view rest(smaps);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        const bool header = !line.empty() && line.find(':') > line.find(' ');
        if (header) {
            Trim(current);
            current = ParseHeader(line, objects);
        } else if (line.rfind("Anonymous:", 0) == 0) {
            current.written = strtoul(std::string(line.substr(10)).c_str(), nullptr, 10) != 0;
        }
    }
    Trim(current);
}

}  // namespace

extern "C" BOOL WINAPI SetProcessWorkingSetSize(HANDLE process, SIZE_T minimum, SIZE_T maximum) {
    if (process != GetCurrentProcess()) {  // only the process's own working set is kept here
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const SIZE_T none = static_cast<SIZE_T>(-1);
    if ((minimum == none) != (maximum == none) || (minimum != none && minimum > maximum)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // Other sizes are limits Windows treats as hints; nothing is enforced here.
    if (minimum == none) TrimImagePages();
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
