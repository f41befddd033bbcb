// How an embedded resource is named in the executable: one non-allocated ELF
// section per resource, called ".rsrc/TYPE/NAME". Neither part may hold "/"
// (it splits them) or "=" (objcopy's --add-section separator).
#pragma once

#include <string>
#include <string_view>

namespace wincompat {

inline constexpr std::string_view kResourceSectionPrefix = ".rsrc/";

inline bool IsResourceNamePart(std::string_view part) {
    if (part.empty()) return false;
    for (unsigned char c : part)
        if (c < 0x20 || c == 0x7F || c == '/' || c == '=') return false;
    return true;
}

inline std::string ResourceSectionName(std::string_view type, std::string_view name) {
    std::string section(kResourceSectionPrefix);
    section.append(type).append("/").append(name);
    return section;
}

// Splits a section name into type and name; false for other sections.
inline bool SplitResourceSectionName(std::string_view section, std::string_view& type, std::string_view& name) {
    if (!section.starts_with(kResourceSectionPrefix)) return false;
    section.remove_prefix(kResourceSectionPrefix.size());
    size_t slash = section.find('/');
    if (slash == std::string_view::npos) return false;
    type = section.substr(0, slash);
    name = section.substr(slash + 1);
    return IsResourceNamePart(type) && IsResourceNamePart(name);
}

}  // namespace wincompat
