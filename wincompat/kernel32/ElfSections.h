// Section headers of an ELF file: where each section's bytes lie in the file.
// Embedded resources are sections of the executable, and the maker tools that
// patch an executable after the build find their way through the same table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wincompat {

struct ElfSection {
    std::string name;
    uint32_t type = 0;     // SHT_*
    uint64_t flags = 0;    // SHF_*
    uint64_t address = 0;  // load address; 0 for sections that are not loaded
    uint64_t offset = 0;   // where the contents start in the file
    uint64_t size = 0;     // bytes of contents (none in the file for SHT_NOBITS)
};

// Reads the section table of the ELF file open on fd (32- or 64-bit, the
// host's byte order). Every section with contents lies inside the file.
// False, with *error describing why, for anything else.
bool ReadElfSections(int fd, std::vector<ElfSection>& sections, std::string* error);

// The section with exactly this name, or null.
const ElfSection* FindElfSection(const std::vector<ElfSection>& sections, std::string_view name);

}  // namespace wincompat
