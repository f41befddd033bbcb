// Reads Wine's hive format. Damage of any kind (junk bytes, cut lines, bad
// escapes) costs only the lines it touches: each is noted in the report and
// skipped, and reading goes on with the next line, unless the text is no hive
// at all (see RegistryFormat.h).
#include "prefix/RegistryFormat.h"

#include "prefix/RegistryText.h"

namespace wincompat {

void ParseReport::Note(size_t line, const char* problem) {
    if (badLines++ == 0) {
        firstBadLine = line;
        firstProblem = problem;
    }
}

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The decimal seconds after a key's name; 0 when there are none.
long long UnixSeconds(std::string_view text) {
    long long seconds = 0;
    for (size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9' && seconds < 1000000000000LL; ++i)
        seconds = seconds * 10 + (text[i] - '0');
    return seconds;
}

void SkipBlanks(std::string_view line, size_t& pos) {
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t')) ++pos;
}

// Appends one UTF-8 sequence from line[pos] as UTF-16 units; false (and one
// byte consumed) when the bytes are not UTF-8.
bool ReadUtf8(std::string_view line, size_t& pos, std::u16string& out) {
    unsigned char lead = static_cast<unsigned char>(line[pos]);
    int extra = (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : 0;
    char32_t c = lead & (0x3F >> extra);
    bool valid = extra > 0 && pos + extra < line.size();
    for (int k = 1; valid && k <= extra; ++k) {
        unsigned char next = static_cast<unsigned char>(line[pos + k]);
        valid = (next & 0xC0) == 0x80;
        c = (c << 6) | (next & 0x3F);
    }
    static const char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (!valid || c < kMinimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++pos;
        return false;
    }
    pos += extra + 1;
    out += Utf16FromWide(std::wstring(1, static_cast<wchar_t>(c)));
    return true;
}

char16_t NamedEscape(char c) {
    switch (c) {
        case 'n': return '\n';
        case 'r': return '\r';
        case 't': return '\t';
        case 'a': return '\a';
        case 'b': return '\b';
        case 'v': return '\v';
        case 'f': return '\f';
        case 'e': return 0x1B;
        default: return 0xFFFF;
    }
}

// After a backslash at line[pos]: one escape. False for an escape that is cut off.
bool ReadEscape(std::string_view line, size_t& pos, std::u16string& out) {
    if (++pos >= line.size()) return false;
    char c = line[pos];
    if (char16_t named = NamedEscape(c); named != 0xFFFF) {
        out += named;
        ++pos;
    } else if (c == 'x') {
        unsigned unit = 0;
        int digits = 0;
        for (++pos; digits < 4 && pos < line.size() && HexValue(line[pos]) >= 0; ++digits, ++pos)
            unit = unit * 16 + HexValue(line[pos]);
        if (digits == 0) return false;
        out += static_cast<char16_t>(unit);
    } else if (c >= '0' && c <= '7') {
        unsigned unit = 0;
        for (int digits = 0; digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7'; ++digits)
            unit = unit * 8 + (line[pos++] - '0');
        out += static_cast<char16_t>(unit);
    } else if (static_cast<unsigned char>(c) < 0x80) {
        out += static_cast<char16_t>(c);  // \\ \" \[ \] and any other plain character
        ++pos;
    } else {
        return ReadUtf8(line, pos, out);
    }
    return true;
}

enum class TextRead { Ok, Lossy, Bad };

// Text from line[pos] up to an unescaped `end`; pos ends just after it.
TextRead ReadEscaped(std::string_view line, size_t& pos, char end, std::u16string& out) {
    bool lossy = false;
    while (pos < line.size()) {
        char c = line[pos];
        if (c == end) {
            ++pos;
            return lossy ? TextRead::Lossy : TextRead::Ok;
        }
        if (c == '\\') {
            if (!ReadEscape(line, pos, out)) return TextRead::Bad;
        } else if (static_cast<unsigned char>(c) < 0x80) {
            out += static_cast<char16_t>(c);
            ++pos;
        } else if (!ReadUtf8(line, pos, out)) {
            lossy = true;  // Wine drops bytes that are not UTF-8; so do we, and say so
        }
    }
    return TextRead::Bad;
}

// Wine writes every control character as an escape; a raw one is damage.
bool HoldsControlCharacter(std::string_view line) {
    for (char c : line)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return true;
    return false;
}

bool ReadHexNumber(std::string_view text, size_t& pos, size_t maxDigits, unsigned long long& number) {
    size_t start = pos;
    number = 0;
    while (pos < text.size() && pos - start < maxDigits && HexValue(text[pos]) >= 0)
        number = number * 16 + HexValue(text[pos++]);
    return pos > start;
}

class HiveReader {
public:
    HiveReader(std::string_view text, ParseReport& report) : text_(text), report_(report) {}

    RegistryKey Read() {
        std::string_view line;
        if (!NextLine(line) || line != "WINE REGISTRY Version 2") return Reject("no registry header");
        while (NextLine(line)) {
            // Wine ends every line with a newline: a last line without one was cut off.
            if (pos_ > text_.size()) {
                Problem("the file ends inside a line");
                break;
            }
            ReadLine(line);
        }
        if (report_.badLines > report_.readableLines) return Reject("more unreadable lines than readable ones");
        return std::move(root_);
    }

private:
    bool NextLine(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = end + 1;
        ++lineNumber_;
        return true;
    }

    void Problem(const char* what) { report_.Note(lineNumber_, what); }

    RegistryKey Reject(const char* why) {
        Problem(why);
        report_.unusable = why;
        return RegistryKey();
    }

    void ReadLine(std::string_view line) {
        size_t start = 0;
        SkipBlanks(line, start);
        line.remove_prefix(start);
        if (line.empty() || line[0] == ';') return;
        if (HoldsControlCharacter(line)) {
            if (line[0] == '[') current_ = nullptr;  // the values below belong to the lost key
            return Problem("a control character");
        }
        if (line[0] == '[') return ReadKeyLine(line);
        if (line[0] == '#') return ReadOption(line);
        if (line[0] == '@' || line[0] == '"') {
            if (!current_) return Problem("a value outside a readable key");
            return ReadValueLine(line);
        }
        Problem("an unreadable line");
    }

    void ReadKeyLine(std::string_view line) {
        current_ = nullptr;
        size_t pos = 1;
        std::u16string path;
        TextRead read = ReadEscaped(line, pos, ']', path);
        if (read == TextRead::Bad) return Problem("a key line that is cut off");
        if (read == TextRead::Lossy) Problem("text that is not UTF-8");
        std::wstring wide = WideFromUtf16(path);
        RegistryKey* key = &root_;
        for (size_t begin = 0; begin <= wide.size();) {
            size_t end = wide.find(L'\\', begin);
            if (end == std::wstring::npos) end = wide.size();
            if (end > begin) key = &key->AddSubkey(std::wstring_view(wide).substr(begin, end - begin));
            begin = end + 1;
        }
        if (key == &root_) return Problem("a key line without a name");
        SkipBlanks(line, pos);
        key->lastWrite = FileTimeFromUnixSeconds(UnixSeconds(line.substr(pos)));
        current_ = key;
        ++report_.readableLines;
    }

    void ReadOption(std::string_view line) {
        if (!current_) return;  // #arch and other file-wide options
        if (line.starts_with("#time=")) {
            size_t pos = 6;
            unsigned long long time;
            if (ReadHexNumber(line, pos, 16, time)) current_->lastWrite = time;
        } else if (line.starts_with("#class=\"")) {
            size_t pos = 8;
            std::u16string text;
            if (ReadEscaped(line, pos, '"', text) == TextRead::Bad) return Problem("a class that is cut off");
            current_->className = WideFromUtf16(text);
        } else if (line.starts_with("#link")) {
            current_->isLink = true;
        } else if (line.starts_with("#security=")) {
            ReadSecurity(line.substr(10));
        }
    }

    void ReadSecurity(std::string_view hex) {
        std::vector<BYTE> bytes;
        for (size_t i = 0; i + 1 < hex.size() && HexValue(hex[i]) >= 0 && HexValue(hex[i + 1]) >= 0; i += 2)
            bytes.push_back(static_cast<BYTE>(HexValue(hex[i]) * 16 + HexValue(hex[i + 1])));
        if (bytes.size() * 2 != hex.size()) return Problem("a damaged security descriptor");
        current_->security = std::move(bytes);
    }

    void ReadValueLine(std::string_view line) {
        size_t pos = 1;
        std::u16string name;
        TextRead nameRead = line[0] == '@' ? TextRead::Ok : ReadEscaped(line, pos, '"', name);
        if (nameRead == TextRead::Bad) return Problem("a value name that is cut off");
        SkipBlanks(line, pos);
        if (pos >= line.size() || line[pos] != '=') return Problem("a value without data");
        SkipBlanks(line, ++pos);
        RegistryValue value;
        value.name = WideFromUtf16(name);
        TextRead dataRead = ReadData(line, pos, value);
        if (dataRead == TextRead::Bad) return Problem("value data that cannot be read");
        if (nameRead == TextRead::Lossy || dataRead == TextRead::Lossy) Problem("text that is not UTF-8");
        current_->SetValue(value.name, value.type, std::move(value.data));
        ++report_.readableLines;
    }

    TextRead ReadData(std::string_view line, size_t pos, RegistryValue& value) {
        std::string_view rest = line.substr(pos);
        unsigned long long number = 0;
        if (rest.starts_with("\"")) {
            value.type = 1;
            return ReadText(line, pos + 1, value);
        }
        if (rest.starts_with("str(") || rest.starts_with("hex(")) {
            size_t at = pos + 4;
            if (!ReadHexNumber(line, at, 8, number) || line.substr(at, 2) != "):") return TextRead::Bad;
            value.type = static_cast<DWORD>(number);
            if (rest[0] == 'h') return ReadHexBytes(line, at + 2, value.data);
            if (line.substr(at + 2, 1) != "\"") return TextRead::Bad;
            return ReadText(line, at + 3, value);
        }
        if (rest.starts_with("hex:")) {
            value.type = 3;
            return ReadHexBytes(line, pos + 4, value.data);
        }
        if (rest.starts_with("dword:")) {
            size_t at = pos + 6;
            if (!ReadHexNumber(line, at, 8, number) || (at < line.size() && HexValue(line[at]) >= 0))
                return TextRead::Bad;
            value.type = 4;
            for (int shift = 0; shift < 32; shift += 8) value.data.push_back(static_cast<BYTE>(number >> shift));
            return TextRead::Ok;
        }
        return TextRead::Bad;
    }

    TextRead ReadText(std::string_view line, size_t pos, RegistryValue& value) {
        std::u16string text;
        TextRead read = ReadEscaped(line, pos, '"', text);
        text += u'\0';  // the file leaves the terminator out
        value.data = BytesFromUtf16(text);
        return read;
    }

    // Comma-separated bytes; a line ending in a backslash continues on the next.
    TextRead ReadHexBytes(std::string_view line, size_t pos, std::vector<BYTE>& data) {
        for (;;) {
            SkipBlanks(line, pos);
            if (pos >= line.size()) return TextRead::Ok;
            if (line[pos] == '\\') {
                if (!NextLine(line)) return TextRead::Bad;
                pos = 0;
                continue;
            }
            unsigned long long byte;
            if (!ReadHexNumber(line, pos, 2, byte)) return TextRead::Bad;
            data.push_back(static_cast<BYTE>(byte));
            SkipBlanks(line, pos);
            if (pos < line.size() && line[pos] == ',') ++pos;
            else if (pos < line.size() && line[pos] != '\\') return TextRead::Bad;
        }
    }

    std::string_view text_;
    ParseReport& report_;
    size_t pos_ = 0;
    size_t lineNumber_ = 0;
    RegistryKey root_;
    RegistryKey* current_ = nullptr;
};

}  // namespace

RegistryKey ParseHive(std::string_view text, ParseReport& report) {
    return HiveReader(text, report).Read();
}

}  // namespace wincompat
