// Access rights on the install folder tree.
#pragma once

#include <string>

// Grants the group Everyone full control on the folder and everything below it.
bool GrantEveryoneOnTree(const std::wstring& folder);
