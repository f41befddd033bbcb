// ModuleList: one module per mapped ELF file, from its offset-0 mapping to
// the last mapping of the same file, named by its unix path (what a debugger
// on this system opens) and identified by its build id.
#include "dbghelp/DumpStreams.h"

#include "dbghelp/ElfBuildId.h"
#include "dbghelp/MappedStorage.h"
#include "dbghelp/SafeRead.h"

#include <elf.h>
#include <string.h>

namespace wincompat {

namespace {

constexpr size_t kMaxModules = 1024;
constexpr ULONG32 kCodeViewElf = 0x4270454C;  // "LEpB": CodeView record holding a GNU build id
constexpr DWORD kFixedFileInfoSignature = 0xFEEF04BD;

bool StartsElfImage(const MapRegion& region) {
    if (region.offset != 0 || !region.readable || region.path[0] != '/') return false;
    char magic[SELFMAG];
    return SafeRead(region.start, magic, sizeof(magic)) && memcmp(magic, ELFMAG, SELFMAG) == 0;
}

// The end of the image starting at maps[first]: its file's last mapping before any new image of it.
uint64_t ImageEnd(const ProcessMaps& maps, size_t first) {
    uint64_t end = maps[first].end;
    for (size_t i = first + 1; i < maps.Count(); ++i) {
        if (strcmp(maps[i].path, maps[first].path) != 0) continue;
        if (maps[i].offset == 0) break;
        end = maps[i].end;
    }
    return end;
}

MINIDUMP_LOCATION_DESCRIPTOR WriteCodeView(DumpFile& file, uint64_t base) {
    uint8_t record[4 + kMaxBuildId];
    size_t length = LoadedBuildId(base, record + 4);
    if (!length) return {};
    memcpy(record, &kCodeViewElf, 4);
    return file.Append(record, 4 + length);
}

void DescribeModule(DumpFile& file, const ProcessMaps& maps, size_t first, MINIDUMP_MODULE* module) {
    memset(module, 0, sizeof(*module));
    module->BaseOfImage = maps[first].start;
    module->SizeOfImage = static_cast<ULONG32>(ImageEnd(maps, first) - maps[first].start);
    module->VersionInfo.dwSignature = kFixedFileInfoSignature;
    module->ModuleNameRva = file.AppendString(maps[first].path);
    module->CvRecord = WriteCodeView(file, maps[first].start);
}

}  // namespace

MINIDUMP_LOCATION_DESCRIPTOR WriteModuleList(DumpFile& file, const ProcessMaps& maps) {
    MappedStorage<MINIDUMP_MODULE> modules(kMaxModules);
    size_t count = 0;
    for (size_t i = 0; i < maps.Count() && modules.Valid() && count < kMaxModules; ++i)
        if (StartsElfImage(maps[i])) DescribeModule(file, maps, i, &modules[count++]);
    file.Align(8);
    ULONG32 listed = static_cast<ULONG32>(count);
    MINIDUMP_LOCATION_DESCRIPTOR list = file.Append(&listed, sizeof(listed));
    for (size_t i = 0; i < count; ++i) file.Append(&modules[i], sizeof(MINIDUMP_MODULE));
    list.DataSize = static_cast<ULONG32>(file.Position() - list.Rva);
    return list;
}

}  // namespace wincompat
