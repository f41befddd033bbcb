// GetPrivateProfileStringW and its siblings: argument rules, the file name
// rule and the buffer rules of kernel32, over ProfileFile and ProfileStore.
// Every call reads the file afresh; nothing is cached between calls.
#include <windows.h>

#include "kernel32/Profile.h"
#include "kernel32/ProfileFile.h"
#include "kernel32/ProfileStore.h"
#include "prefix/Prefix.h"

#include <wchar.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace wincompat;

namespace {

// A bare file name lives in the Windows folder; NULL means win.ini.
bool ProfileUnixPath(LPCWSTR fileName, std::string& unixPath, DWORD* error) {
    std::wstring name = fileName ? fileName : L"win.ini";
    if (name.empty()) {
        *error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    if (name.find_first_of(L"\\/:") == std::wstring::npos) name = L"C:\\windows\\" + name;
    return DosToUnix(name, unixPath, error);
}

// The file for a query: empty when missing, with the last error set.
ProfileFile LoadForQuery(LPCWSTR fileName) {
    std::string unixPath, bytes;
    DWORD error = ERROR_SUCCESS;
    if (!ProfileUnixPath(fileName, unixPath, &error) || !ReadProfileBytes(unixPath, bytes, &error)) {
        SetLastError(error);
        bytes.clear();
    }
    return ProfileFile(std::move(bytes), CP_ACP);
}

// At most size - 1 characters and the terminator; the count copied.
DWORD CopyString(std::wstring_view text, LPWSTR buffer, DWORD size) {
    size_t length = std::min<size_t>(text.size(), size - 1);
    wmemcpy(buffer, text.data(), length);
    buffer[length] = L'\0';
    return static_cast<DWORD>(length);
}

// Strings each ending in NUL, then one more NUL. When they do not fit, the
// last one is cut so that two NULs end the buffer, and the count is size - 2.
DWORD CopyList(const std::vector<std::wstring>& items, LPWSTR buffer, DWORD size) {
    std::wstring list;
    for (const std::wstring& item : items) list.append(item).push_back(L'\0');
    if (list.size() < size) {
        wmemcpy(buffer, list.data(), list.size());
        buffer[list.size()] = L'\0';
        if (list.empty() && size >= 2) buffer[1] = L'\0';
        return static_cast<DWORD>(list.size());
    }
    if (size < 2) {
        buffer[0] = L'\0';
        return 0;
    }
    wmemcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = buffer[size - 1] = L'\0';
    return size - 2;
}

std::wstring_view DefaultValue(LPCWSTR defaultValue) {
    std::wstring_view text = defaultValue ? defaultValue : L"";
    while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
    return text;
}

// Decimal with an optional sign, up to the first other character; wraps
// modulo 2^32 like the conversion Windows uses, so "-1" gives 0xFFFFFFFF.
UINT ParseProfileInt(std::wstring_view text) {
    bool negative = !text.empty() && text.front() == L'-';
    if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) text.remove_prefix(1);
    uint32_t value = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') break;
        value = value * 10 + static_cast<uint32_t>(c - L'0');
    }
    return negative ? 0u - value : value;
}

bool ApplyWrite(LPCWSTR appName, LPCWSTR keyName, LPCWSTR value, bool exists, std::string& bytes) {
    if (!exists && (!keyName || !value)) return false;  // nothing to delete, no file to create
    ProfileFile file(std::move(bytes), CP_ACP);
    if (!keyName)
        file.DeleteSection(appName);
    else if (!value)
        file.DeleteKey(appName, keyName);
    else
        file.SetValue(appName, keyName, value);
    bytes = file.Bytes();
    return true;
}

}  // namespace

extern "C" DWORD WINAPI GetPrivateProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR defaultValue,
                                                 LPWSTR returnedString, DWORD size, LPCWSTR fileName) {
    if (!returnedString || size == 0) return 0;
    ProfileFile file = LoadForQuery(fileName);
    if (!appName) return CopyList(file.SectionNames(size), returnedString, size);
    if (!keyName)
        return CopyList(file.KeyNames(appName, size).value_or(std::vector<std::wstring>()), returnedString, size);
    if (std::optional<std::wstring> value = file.Value(appName, keyName))
        return CopyString(*value, returnedString, size);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return CopyString(DefaultValue(defaultValue), returnedString, size);
}

extern "C" UINT WINAPI GetPrivateProfileIntW(LPCWSTR appName, LPCWSTR keyName, INT defaultValue,
                                             LPCWSTR fileName) {
    if (!appName || !keyName) return static_cast<UINT>(defaultValue);
    std::optional<std::wstring> value = LoadForQuery(fileName).Value(appName, keyName);
    if (!value || value->empty()) return static_cast<UINT>(defaultValue);
    return ParseProfileInt(*value);
}

extern "C" BOOL WINAPI WritePrivateProfileStringW(LPCWSTR appName, LPCWSTR keyName, LPCWSTR value,
                                                  LPCWSTR fileName) {
    // All three NULL asks to flush the cache, after which Windows always answers FALSE.
    if (!appName) {
        if (keyName || value) SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string unixPath;
    DWORD error = ERROR_SUCCESS;
    auto edit = [&](bool exists, std::string& bytes) { return ApplyWrite(appName, keyName, value, exists, bytes); };
    if (!ProfileUnixPath(fileName, unixPath, &error) || !UpdateProfileFile(unixPath, edit, &error)) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

extern "C" DWORD WINAPI GetPrivateProfileSectionNamesW(LPWSTR returnBuffer, DWORD size, LPCWSTR fileName) {
    if (!returnBuffer || size == 0) return 0;
    return CopyList(LoadForQuery(fileName).SectionNames(size), returnBuffer, size);
}

extern "C" DWORD WINAPI GetPrivateProfileSectionW(LPCWSTR appName, LPWSTR returnedString, DWORD size,
                                                  LPCWSTR fileName) {
    if (!returnedString || size == 0) return 0;
    if (!appName) return CopyList({}, returnedString, size);
    std::vector<std::wstring> entries =
        LoadForQuery(fileName).Entries(appName).value_or(std::vector<std::wstring>());
    return CopyList(entries, returnedString, size);
}
