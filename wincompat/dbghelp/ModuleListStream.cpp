// ModuleList: one module per mapped ELF image, as large as its loadable
// segments (a later mapping of the same file, such as a program reading its
// own resources, is no part of the image), named by its unix path (what a
// debugger on this system opens) and identified by its build id.
#include "dbghelp/DumpStreams.h"

#include "dbghelp/ElfBuildId.h"
#include "dbghelp/MappedStorage.h"
#include "dbghelp/SafeRead.h"

#include <elf.h>
#include <stdint.h>
#include <string.h>

#include <algorithm>

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

constexpr uint64_t kPage = 4096;

// The span of the image's loadable segments, read from its headers in memory
// (the first segment maps the ELF and program headers); 0 when they cannot be read.
uint64_t LoadedImageSize(uint64_t base) {
    Elf64_Ehdr header;
    if (!SafeRead(base, &header, sizeof(header)) || header.e_ident[EI_CLASS] != ELFCLASS64 ||
        header.e_phentsize != sizeof(Elf64_Phdr) || header.e_phnum == 0)
        return 0;
    uint64_t low = UINT64_MAX, high = 0;
    for (uint16_t i = 0; i < header.e_phnum; ++i) {
        Elf64_Phdr segment;
        if (!SafeRead(base + header.e_phoff + i * sizeof(segment), &segment, sizeof(segment))) return 0;
        if (segment.p_type != PT_LOAD) continue;
        low = std::min(low, segment.p_vaddr & ~(kPage - 1));
        high = std::max(high, (segment.p_vaddr + segment.p_memsz + kPage - 1) & ~(kPage - 1));
    }
    return high > low ? high - low : 0;
}

// The image's size in the 32-bit field: its segments' span, else its first mapping.
ULONG32 ImageSize(const ProcessMaps& maps, size_t first) {
    uint64_t size = LoadedImageSize(maps[first].start);
    if (size == 0 || size > UINT32_MAX) size = maps[first].end - maps[first].start;
    return static_cast<ULONG32>(std::min<uint64_t>(size, UINT32_MAX));
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
    module->SizeOfImage = ImageSize(maps, first);
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
