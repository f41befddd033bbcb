// Parsing and editing of profile files. The file is walked line by line in
// its bytes and in its decoded text at the same time, so an edit can splice
// the bytes of exactly the lines it changes and leave all others untouched.
#include "kernel32/ProfileFile.h"

#include "prefix/Prefix.h"

#include <string.h>

#include <algorithm>
#include <unordered_set>
#include <utility>

namespace wincompat {

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\v' || c == L'\f'; }

std::wstring_view Trim(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::wstring_view Unquote(std::wstring_view value) {
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

enum class LineKind { Other, Section, Key };

}  // namespace

struct ProfileFile::Line {
    size_t begin = 0;  // offsets in bytes_: content [begin, end), line end [end, next)
    size_t end = 0;
    size_t next = 0;
    LineKind kind = LineKind::Other;
    std::wstring_view name;     // section name or key name
    std::wstring_view value;    // trimmed, quotes kept
    bool inSection = false;     // the line belongs to a section...
    std::wstring_view section;  // ...of this name

    void Parse(std::wstring_view text) {
        text = Trim(text.substr(0, text.find(L'\0')));  // a NUL ends the line's text, as in a C string
        if (text.empty() || text.front() == L';') return;
        if (text.front() == L'[') {
            std::wstring_view inner = text.substr(1);
            kind = LineKind::Section;
            name = Trim(inner.substr(0, inner.find(L']')));
            return;
        }
        size_t equals = text.find(L'=');
        if (equals == std::wstring_view::npos || Trim(text.substr(0, equals)).empty()) return;
        kind = LineKind::Key;
        name = Trim(text.substr(0, equals));
        value = Trim(text.substr(equals + 1));
    }
};

ProfileFile::ProfileFile(std::string bytes, UINT codePage) : codePage_(codePage), bytes_(std::move(bytes)) {
    encoding_ = DetectProfileEncoding(bytes_, &bodyStart_);
}

// Decoded when first walked after a change: a write changes the bytes once
// and then only needs them, not the text.
const std::wstring& ProfileFile::Text() const {
    if (textStale_) {
        text_ = DecodeProfileText(std::string_view(bytes_).substr(bodyStart_), encoding_, codePage_);
        textStale_ = false;
    }
    return text_;
}

// Whether the code unit at offset is the ASCII character c.
static bool UnitIs(const std::string& bytes, size_t offset, size_t unitSize, ProfileEncoding encoding, char c) {
    if (unitSize == 1) return bytes[offset] == c;
    if (encoding == ProfileEncoding::Utf16LE) return bytes[offset] == c && bytes[offset + 1] == '\0';
    return bytes[offset] == '\0' && bytes[offset + 1] == c;
}

bool ProfileFile::EndsWithLineFeed(size_t offset) const {
    size_t unit = CodeUnitSize(encoding_);
    if ((offset - bodyStart_) % unit) return false;  // a stray last byte belongs to the last line
    return offset >= bodyStart_ + unit && UnitIs(bytes_, offset - unit, unit, encoding_, '\n');
}

// The bytes of the line starting at offset: content, then CR LF, LF or nothing.
void ProfileFile::Bound(Line& line, size_t offset) const {
    const size_t unit = CodeUnitSize(encoding_);
    size_t feed = offset;
    if (unit == 1) {
        const void* found = memchr(bytes_.data() + offset, '\n', bytes_.size() - offset);
        feed = found ? static_cast<const char*>(found) - bytes_.data() : bytes_.size();
    } else {
        while (feed + 1 < bytes_.size() && !UnitIs(bytes_, feed, unit, encoding_, '\n')) feed += unit;
        if (feed + 1 >= bytes_.size()) feed = bytes_.size();  // a stray last byte belongs to the line
    }
    line.begin = offset;
    line.end = feed;
    line.next = feed < bytes_.size() ? feed + unit : feed;
    if (feed < bytes_.size() && feed >= offset + unit && UnitIs(bytes_, feed - unit, unit, encoding_, '\r'))
        line.end = feed - unit;
}

template <typename Visit>
void ProfileFile::ForEachLine(Visit visit) const {
    const std::wstring& text = Text();
    size_t offset = bodyStart_;
    size_t textOffset = 0;
    std::wstring_view section;
    bool inSection = false;
    while (offset < bytes_.size()) {
        Line line;
        Bound(line, offset);
        size_t textFeed = std::min(text.find(L'\n', textOffset), text.size());
        line.Parse(std::wstring_view(text).substr(textOffset, textFeed - textOffset));
        textOffset = std::min(textFeed + 1, text.size());
        if (line.kind == LineKind::Section) {
            section = line.name;
            inSection = true;
        }
        line.section = section;
        line.inSection = inSection;
        if (!visit(line)) return;
        offset = line.next;
    }
}

std::optional<std::wstring> ProfileFile::Value(std::wstring_view section, std::wstring_view key) const {
    section = Trim(section);
    key = Trim(key);
    std::optional<std::wstring> value;
    ForEachLine([&](const Line& line) {
        if (line.kind == LineKind::Key && line.inSection && EqualNoCase(line.section, section) &&
            EqualNoCase(line.name, key))
            value = std::wstring(Unquote(line.value));
        return !value;
    });
    return value;
}

namespace {

// Collects names in order, each once without regard to case; a set keeps
// files with very many names linear.
// A caller's buffer holds at most budget characters, so collecting stops there.
class NameList {
public:
    explicit NameList(size_t budget) : budget_(budget) {}
    bool Full() const { return length_ > budget_; }
    void Add(std::wstring_view name) {
        std::wstring folded(name);
        for (wchar_t& c : folded) c = UpperCase(c);
        if (!seen_.insert(std::move(folded)).second) return;
        names_.emplace_back(name);
        length_ += name.size() + 1;
    }
    std::vector<std::wstring> Take() { return std::move(names_); }

private:
    size_t budget_;
    size_t length_ = 0;
    std::unordered_set<std::wstring> seen_;
    std::vector<std::wstring> names_;
};

}  // namespace

std::vector<std::wstring> ProfileFile::SectionNames(size_t budget) const {
    NameList names(budget);
    ForEachLine([&](const Line& line) {
        if (line.kind == LineKind::Section) names.Add(line.name);
        return !names.Full();
    });
    return names.Take();
}

std::optional<std::vector<std::wstring>> ProfileFile::KeyNames(std::wstring_view section, size_t budget) const {
    section = Trim(section);
    NameList names(budget);
    bool found = false;
    ForEachLine([&](const Line& line) {
        if (!line.inSection || !EqualNoCase(line.section, section)) return true;
        found = true;
        if (line.kind == LineKind::Key) names.Add(line.name);
        return !names.Full();
    });
    if (!found) return std::nullopt;
    return names.Take();
}

std::optional<std::vector<std::wstring>> ProfileFile::Entries(std::wstring_view section) const {
    section = Trim(section);
    std::optional<std::vector<std::wstring>> entries;
    ForEachLine([&](const Line& line) {
        if (!line.inSection || !EqualNoCase(line.section, section)) return true;
        if (!entries) entries.emplace();
        if (line.kind == LineKind::Key)
            entries->push_back(std::wstring(line.name) + L"=" + std::wstring(line.value));
        return true;
    });
    return entries;
}

void ProfileFile::Splice(size_t offset, size_t length, std::wstring_view text, bool terminate) {
    std::string encoded = EncodeProfileText(text, encoding_, codePage_);
    if (terminate) encoded += EncodeProfileText(L"\r\n", encoding_, codePage_);
    // A UTF-16 file cut in the middle of a code unit: complete the unit so
    // that what follows stays aligned.
    if (CodeUnitSize(encoding_) == 2 && offset == bytes_.size() && (bytes_.size() - bodyStart_) % 2) {
        bytes_ += '\0';
        ++offset;
    }
    bytes_.replace(offset, length, encoded);
    textStale_ = true;
}

void ProfileFile::SetValue(std::wstring_view section, std::wstring_view key, std::wstring_view value) {
    std::wstring sectionName(Trim(section)), keyName(Trim(key));
    std::optional<Line> existing, anchor;
    bool inFirstSection = false;
    ForEachLine([&](const Line& line) {
        bool matches = line.inSection && EqualNoCase(line.section, sectionName);
        if (line.kind == LineKind::Section) {
            inFirstSection = matches && !anchor;
            if (inFirstSection) anchor = line;
        } else if (line.kind == LineKind::Key && matches) {
            if (inFirstSection) anchor = line;
            if (EqualNoCase(line.name, keyName)) existing = line;
        }
        return !existing;
    });
    if (existing) {
        std::wstring text = std::wstring(existing->name) + L"=" + std::wstring(value);
        return Splice(existing->begin, existing->end - existing->begin, text, false);
    }
    std::wstring entry = keyName + L"=" + std::wstring(value);
    if (anchor) {
        bool terminated = anchor->next > anchor->end;
        return Splice(anchor->next, 0, terminated ? entry : L"\r\n" + entry, true);
    }
    bool needsFeed = bytes_.size() > bodyStart_ && !EndsWithLineFeed(bytes_.size());
    Splice(bytes_.size(), 0, (needsFeed ? L"\r\n[" : L"[") + sectionName + L"]\r\n" + entry, true);
}

void ProfileFile::DeleteKey(std::wstring_view section, std::wstring_view key) {
    section = Trim(section);
    key = Trim(key);
    std::vector<std::pair<size_t, size_t>> ranges;
    ForEachLine([&](const Line& line) {
        if (line.kind == LineKind::Key && line.inSection && EqualNoCase(line.section, section) &&
            EqualNoCase(line.name, key))
            ranges.emplace_back(line.begin, line.next);
        return true;
    });
    for (auto range = ranges.rbegin(); range != ranges.rend(); ++range)
        bytes_.erase(range->first, range->second - range->first);
    textStale_ = true;
}

void ProfileFile::DeleteSection(std::wstring_view section) {
    section = Trim(section);
    std::vector<std::pair<size_t, size_t>> ranges;
    bool open = false;
    ForEachLine([&](const Line& line) {
        if (line.kind != LineKind::Section) return true;
        if (open) ranges.back().second = line.begin;
        open = EqualNoCase(line.name, section);
        if (open) ranges.emplace_back(line.begin, bytes_.size());
        return true;
    });
    for (auto range = ranges.rbegin(); range != ranges.rend(); ++range)
        bytes_.erase(range->first, range->second - range->first);
    textStale_ = true;
}

}  // namespace wincompat
