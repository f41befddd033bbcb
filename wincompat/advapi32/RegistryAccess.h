// Access rights and the registry view a call asks for.
#pragma once

#include "prefix/RegistryTree.h"

#include <windows.h>

namespace wincompat {

// The key rights a requested mask stands for: generic rights mapped,
// MAXIMUM_ALLOWED as all rights, the view flags removed.
REGSAM GrantedKeyAccess(REGSAM desired);

// Whether a call with these flags works on the 32-bit view: the process's
// own view (32-bit under WOW64) unless KEY_WOW64_64KEY or KEY_WOW64_32KEY
// chooses; a 32-bit Windows has only one view.
bool Uses32BitView(REGSAM samDesired);

// Whether the key lets the process have `desired`: ERROR_ACCESS_DENIED when
// the descriptor set with RegSetKeySecurity (RegistryKey::security) refuses
// it; a key without one grants everything.
LONG CheckKeyAccess(const RegistryKey& key, REGSAM desired);

}  // namespace wincompat
