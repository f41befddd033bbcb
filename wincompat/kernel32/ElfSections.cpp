// Reads ELF section headers with pread: only the header, the section table
// and the section-name table are touched, whatever the size of the file.
#include "kernel32/ElfSections.h"

#include <elf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace wincompat {

namespace {

struct Elf32 {
    using Ehdr = Elf32_Ehdr;
    using Shdr = Elf32_Shdr;
};
struct Elf64 {
    using Ehdr = Elf64_Ehdr;
    using Shdr = Elf64_Shdr;
};

bool ReadAt(int fd, uint64_t offset, void* out, size_t size) {
    auto* bytes = static_cast<char*>(out);
    while (size > 0) {
        ssize_t got = pread(fd, bytes, size, static_cast<off_t>(offset));
        if (got <= 0) return false;
        bytes += got;
        offset += static_cast<uint64_t>(got);
        size -= static_cast<size_t>(got);
    }
    return true;
}

bool Fail(std::string* error, const char* why) {
    if (error) *error = why;
    return false;
}

bool InsideFile(uint64_t offset, uint64_t size, uint64_t fileSize) {
    return offset <= fileSize && size <= fileSize - offset;
}

template <typename Elf>
bool ReadTable(int fd, uint64_t fileSize, std::vector<ElfSection>& sections, std::string* error) {
    typename Elf::Ehdr header;
    if (!ReadAt(fd, 0, &header, sizeof(header))) return Fail(error, "truncated ELF header");
    if (header.e_shentsize != sizeof(typename Elf::Shdr)) return Fail(error, "unexpected section header size");

    typename Elf::Shdr first;
    if (header.e_shoff == 0 || !ReadAt(fd, header.e_shoff, &first, sizeof(first)))
        return Fail(error, "no section headers");
    // Large section counts and indices live in the first header.
    uint64_t count = header.e_shnum ? header.e_shnum : first.sh_size;
    uint64_t namesIndex = header.e_shstrndx == SHN_XINDEX ? first.sh_link : header.e_shstrndx;
    if (!InsideFile(header.e_shoff, count * sizeof(typename Elf::Shdr), fileSize) || namesIndex >= count)
        return Fail(error, "section headers lie outside the file");

    std::vector<typename Elf::Shdr> table(count);
    if (!ReadAt(fd, header.e_shoff, table.data(), count * sizeof(typename Elf::Shdr)))
        return Fail(error, "cannot read section headers");
    const auto& namesHeader = table[namesIndex];
    if (!InsideFile(namesHeader.sh_offset, namesHeader.sh_size, fileSize))
        return Fail(error, "section names lie outside the file");
    if (namesHeader.sh_size == 0) return Fail(error, "empty section name table");
    std::string names(namesHeader.sh_size, '\0');
    if (!ReadAt(fd, namesHeader.sh_offset, names.data(), names.size()))
        return Fail(error, "cannot read section names");

    sections.clear();
    sections.reserve(count);
    for (const auto& entry : table) {
        if (entry.sh_type != SHT_NOBITS && !InsideFile(entry.sh_offset, entry.sh_size, fileSize))
            return Fail(error, "section contents lie outside the file");
        if (entry.sh_name >= names.size()) return Fail(error, "bad section name");
        ElfSection section;
        section.name = names.c_str() + entry.sh_name;
        section.type = entry.sh_type;
        section.flags = entry.sh_flags;
        section.address = entry.sh_addr;
        section.offset = entry.sh_offset;
        section.size = entry.sh_size;
        sections.push_back(std::move(section));
    }
    return true;
}

}  // namespace

bool ReadElfSections(int fd, std::vector<ElfSection>& sections, std::string* error) {
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return Fail(error, "not a regular file");
    unsigned char ident[EI_NIDENT];
    if (!ReadAt(fd, 0, ident, sizeof(ident)) || std::memcmp(ident, ELFMAG, SELFMAG) != 0)
        return Fail(error, "not an ELF file");
    const unsigned char hostOrder = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? ELFDATA2LSB : ELFDATA2MSB;
    if (ident[EI_DATA] != hostOrder) return Fail(error, "ELF file of the other byte order");

    uint64_t fileSize = static_cast<uint64_t>(info.st_size);
    switch (ident[EI_CLASS]) {
    case ELFCLASS32: return ReadTable<Elf32>(fd, fileSize, sections, error);
    case ELFCLASS64: return ReadTable<Elf64>(fd, fileSize, sections, error);
    default: return Fail(error, "unknown ELF class");
    }
}

const ElfSection* FindElfSection(const std::vector<ElfSection>& sections, std::string_view name) {
    for (const auto& section : sections)
        if (section.name == name) return &section;
    return nullptr;
}

}  // namespace wincompat
