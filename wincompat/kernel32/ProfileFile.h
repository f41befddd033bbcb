// One profile (INI) file in memory: its bytes as read, queried and edited the
// way GetPrivateProfileString and WritePrivateProfileString see the file.
//
// Lines are "[Section]", "key=value" or anything else (comments starting with
// ';', blank lines, lines without '=', binary garbage), which reads ignore and
// edits keep. Names compare without regard to case; white space around names
// and values does not count. An edit changes only the lines it concerns: every
// other byte of the file stays as it was, whatever its encoding or validity.
// An instance belongs to one call on one thread.
#pragma once

#include "kernel32/ProfileEncoding.h"

#include <windef.h>

#include <stdint.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wincompat {

class ProfileFile {
public:
    // bytes: the whole file as on disk (empty for a file that does not exist,
    // which becomes ANSI). codePage: the ANSI code page (0 for CP_ACP).
    ProfileFile(std::string bytes, UINT codePage);

    const std::string& Bytes() const { return bytes_; }
    ProfileEncoding Encoding() const { return encoding_; }

    // The value of the first matching key, one pair of matching surrounding
    // quotes removed; nothing when the section or the key is missing.
    std::optional<std::wstring> Value(std::wstring_view section, std::wstring_view key) const;
    // Section names in file order, each once. Collecting stops once the names
    // (each with a terminator) exceed budget characters.
    std::vector<std::wstring> SectionNames(size_t budget = SIZE_MAX) const;
    // Key names of the section, each once; nothing when the section is missing.
    std::optional<std::vector<std::wstring>> KeyNames(std::wstring_view section, size_t budget = SIZE_MAX) const;
    // The section's "key=value" lines as written (trimmed); nothing when missing.
    std::optional<std::vector<std::wstring>> Entries(std::wstring_view section) const;

    // Replaces the first matching key line, else adds "key=value" after the
    // section's last key, else appends "[section]" and the key at the end.
    void SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value);
    // Removes every matching key line of every matching section.
    void DeleteKey(std::wstring_view section, std::wstring_view key);
    // Removes every matching section, from its header up to the next one.
    void DeleteSection(std::wstring_view section);

private:
    struct Line;
    void Bound(Line& line, size_t offset) const;
    template <typename Visit> void ForEachLine(Visit visit) const;
    void Splice(size_t offset, size_t length, std::wstring_view text, bool terminate);
    const std::wstring& Text() const;
    bool EndsWithLineFeed(size_t offset) const;

    UINT codePage_;
    std::string bytes_;      // mark and body, exactly as the file holds them
    ProfileEncoding encoding_ = ProfileEncoding::Ansi;
    size_t bodyStart_ = 0;   // length of the byte-order mark
    mutable std::wstring text_;     // the body decoded; its L'\n' match the body's line feeds
    mutable bool textStale_ = true;
};

}  // namespace wincompat
