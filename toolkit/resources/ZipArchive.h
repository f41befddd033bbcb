// A zip archive read in place from memory (libzip).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct zip;

namespace DuiLib {

class CZipArchive {
public:
    CZipArchive() = default;
    ~CZipArchive();
    CZipArchive(const CZipArchive&) = delete;
    CZipArchive& operator=(const CZipArchive&) = delete;

    // The bytes are neither copied nor freed; false when they are not a zip.
    bool Open(LPCVOID data, unsigned int size, const std::wstring& password);
    void Close();
    bool IsOpen() const;
    // An entry by its path ('/' or '\' separated): exact case first, then any case.
    bool Contains(const std::wstring& name) const;
    bool Read(const std::wstring& name, std::vector<BYTE>& bytes) const;

private:
    long long Locate(const std::wstring& name) const;  // -1 when absent
    struct zip* m_archive = nullptr;
};

}  // namespace DuiLib
