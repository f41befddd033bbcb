// Mapping of requested rights, and the choice of registry view.
#include "advapi32/RegistryAccess.h"

#include "advapi32/KeySecurity.h"
#include "prefix/Machine.h"

namespace wincompat {

REGSAM GrantedKeyAccess(REGSAM desired) {
    REGSAM granted = desired & ~static_cast<REGSAM>(KEY_WOW64_RES | GENERIC_READ | GENERIC_WRITE |
                                                    GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED);
    if (desired & (GENERIC_READ | GENERIC_EXECUTE)) granted |= KEY_READ;
    if (desired & GENERIC_WRITE) granted |= KEY_WRITE;
    if (desired & (GENERIC_ALL | MAXIMUM_ALLOWED)) granted |= KEY_ALL_ACCESS;
    return granted;
}

bool Uses32BitView(REGSAM samDesired) {
    const Machine& machine = CurrentMachine();
    if (!machine.NativeIs64Bit()) return false;
    if (samDesired & KEY_WOW64_32KEY) return true;
    if (samDesired & KEY_WOW64_64KEY) return false;
    return machine.RunsUnderWow64();
}

LONG CheckKeyAccess(const RegistryKey& key, REGSAM desired) {
    return KeyGrants(key, desired) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

}  // namespace wincompat
