// Reading an installed prefix through the Windows API: the entries of a
// folder tree with their attributes and Everyone's access, and shell links.
// Compiled twice: into prefix-probe.exe, which runs it under Wine, and into
// the native checks, which run it on wincompat; the two answers are compared.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TreeEntry {
    std::wstring path;        // below the root, "" for the root itself
    DWORD attributes = 0;
    DWORD everyoneAccess = 0; // what the DACL allows S-1-1-0; 0 when it names Everyone nowhere
};

// The root and everything below it, folders before their contents.
std::vector<TreeEntry> ListTree(const std::wstring& root);

struct LinkFields {
    HRESULT result = E_FAIL;  // of loading the link
    std::wstring target, arguments, folder;
};

// Loads a .lnk file through CLSID_ShellLink; COM must be initialised.
LinkFields ReadLink(const std::wstring& path);
