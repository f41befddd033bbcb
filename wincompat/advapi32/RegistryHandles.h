// Registry key handles: the predefined roots and the keys a program opened.
// A handle names a key by its path, so it stays valid when another process
// rewrites the hive; a key deleted meanwhile answers ERROR_KEY_DELETED.
#pragma once

#include "prefix/RegistryPath.h"

#include <windows.h>

namespace wincompat {

struct OpenKey {
    Hive hive = Hive::LocalMachine;
    KeyPath path;            // real path from the hive's root
    REGSAM access = 0;       // rights granted when it was opened
    bool predefined = false; // HKEY_LOCAL_MACHINE and its kin always exist
};

// The key a handle stands for; false for a handle that is not open.
bool LookupKeyHandle(HKEY handle, OpenKey& key);
HKEY AddKeyHandle(OpenKey key);
// False for a handle that is not open. Closing a predefined root is allowed.
bool CloseKeyHandle(HKEY handle);

}  // namespace wincompat
