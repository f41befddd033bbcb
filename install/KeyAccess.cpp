#include "install/KeyAccess.h"

namespace {

class ScopedSid {
public:
    ~ScopedSid() {
        if (sid_) FreeSid(sid_);
    }
    PSID get() const { return sid_; }
    PSID* receive() { return &sid_; }

private:
    PSID sid_ = nullptr;
};

class HeapBlock {
public:
    explicit HeapBlock(SIZE_T bytes) : block_(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes)) {}
    ~HeapBlock() {
        if (block_) HeapFree(GetProcessHeap(), 0, block_);
    }
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;
    void* get() const { return block_; }

private:
    void* block_;
};

// Builds the single-entry DACL in `acl` and a descriptor holding it, and
// applies it. False only when the key refused the new descriptor; a
// descriptor that could not be built leaves the key as it is.
bool ApplyInteractiveDacl(HKEY key, PSID interactive) {
    DWORD aclSize = GetLengthSid(interactive) + 20;
    HeapBlock block(aclSize);
    PACL acl = static_cast<PACL>(block.get());
    SECURITY_DESCRIPTOR descriptor;
    bool built = acl && InitializeAcl(acl, aclSize, ACL_REVISION) &&
                 AddAccessAllowedAce(acl, ACL_REVISION, KEY_ALL_ACCESS, interactive) &&
                 InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                 SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE);
    if (!built) return true;
    return RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
}

bool GrantSubkeys(HKEY key) {
    WCHAR name[1024];
    for (DWORD index = 0; RegEnumKeyW(key, index, name, 1024) == ERROR_SUCCESS; ++index)
        if (!GrantKeyAccessRecursive(key, name)) return false;
    return true;
}

}  // namespace

bool GrantKeyAccessRecursive(HKEY parent, const wchar_t* name) {
    ScopedKey daclKey;
    if (RegOpenKeyExW(parent, name, 0, WRITE_DAC, daclKey.receive()) != ERROR_SUCCESS) return false;
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    ScopedSid interactive;
    if (!AllocateAndInitializeSid(&ntAuthority, 1, SECURITY_INTERACTIVE_RID, 0, 0, 0, 0, 0, 0, 0,
                                  interactive.receive()))
        return false;
    if (!ApplyInteractiveDacl(daclKey.get(), interactive.get())) return false;
    ScopedKey fullKey;
    if (RegOpenKeyExW(parent, name, 0, KEY_ALL_ACCESS, fullKey.receive()) != ERROR_SUCCESS) return false;
    return GrantSubkeys(fullKey.get());
}
