#include "wine/RegistryRecords.h"

#include "prefix/Prefix.h"
#include "prefix/RegistryStore.h"

#include <wctype.h>

#include <sstream>

namespace {

void Collect(const wincompat::RegistryKey& key, const std::wstring& name, RegistryRecords& records) {
    if (!key.values.empty()) {
        RegistryKeyRecords& entry = records[UpperCase(name)];
        entry.key = name;
        for (const wincompat::RegistryValue& value : key.values) entry.values.push_back({value.name, value.type, value.data});
    }
    for (const auto& subkey : key.subkeys) Collect(*subkey, name + L"\\" + subkey->name, records);
}

std::wstring WideFromUtf16(const std::string& bytes) {
    std::wstring text;
    size_t start = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                           static_cast<unsigned char>(bytes[1]) == 0xFE
                       ? 2
                       : 0;
    for (size_t i = start; i + 1 < bytes.size(); i += 2) {
        unsigned unit = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size()) {
            unsigned low = static_cast<unsigned char>(bytes[i + 2]) | (static_cast<unsigned char>(bytes[i + 3]) << 8);
            text += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
            i += 2;
        } else {
            text += static_cast<wchar_t>(unit);
        }
    }
    return text;
}

std::vector<BYTE> Utf16Bytes(const std::wstring& text) {
    std::vector<BYTE> bytes;
    auto unit = [&](unsigned u) {
        bytes.push_back(static_cast<BYTE>(u & 0xFF));
        bytes.push_back(static_cast<BYTE>(u >> 8));
    };
    for (wchar_t c : text) {
        unsigned code = static_cast<unsigned>(c);
        if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    unit(0);
    return bytes;
}

// The lines of the file, continuations ("\" at the end) joined.
std::vector<std::wstring> LogicalLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::wstring current;
    std::wistringstream stream(text);
    std::wstring line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!current.empty()) line.erase(0, line.find_first_not_of(L' '));
        current += line;
        if (!current.empty() && current.back() == L'\\' && current.front() != L'[') {
            current.pop_back();
            continue;
        }
        lines.push_back(current);
        current.clear();
    }
    if (!current.empty()) lines.push_back(current);
    return lines;
}

// A quoted string from text[at] (the opening quote); at ends past the closing one.
std::wstring Quoted(const std::wstring& text, size_t& at) {
    std::wstring value;
    for (++at; at < text.size() && text[at] != L'"'; ++at) {
        if (text[at] == L'\\' && at + 1 < text.size()) ++at;
        value += text[at];
    }
    ++at;
    return value;
}

std::vector<BYTE> HexBytes(const std::wstring& text) {
    std::vector<BYTE> bytes;
    std::wistringstream stream(text);
    std::wstring part;
    while (std::getline(stream, part, L','))
        if (!part.empty()) bytes.push_back(static_cast<BYTE>(std::stoul(part, nullptr, 16)));
    return bytes;
}

bool ParseValue(const std::wstring& line, RegistryRecord& value) {
    size_t at = 0;
    if (line[0] == L'@') at = 1;
    else if (line[0] == L'"') value.name = Quoted(line, at);
    else return false;
    if (at >= line.size() || line[at] != L'=') return false;
    std::wstring data = line.substr(at + 1);
    if (!data.empty() && data[0] == L'"') {
        size_t quote = 0;
        value.type = REG_SZ;
        value.data = Utf16Bytes(Quoted(data, quote));
    } else if (data.rfind(L"dword:", 0) == 0) {
        DWORD number = static_cast<DWORD>(std::stoul(data.substr(6), nullptr, 16));
        value.type = REG_DWORD;
        for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<BYTE>(number >> (8 * i)));
    } else if (data.rfind(L"hex:", 0) == 0) {
        value.type = REG_BINARY;
        value.data = HexBytes(data.substr(4));
    } else if (data.rfind(L"hex(", 0) == 0) {
        size_t close = data.find(L"):");
        if (close == std::wstring::npos) return false;
        value.type = static_cast<DWORD>(std::stoul(data.substr(4, close - 4), nullptr, 16));
        value.data = HexBytes(data.substr(close + 2));
    } else {
        return false;
    }
    return true;
}

}  // namespace

std::wstring UpperCase(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(static_cast<wint_t>(c)));
    return text;
}

RegistryRecords ReadPrefixRecords(const std::string& prefix) {
    RegistryRecords records;
    wincompat::RegistryStore store(prefix);
    store.Read(wincompat::Hive::LocalMachine, [&](const wincompat::RegistryKey& root) -> LONG {
        for (const auto& key : root.subkeys) Collect(*key, L"HKEY_LOCAL_MACHINE\\" + key->name, records);
        return ERROR_SUCCESS;
    });
    store.Read(wincompat::Hive::CurrentUser, [&](const wincompat::RegistryKey& root) -> LONG {
        for (const auto& key : root.subkeys) Collect(*key, L"HKEY_CURRENT_USER\\" + key->name, records);
        return ERROR_SUCCESS;
    });
    return records;
}

RegistryRecords ParseRegExport(const std::string& bytes) {
    RegistryRecords records;
    RegistryKeyRecords* current = nullptr;
    for (const std::wstring& line : LogicalLines(WideFromUtf16(bytes))) {
        if (line.size() > 2 && line.front() == L'[' && line.back() == L']') {
            std::wstring key = line.substr(1, line.size() - 2);
            current = &records[UpperCase(key)];
            current->key = key;
            continue;
        }
        RegistryRecord value;
        if (current && !line.empty() && ParseValue(line, value)) current->values.push_back(value);
    }
    return records;
}

std::string DescribeRecord(const RegistryRecord& value) {
    std::ostringstream text;
    text << (value.name.empty() ? "@" : "\"" + wincompat::Utf8FromWide(value.name) + "\"") << " type " << value.type
         << " =";
    for (BYTE b : value.data) {
        static const char digits[] = "0123456789abcdef";
        text << ' ' << digits[b >> 4] << digits[b & 15];
    }
    return text.str();
}
