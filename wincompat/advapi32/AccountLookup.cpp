// advapi32: account names of the local system. Only the well-known groups and
// aliases every Windows has are known; names compare without regard to case,
// with or without their domain ("NT AUTHORITY\SYSTEM").
#include "advapi32/SecurityIdentifiers.h"
#include "prefix/Prefix.h"

#include <string.h>
#include <wchar.h>

#include <string_view>

using namespace wincompat;

namespace {

struct Account {
    const wchar_t* name;
    const wchar_t* domain;
    SidBytes (*sid)();
    SID_NAME_USE use;
};

const Account kAccounts[] = {
    {L"Everyone", L"", EveryoneSid, SidTypeWellKnownGroup},
    {L"INTERACTIVE", L"NT AUTHORITY", InteractiveSid, SidTypeWellKnownGroup},
    {L"Authenticated Users", L"NT AUTHORITY", AuthenticatedUsersSid, SidTypeWellKnownGroup},
    {L"SYSTEM", L"NT AUTHORITY", LocalSystemSid, SidTypeWellKnownGroup},
    {L"Administrators", L"BUILTIN", AdministratorsSid, SidTypeAlias},
    {L"Users", L"BUILTIN", UsersSid, SidTypeAlias},
};

const Account* FindAccount(std::wstring_view name) {
    std::wstring_view domain;
    size_t separator = name.find(L'\\');
    bool qualified = separator != std::wstring_view::npos;
    if (qualified) {
        domain = name.substr(0, separator);
        name = name.substr(separator + 1);
    }
    for (const Account& account : kAccounts) {
        if (!EqualNoCase(name, account.name)) continue;
        if (qualified && !EqualNoCase(domain, account.domain)) continue;
        return &account;
    }
    return nullptr;
}

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

}  // namespace

BOOL WINAPI LookupAccountNameW(LPCWSTR systemName, LPCWSTR accountName, PSID sid, LPDWORD sidLength,
                               LPWSTR referencedDomainName, LPDWORD referencedDomainNameLength,
                               PSID_NAME_USE use) {
    if (!accountName || !sidLength || !referencedDomainNameLength || !use) return Fail(ERROR_INVALID_PARAMETER);
    if (systemName && *systemName) return Fail(RPC_S_SERVER_UNAVAILABLE);
    const Account* account = FindAccount(accountName);
    if (!account) return Fail(ERROR_NONE_MAPPED);
    SidBytes bytes = account->sid();
    DWORD domainLength = static_cast<DWORD>(wcslen(account->domain));
    bool sidFits = sid && *sidLength >= bytes.size();
    bool domainFits = referencedDomainName && *referencedDomainNameLength > domainLength;
    if (!sidFits || !domainFits) {
        // Both sizes are reported, the domain's with its terminator.
        *sidLength = static_cast<DWORD>(bytes.size());
        *referencedDomainNameLength = domainLength + 1;
        return Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    wmemcpy(referencedDomainName, account->domain, domainLength + 1);
    memcpy(sid, bytes.data(), bytes.size());
    *sidLength = static_cast<DWORD>(bytes.size());
    *referencedDomainNameLength = domainLength;
    *use = account->use;
    return TRUE;
}
