// Helpers shared by the profile-file tests: files in a fresh folder of the
// test area, named for the API by their Z: path.
#pragma once

#include <windows.h>

#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <string>

// A unix file in a fresh folder, and its Windows name on drive Z:.
struct ProfileTestFile {
    std::string unixPath;
    std::wstring dosPath;

    explicit ProfileTestFile(const std::string& name = "test.ini")
        : unixPath(MakeTestFolder("profile") + "/" + name), dosPath(L"Z:" + wincompat::WideFromUtf8(unixPath)) {
        for (wchar_t& c : dosPath)
            if (c == L'/') c = L'\\';
    }
    const wchar_t* dos() const { return dosPath.c_str(); }
    void Write(const std::string& bytes) const { WriteWholeFile(unixPath, bytes); }
    std::string Read() const { return ReadWholeFile(unixPath); }
};

// GetPrivateProfileStringW into a buffer of the given size.
inline std::wstring ReadProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                                      const wchar_t* file, DWORD size = 256, DWORD* returned = nullptr) {
    std::wstring buffer(size, L'#');
    DWORD length = GetPrivateProfileStringW(section, key, defaultValue, buffer.data(), size, file);
    if (returned) *returned = length;
    return buffer.substr(0, length);
}
