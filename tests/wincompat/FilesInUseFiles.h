// Files of the file-API tests, named by Windows paths in the test prefix.
#pragma once

#include <windows.h>

#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

inline std::string UnixOf(const std::wstring& dos) {
    std::string unixPath;
    wincompat::DosToUnix(dos, unixPath, nullptr, 32767);
    return unixPath;
}

inline std::string Narrow(const std::wstring& text) { return wincompat::Utf8FromWide(text); }

// A fresh folder C:\<name>-N.
inline std::wstring MakeDosFolder(const std::wstring& name) {
    static int counter = 0;
    std::wstring folder = L"C:\\" + name + L"-" + std::to_wstring(++counter);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

inline void PutFile(const std::wstring& dos, const std::string& bytes) { WriteWholeFile(UnixOf(dos), bytes); }

inline std::string GetFile(const std::wstring& dos) { return ReadWholeFile(UnixOf(dos)); }

inline bool Present(const std::wstring& dos) {
    struct stat info;
    return lstat(UnixOf(dos).c_str(), &info) == 0;
}

// A second drive: D: is a folder of the test area, linked in dosdevices.
inline const std::wstring& DriveD() {
    static const std::wstring root = [] {
        wincompat::PrefixRoot();  // creates dosdevices
        std::string folder = MakeTestFolder("drive-d");
        symlink(folder.c_str(), (TestPrefixRoot() + "/dosdevices/d:").c_str());
        return std::wstring(L"D:\\");
    }();
    return root;
}
