#include "app/ProductPaths.h"

const wchar_t ProductFolderName[] = L"Velmora";
const wchar_t UserFolderName[] = L"VelmoraUser";
const wchar_t UserConfigFileName[] = L"VelmoraUser.ini";
const wchar_t VersionFileName[] = L"VelmoraUserVersion.ini";
const wchar_t ProductVersion[] = L"1.0.1.2016";
const wchar_t LauncherFileName[] = L"Pellamor.exe";
const wchar_t* const ShellExtensionLibraries[2] = {L"Tellurin.dll", L"Tellurin64.dll"};

namespace {

std::wstring WithBackslashes(std::wstring text) {
    for (wchar_t& c : text)
        if (c == L'/') c = L'\\';
    return text;
}

}  // namespace

std::wstring JoinPath(const std::wstring& base, const std::wstring& name) {
    std::wstring left = WithBackslashes(base);
    std::wstring right = WithBackslashes(name);
    bool needsSeparator = !left.empty() && !right.empty() && left.back() != L':' && left.back() != L'\\' &&
                          right.front() != L'\\';
    return needsSeparator ? left + L"\\" + right : left + right;
}

std::wstring ProductFolderPath(const std::wstring& base) { return JoinPath(base, ProductFolderName); }
std::wstring UserFolderPath(const std::wstring& base) { return JoinPath(base, UserFolderName); }
std::wstring UserConfigFilePath(const std::wstring& base) { return JoinPath(base, UserConfigFileName); }
std::wstring VersionFilePath(const std::wstring& base) { return JoinPath(base, VersionFileName); }
