// Folder chains: each level of a path created in turn.
#include "install/Shortcuts.h"

#include <shlwapi.h>

bool CreateFolderChain(const std::wstring& path) {
    if (!FitsPathBuffer(path)) return false;
    std::wstring level = path;
    for (size_t i = 0; i < level.size(); ++i) {
        if (level[i] != L'\\') continue;
        level[i] = L'\0';
        if (!PathFileExistsW(level.c_str()) && !CreateDirectoryW(level.c_str(), nullptr)) return false;
        level[i] = L'\\';
    }
    return true;
}
