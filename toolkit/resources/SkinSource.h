// The process-wide place skin files come from: the resource folder, or the
// in-memory zip archive once one has been set (the folder is then never read).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/resources/ZipArchive.h"

namespace DuiLib {

class CSkinSource {
public:
    static CSkinSource& Get();

    void SetKind(int kind);
    int GetKind() const;
    void SetFolder(const std::wstring& folder);  // ends in '\'
    const std::wstring& GetFolder() const;
    void SetArchive(LPCVOID data, unsigned int size, const std::wstring& password);
    // Back to the folder as the only source, as at start (tests use this).
    void Reset();

    bool Read(const std::wstring& name, std::vector<BYTE>& bytes) const;
    bool Exists(const std::wstring& name) const;
    // Changes whenever the source does, so caches of decoded files can tell.
    unsigned int Generation() const;

private:
    bool ReadFromFolder(const std::wstring& name, std::vector<BYTE>& bytes) const;
    bool ServesFolder() const;

    int m_kind = 1;
    std::wstring m_folder;
    bool m_hasArchive = false;
    CZipArchive m_archive;
    unsigned int m_generation = 0;
};

}  // namespace DuiLib
