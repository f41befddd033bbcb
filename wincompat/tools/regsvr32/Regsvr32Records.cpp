#include "regsvr32/Regsvr32Records.h"

#include <windows.h>

#include <openssl/evp.h>
#include <wchar.h>
#include <wctype.h>

#include <vector>

namespace regsvr32 {

namespace {

// The namespace of Velmora's library class ids, a fixed random GUID.
const unsigned char kNamespace[16] = {0x6f, 0x1c, 0x3a, 0x52, 0x8e, 0x0b, 0x4d, 0x1f,
                                      0x9a, 0x57, 0x3c, 0x2e, 0x7b, 0x90, 0xd4, 0xa1};

class Key {
public:
    Key() = default;
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* Out() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

REGSAM ViewOf(const std::wstring& fullPath) {
    return IsLibrary32Bit(fullPath) ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

LONG SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR)));
}

std::wstring FileNameOf(const std::wstring& fullPath) {
    size_t slash = fullPath.find_last_of(L"\\/");
    return slash == std::wstring::npos ? fullPath : fullPath.substr(slash + 1);
}

std::wstring FormatGuid(const unsigned char* bytes) {
    wchar_t text[40];
    swprintf(text, 40, L"{%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X}", bytes[0], bytes[1],
             bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9], bytes[10], bytes[11],
             bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

}  // namespace

std::wstring ClassIdForLibrary(const std::wstring& fullPath) {
    std::vector<unsigned char> input(kNamespace, kNamespace + 16);
    for (wchar_t c : fullPath) {  // UTF-16LE of the upper-cased path (BMP is enough for paths here)
        auto unit = static_cast<unsigned>(towupper(static_cast<wint_t>(c)));
        input.push_back(static_cast<unsigned char>(unit & 0xFF));
        input.push_back(static_cast<unsigned char>((unit >> 8) & 0xFF));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(input.data(), input.size(), digest, &length, EVP_sha1(), nullptr);
    digest[6] = static_cast<unsigned char>((digest[6] & 0x0F) | 0x50);  // version 5
    digest[8] = static_cast<unsigned char>((digest[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return FormatGuid(digest);
}

// Reads count bytes at offset; false on any failure or a short read.
bool ReadAt(HANDLE file, DWORD offset, void* bytes, DWORD count) {
    DWORD read = 0;
    return SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           ReadFile(file, bytes, count, &read, nullptr) && read == count;
}

bool IsLibrary32Bit(const std::wstring& fullPath) {
    HANDLE file = CreateFileW(fullPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    unsigned char header[0x40] = {};
    unsigned char pe[6] = {};
    bool is32Bit = false;
    if (ReadAt(file, 0, header, sizeof(header)) && header[0] == 'M' && header[1] == 'Z') {
        uint32_t offset =
            header[0x3C] | header[0x3D] << 8 | header[0x3E] << 16 | static_cast<uint32_t>(header[0x3F]) << 24;
        is32Bit = ReadAt(file, offset, pe, sizeof(pe)) && pe[0] == 'P' && pe[1] == 'E' && pe[2] == 0 && pe[3] == 0 &&
                  pe[4] == 0x4C && pe[5] == 0x01;
    }
    CloseHandle(file);
    return is32Bit;
}

LONG RegisterLibrary(const std::wstring& fullPath) {
    std::wstring classKey = L"CLSID\\" + ClassIdForLibrary(fullPath);
    Key key, server;
    REGSAM access = KEY_WRITE | ViewOf(fullPath);
    LONG result = RegCreateKeyExW(HKEY_CLASSES_ROOT, classKey.c_str(), 0, nullptr, 0, access, nullptr, key.Out(), nullptr);
    if (result == ERROR_SUCCESS) result = SetText(key.Get(), nullptr, FileNameOf(fullPath));
    if (result == ERROR_SUCCESS)
        result = RegCreateKeyExW(key.Get(), L"InprocServer32", 0, nullptr, 0, access, nullptr, server.Out(), nullptr);
    if (result == ERROR_SUCCESS) result = SetText(server.Get(), nullptr, fullPath);
    if (result == ERROR_SUCCESS) result = SetText(server.Get(), L"ThreadingModel", L"Apartment");
    return result;
}

// The class key is opened in its view and emptied before it is deleted, so
// every step names the view itself.
LONG UnregisterLibrary(const std::wstring& fullPath) {
    std::wstring classKey = L"CLSID\\" + ClassIdForLibrary(fullPath);
    REGSAM view = ViewOf(fullPath);
    Key key;
    LONG result = RegOpenKeyExW(HKEY_CLASSES_ROOT, classKey.c_str(), 0, KEY_ALL_ACCESS | view, key.Out());
    if (result == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;  // not registered
    if (result == ERROR_SUCCESS) result = RegDeleteTreeW(key.Get(), nullptr);
    if (result == ERROR_SUCCESS) result = RegDeleteKeyExW(HKEY_CLASSES_ROOT, classKey.c_str(), view, 0);
    return result;
}

}  // namespace regsvr32
