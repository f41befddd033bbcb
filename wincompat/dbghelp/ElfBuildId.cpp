// Program headers lead to the PT_NOTE segments; their addresses are relative
// to the first PT_LOAD segment, which starts at base.
#include "dbghelp/ElfBuildId.h"

#include "dbghelp/SafeRead.h"

#include <elf.h>
#include <string.h>

namespace wincompat {

namespace {

constexpr size_t kMaxHeaders = 64;
constexpr size_t kMaxNotes = 4096;

bool ReadHeaders(uint64_t base, Elf64_Ehdr* header, Elf64_Phdr* programs) {
    if (!SafeRead(base, header, sizeof(*header))) return false;
    if (memcmp(header->e_ident, ELFMAG, SELFMAG) != 0 || header->e_ident[EI_CLASS] != ELFCLASS64) return false;
    if (header->e_phentsize != sizeof(Elf64_Phdr) || header->e_phnum > kMaxHeaders) return false;
    return SafeRead(base + header->e_phoff, programs, header->e_phnum * sizeof(Elf64_Phdr));
}

uint64_t LoadBias(uint64_t base, const Elf64_Phdr* programs, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (programs[i].p_type == PT_LOAD) return base - (programs[i].p_vaddr & ~uint64_t{0xFFF});
    return base;
}

// Walks one note segment's entries for the GNU build id.
size_t BuildIdInNotes(const uint8_t* notes, size_t size, uint8_t* id) {
    size_t at = 0;
    while (at + sizeof(Elf64_Nhdr) <= size) {
        Elf64_Nhdr note;
        memcpy(&note, notes + at, sizeof(note));
        size_t name = at + sizeof(note);
        size_t descriptor = name + ((note.n_namesz + 3) & ~3u);
        size_t next = descriptor + ((note.n_descsz + 3) & ~3u);
        if (next > size) return 0;
        if (note.n_type == NT_GNU_BUILD_ID && note.n_namesz == 4 && memcmp(notes + name, "GNU", 4) == 0 &&
            note.n_descsz <= kMaxBuildId) {
            memcpy(id, notes + descriptor, note.n_descsz);
            return note.n_descsz;
        }
        at = next;
    }
    return 0;
}

}  // namespace

size_t LoadedBuildId(uint64_t base, uint8_t* id) {
    Elf64_Ehdr header;
    Elf64_Phdr programs[kMaxHeaders];
    if (!ReadHeaders(base, &header, programs)) return 0;
    uint64_t bias = LoadBias(base, programs, header.e_phnum);
    for (size_t i = 0; i < header.e_phnum; ++i) {
        if (programs[i].p_type != PT_NOTE || programs[i].p_memsz > kMaxNotes) continue;
        uint8_t notes[kMaxNotes];
        if (!SafeRead(bias + programs[i].p_vaddr, notes, programs[i].p_memsz)) continue;
        size_t length = BuildIdInNotes(notes, programs[i].p_memsz, id);
        if (length) return length;
    }
    return 0;
}

}  // namespace wincompat
