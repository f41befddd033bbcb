// Access rights on the install folder tree.
#pragma once

#include <string>

// Grants the group Everyone full control on the folder (a path ending with a
// backslash) and everything below it. A failing entry is reported on
// standard output and the walk goes on; always true. Links and other reparse
// points get their own entry but are not walked into.
bool GrantEveryoneOnTree(const std::wstring& folder);

// Rewrites the DACL of a file or folder: its explicit entries without those
// for Everyone, a new Everyone entry with full control inherited by files and
// subfolders, then its inherited entries; protection or auto-inheritance is
// kept. True when the new descriptor was stored.
bool GrantEveryoneFullControl(const std::wstring& path);
