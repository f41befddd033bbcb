// Writes a hive in Wine's format: keys depth-first in sorted order, a key
// only when it has values, no subkeys, a class, a link flag or a descriptor.
// Text is escaped so that the file is plain ASCII: \x for UTF-16 units above
// 127, octal or the C escapes for control characters.
#include "prefix/RegistryFormat.h"

#include "prefix/RegistryText.h"

#include <stdio.h>

namespace wincompat {

namespace {

bool IsHexDigit(char16_t c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool IsOctalDigit(char16_t c) { return c >= '0' && c <= '7'; }

const char* ControlEscape(char16_t c) {
    switch (c) {
        case '\n': return "\\n";
        case '\r': return "\\r";
        case '\t': return "\\t";
        case '\a': return "\\a";
        case '\b': return "\\b";
        case '\v': return "\\v";
        case '\f': return "\\f";
        case 0x1B: return "\\e";
        default: return nullptr;
    }
}

// specials: the characters that need a backslash besides the backslash itself.
void AppendEscaped(std::string& out, std::u16string_view text, std::string_view specials) {
    char buffer[16];
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        char16_t next = i + 1 < text.size() ? text[i + 1] : 0;
        if (c > 127) {
            snprintf(buffer, sizeof buffer, IsHexDigit(next) ? "\\x%04x" : "\\x%x", c);
            out += buffer;
        } else if (c < 32) {
            if (const char* escape = ControlEscape(c)) {
                out += escape;
            } else {
                snprintf(buffer, sizeof buffer, IsOctalDigit(next) ? "\\%03o" : "\\%o", c);
                out += buffer;
            }
        } else if (c == '\\' || specials.find(static_cast<char>(c)) != std::string_view::npos) {
            out += '\\';
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(c);
        }
    }
}

void AppendHexBytes(std::string& out, const std::vector<BYTE>& data, size_t column) {
    char buffer[4];
    for (size_t i = 0; i < data.size(); ++i) {
        snprintf(buffer, sizeof buffer, "%02x", data[i]);
        out += buffer;
        column += 2;
        if (i + 1 == data.size()) break;
        out += ',';
        if (++column > 76) {
            out += "\\\n  ";
            column = 2;
        }
    }
}

// A string value is written as text when it holds whole UTF-16 units ending
// in a terminator; the terminator is left out, the reader adds it back.
bool WritableAsText(const RegistryValue& value) {
    return IsRegistryStringType(value.type) && value.data.size() >= 2 && value.data.size() % 2 == 0 &&
           value.data[value.data.size() - 1] == 0 && value.data[value.data.size() - 2] == 0;
}

void AppendValue(std::string& out, const RegistryValue& value) {
    size_t lineStart = out.size();
    if (value.name.empty()) {
        out += '@';
    } else {
        out += '"';
        AppendEscaped(out, Utf16FromWide(value.name), "\"");
        out += '"';
    }
    out += '=';
    char buffer[32];
    if (WritableAsText(value)) {
        if (value.type != 1) {
            snprintf(buffer, sizeof buffer, "str(%x):", static_cast<unsigned>(value.type));
            out += buffer;
        }
        std::u16string text = Utf16FromBytes(value.data);
        text.pop_back();
        out += '"';
        AppendEscaped(out, text, "\"");
        out += '"';
    } else if (value.type == 4 && value.data.size() == 4) {
        unsigned number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                          (static_cast<unsigned>(value.data[3]) << 24);
        snprintf(buffer, sizeof buffer, "dword:%08x", number);
        out += buffer;
    } else {
        if (value.type == 3)
            snprintf(buffer, sizeof buffer, "hex:");
        else
            snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
        out += buffer;
        AppendHexBytes(out, value.data, out.size() - lineStart);
    }
    out += '\n';
}

bool KeyIsWritten(const RegistryKey& key) {
    return !key.values.empty() || key.subkeys.empty() || !key.className.empty() || key.isLink ||
           !key.security.empty();
}

void AppendKeyHeader(std::string& out, const RegistryKey& key, const std::string& path) {
    char buffer[64];
    out += "\n[";
    out += path;
    snprintf(buffer, sizeof buffer, "] %lld\n#time=%llx\n", UnixSecondsFromFileTime(key.lastWrite),
             static_cast<unsigned long long>(key.lastWrite));
    out += buffer;
    if (!key.className.empty()) {
        out += "#class=\"";
        AppendEscaped(out, Utf16FromWide(key.className), "\"");
        out += "\"\n";
    }
    if (key.isLink) out += "#link\n";
    if (!key.security.empty()) {
        // Wine ignores options it does not know, and stores no descriptors itself.
        out += "#security=";
        for (BYTE b : key.security) {
            snprintf(buffer, sizeof buffer, "%02x", b);
            out += buffer;
        }
        out += '\n';
    }
}

void AppendKey(std::string& out, const RegistryKey& key, const std::string& path) {
    if (KeyIsWritten(key)) {
        AppendKeyHeader(out, key, path);
        for (const RegistryValue& value : key.values) AppendValue(out, value);
    }
    for (const auto& subkey : key.subkeys) {
        std::string subpath = path.empty() ? std::string() : path + "\\\\";
        AppendEscaped(subpath, Utf16FromWide(subkey->name), "[]");
        AppendKey(out, *subkey, subpath);
    }
}

}  // namespace

std::wstring HiveObjectName(Hive hive) {
    return hive == Hive::LocalMachine ? L"\\Registry\\Machine" : L"\\Registry\\User\\S-1-5-21-0-0-0-1000";
}

std::string FormatHive(const RegistryKey& root, Hive hive) {
    std::string out = "WINE REGISTRY Version 2\n;; All keys relative to ";
    out += hive == Hive::LocalMachine ? "REGISTRY\\\\Machine" : "REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000";
    out += "\n\n#arch=win64\n";
    for (const auto& subkey : root.subkeys) {
        std::string path;
        AppendEscaped(path, Utf16FromWide(subkey->name), "[]");
        AppendKey(out, *subkey, path);
    }
    return out;
}

}  // namespace wincompat
