// The working set of the process: SetProcessWorkingSetSize(process, -1, -1)
// takes out every page that can be brought back without loss, as Windows
// moves them to the standby list. Here those are the pages of the program's
// own image and its loaded libraries that were never written: their
// read-only segments, whose files cannot change under a running image, so a
// later touch maps the same bytes again from the page cache. Written pages
// (relocations, data) and every other mapping stay.
#include <windows.h>

#include "prefix/HostFile.h"

#include <elf.h>
#include <link.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <unistd.h>

#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr size_t kSmapsLimit = 64 << 20;

struct Range {
    uintptr_t start, end;
};

// The mappings holding copied-on-write pages (smaps' "Anonymous:" above 0):
// a read-only segment that was ever written (text relocations) is left whole.
std::vector<Range> WrittenMappings() {
    std::vector<Range> written;
    std::string smaps;
    if (!wincompat::ReadHostFile("/proc/self/smaps", smaps, kSmapsLimit)) return written;
    Range current{0, 0};
    std::string_view rest(smaps);
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        const std::string line(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        const size_t colon = line.find(':'), space = line.find(' ');
        if (colon != std::string::npos && space != std::string::npos && colon > space) {  // a mapping's header
            char* dash = nullptr;
            current.start = strtoul(line.c_str(), &dash, 16);
            current.end = dash && *dash == '-' ? strtoul(dash + 1, nullptr, 16) : current.start;
        } else if (line.rfind("Anonymous:", 0) == 0 && strtoul(line.c_str() + 10, nullptr, 10) != 0) {
            written.push_back(current);
        }
    }
    return written;
}

bool Overlaps(const std::vector<Range>& ranges, uintptr_t start, uintptr_t end) {
    for (const Range& range : ranges)
        if (start < range.end && range.start < end) return true;
    return false;
}

bool HasTextRelocations(const dl_phdr_info* info) {
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_DYNAMIC) continue;
        for (auto* entry = reinterpret_cast<const ElfW(Dyn)*>(info->dlpi_addr + header.p_vaddr);
             entry->d_tag != DT_NULL; ++entry)
            if (entry->d_tag == DT_TEXTREL || (entry->d_tag == DT_FLAGS && (entry->d_un.d_val & DF_TEXTREL)))
                return true;
    }
    return false;
}

// Runs inside dl_iterate_phdr, which holds the loader's lock: no library is
// loaded or unloaded meanwhile, so every range advised away is that object's.
int TrimObject(dl_phdr_info* info, size_t, void* context) {
    const auto& written = *static_cast<const std::vector<Range>*>(context);
    const bool mainProgram = !info->dlpi_name || !info->dlpi_name[0];
    if (!mainProgram && info->dlpi_name[0] != '/') return 0;  // the vDSO and the like
    if (HasTextRelocations(info)) return 0;
    const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    for (int i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)& header = info->dlpi_phdr[i];
        if (header.p_type != PT_LOAD || (header.p_flags & PF_W) || header.p_filesz == 0) continue;
        // Only the pages the file backs wholly: a partial last page may hold zero-filled memory.
        const uintptr_t start = (info->dlpi_addr + header.p_vaddr) & ~(page - 1);
        const uintptr_t end = (info->dlpi_addr + header.p_vaddr + header.p_filesz) & ~(page - 1);
        if (end > start && !Overlaps(written, start, end))
            madvise(reinterpret_cast<void*>(start), end - start, MADV_DONTNEED);
    }
    return 0;
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
    if (minimum == none) {
        std::vector<Range> written = WrittenMappings();
        dl_iterate_phdr(TrimObject, &written);
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
