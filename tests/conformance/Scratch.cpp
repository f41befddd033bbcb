#include "Scratch.h"

namespace conformance {

std::wstring CaseFolder(const std::wstring& name) {
    std::wstring folder = L"C:\\conformance";
    CreateDirectoryW(folder.c_str(), nullptr);
    folder += L"\\" + name;
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

Opened Open(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags) {
    SetLastError(0xDEAD);
    HANDLE handle = CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr);
    DWORD error = GetLastError();
    return Opened{Handle(handle), error};
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    Opened file = Open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    if (!file.handle.valid()) return false;
    DWORD written = 0;
    return WriteFile(file.handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::string ReadBytes(const std::wstring& path) {
    Opened file = Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (!file.handle.valid()) return std::string();
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file.handle.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool ReadMultiString(HKEY root, const wchar_t* path, const wchar_t* name, REGSAM view,
                     std::vector<std::wstring>& strings) {
    strings.clear();
    Key key;
    if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE | view, key.receive()) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_MULTI_SZ)
        return false;
    std::wstring data(size / sizeof(WCHAR), L'\0');
    if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size) != ERROR_SUCCESS)
        return false;
    data.resize(size / sizeof(WCHAR));
    if (!data.empty() && data.back() == L'\0') data.pop_back();  // the list's own terminator
    size_t start = 0;
    for (size_t end; (end = data.find(L'\0', start)) != std::wstring::npos; start = end + 1)
        strings.push_back(data.substr(start, end - start));
    if (start < data.size()) strings.push_back(data.substr(start));
    return true;
}

}  // namespace conformance
