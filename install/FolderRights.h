// Access rights on the install folder tree.
#pragma once

#include <string>

class PayloadManifest;

// Grants the group Everyone full control on the folder (a path ending with a
// backslash) and on the entries below it that `owned` names; any other entry
// keeps its rights, and links and other reparse points are neither changed
// nor walked into. Each folder is listed through a handle on it and each
// entry is changed through a handle of its own, checked first to hold the
// very entry listed: one swapped meanwhile, or reached through a folder
// swapped for a link, is left alone. A failing entry is reported on standard
// output and the walk goes on; when Everyone cannot be looked up that is
// reported once and nothing changes. Always true.
bool GrantEveryoneOnTree(const std::wstring& folder, const PayloadManifest& owned);

// Rewrites the DACL of a file or folder: its explicit entries without those
// for Everyone, a new Everyone entry with full control inherited by files and
// subfolders, then its inherited entries; protection or auto-inheritance is
// kept. The path's last element is the entry itself, even a link. True when
// the new descriptor was stored.
bool GrantEveryoneFullControl(const std::wstring& path);
