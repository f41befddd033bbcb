#include "install/FolderRights.h"

#include <windows.h>

#include "install/PayloadManifest.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include <memory>
#include <vector>

namespace {

typedef BOOL(WINAPI* AddAccessAllowedAceExProc)(PACL, DWORD, DWORD, DWORD, PSID);
typedef BOOL(WINAPI* SetSecurityDescriptorControlProc)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL,
                                                       SECURITY_DESCRIPTOR_CONTROL);

constexpr DWORD kEveryoneAceFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
constexpr DWORD kAccessAllowedAceHeader = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD);  // entry without its SID

struct HeapDeleter {
    void operator()(void* block) const { HeapFree(GetProcessHeap(), 0, block); }
};
using HeapBlock = std::unique_ptr<void, HeapDeleter>;

HeapBlock AllocateZeroed(SIZE_T bytes) { return HeapBlock(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes)); }

// Writes the diagnostic, filled with the last error, and gives false. Standard
// output stays byte-oriented: the installer's other diagnostics use printf.
bool Report(const wchar_t* format) {
    DWORD error = GetLastError();
    wchar_t line[128];
    swprintf(line, sizeof(line) / sizeof(line[0]), format, static_cast<int>(error));
    char text[256];
    if (WideCharToMultiByte(CP_ACP, 0, line, -1, text, sizeof(text), nullptr, nullptr) == 0) return false;
    printf("%s", text);
    fflush(stdout);
    return false;
}

// An export of the loaded advapi32.dll as the function type it has, null when missing.
template <typename Function>
Function Advapi32Export(const char* name) {
    HMODULE advapi32 = GetModuleHandleW(L"advapi32.dll");
    FARPROC address = advapi32 ? GetProcAddress(advapi32, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(address));
}

bool LookUpEveryone(HeapBlock& sid) {
    DWORD sidSize = 0;
    DWORD domainSize = 0;
    SID_NAME_USE use;
    if (!LookupAccountNameW(nullptr, L"Everyone", nullptr, &sidSize, nullptr, &domainSize, &use) &&
        GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return Report(L"LookupAccountName() failed. Error %d\n");
    sid = AllocateZeroed(sidSize);
    HeapBlock domain = AllocateZeroed(domainSize * sizeof(WCHAR));
    if (!sid || !domain) return Report(L"HeapAlloc() failed. Error %d\n");
    if (!LookupAccountNameW(nullptr, L"Everyone", sid.get(), &sidSize, static_cast<LPWSTR>(domain.get()),
                            &domainSize, &use))
        return Report(L"LookupAccountName() failed. Error %d\n");
    return true;
}

// The old DACL, null when there is none or it is a null DACL, and its size.
bool ReadDacl(PSECURITY_DESCRIPTOR descriptor, PACL& dacl, ACL_SIZE_INFORMATION& size) {
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    dacl = nullptr;
    if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted))
        return Report(L"GetSecurityDescriptorDacl() failed. Error %d\n");
    if (!present) dacl = nullptr;
    size = ACL_SIZE_INFORMATION{0, sizeof(ACL), 0};
    if (dacl && !GetAclInformation(dacl, &size, sizeof(size), AclSizeInformation))
        return Report(L"GetAclInformation() failed. Error %d\n");
    return true;
}

// Whether the SID at the place of an access-allowed entry's SID is Everyone;
// an entry too short to hold it cannot be.
bool NamesEveryone(const ACE_HEADER* ace, PSID everyone) {
    DWORD length = GetLengthSid(everyone);
    if (ace->AceSize < kAccessAllowedAceHeader + length) return false;
    const BYTE* sid = reinterpret_cast<const BYTE*>(ace) + kAccessAllowedAceHeader;
    return memcmp(sid, everyone, length) == 0;
}

// Appends the old entries from index first on; with everyone set, only the
// explicit ones that are not for Everyone, stopping at the first inherited one.
bool CopyEntries(PACL from, DWORD count, DWORD& index, PACL to, PSID everyone) {
    for (; index < count; ++index) {
        LPVOID entry = nullptr;
        if (!GetAce(from, index, &entry)) return Report(L"GetAce() failed. Error %d\n");
        const ACE_HEADER* header = static_cast<const ACE_HEADER*>(entry);
        if (everyone && (header->AceFlags & INHERITED_ACE)) return true;
        if (everyone && NamesEveryone(header, everyone)) continue;
        if (!AddAce(to, ACL_REVISION, MAXDWORD, entry, header->AceSize))
            return Report(L"AddAce() failed. Error %d\n");
    }
    return true;
}

bool AddEveryoneEntry(PACL acl, PSID everyone, AddAccessAllowedAceExProc addEx) {
    if (addEx) {
        if (!addEx(acl, ACL_REVISION, kEveryoneAceFlags, GENERIC_ALL, everyone))
            return Report(L"AddAccessAllowedAceEx() failed. Error %d\n");
        return true;
    }
    if (!AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, everyone))
        return Report(L"AddAccessAllowedAce() failed. Error %d\n");
    return true;
}

bool BuildDacl(PACL old, const ACL_SIZE_INFORMATION& size, PSID everyone, AddAccessAllowedAceExProc addEx,
               HeapBlock& acl) {
    DWORD length = size.AclBytesInUse + GetLengthSid(everyone) + kAccessAllowedAceHeader;
    acl = AllocateZeroed(length);
    if (!acl) return Report(L"HeapAlloc() failed. Error %d\n");
    PACL created = static_cast<PACL>(acl.get());
    if (!InitializeAcl(created, length, ACL_REVISION)) return Report(L"InitializeAcl() failed. Error %d\n");
    DWORD index = 0;
    DWORD count = old ? size.AceCount : 0;
    return CopyEntries(old, count, index, created, everyone) && AddEveryoneEntry(created, everyone, addEx) &&
           CopyEntries(old, count, index, created, nullptr);
}

// Carries auto-inheritance, or else protection, over from the old DACL.
bool CarryOverControl(PSECURITY_DESCRIPTOR old, PSECURITY_DESCRIPTOR created,
                      SetSecurityDescriptorControlProc setControl) {
    if (!setControl) return true;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(old, &control, &revision))
        return Report(L"GetSecurityDescriptorControl() failed.Error %d\n");
    SECURITY_DESCRIPTOR_CONTROL bits = 0;
    if (control & SE_DACL_AUTO_INHERITED) bits = SE_DACL_AUTO_INHERIT_REQ | SE_DACL_AUTO_INHERITED;
    else if (control & SE_DACL_PROTECTED) bits = SE_DACL_PROTECTED;
    if (bits && !setControl(created, bits, bits)) return Report(L"SetSecurityDescriptorControl() failed.Error %d\n");
    return true;
}

// A handle on one entry of the tree, for reading and changing its security
// (and listing it, for a folder): never its data, and with linkItself a link
// at the end of the path is the entry, not what it points to.
class EntryHandle {
public:
    EntryHandle(const std::wstring& path, bool folder, bool linkItself = true)
        : handle_(CreateFileW(path.c_str(), READ_CONTROL | WRITE_DAC | (folder ? FILE_LIST_DIRECTORY : 0),
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | (linkItself ? FILE_FLAG_OPEN_REPARSE_POINT : 0),
                              nullptr)) {}
    ~EntryHandle() {
        if (Opened()) CloseHandle(handle_);
    }
    EntryHandle(const EntryHandle&) = delete;
    EntryHandle& operator=(const EntryHandle&) = delete;

    bool Opened() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// The path of what the handle holds now, without the "\\?\" of the long form.
bool FinalPath(HANDLE entry, std::wstring& path) {
    wchar_t buffer[MAX_PATH + 8];
    DWORD length = GetFinalPathNameByHandleW(entry, buffer, MAX_PATH + 8, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= MAX_PATH + 8) return false;
    path.assign(buffer, length);
    if (path.compare(0, 4, L"\\\\?\\") == 0) path.erase(0, 4);
    return true;
}

// What a walk builds once and uses for every entry: Everyone's SID, the newer
// exports of advapi32.dll, a buffer for the entry's descriptor, and the
// descriptor built from the last one read. Each entry's descriptor is still
// read afresh; the built one is only taken again when the entry's descriptor
// is the same bytes as the one it was built from, so whatever another
// process stored in between is what the grant starts from. Descriptors are
// read and stored through the entry's handle: what changes is the object
// the walk looked at, wherever its path leads by then.
class EveryoneGrant {
public:
    bool Prepare() {
        addEx_ = Advapi32Export<AddAccessAllowedAceExProc>("AddAccessAllowedAceEx");
        setControl_ = Advapi32Export<SetSecurityDescriptorControlProc>("SetSecurityDescriptorControl");
        return LookUpEveryone(everyone_);
    }

    bool Apply(HANDLE entry) {
        if (!ReadDescriptor(entry)) return false;
        if (!MatchesBuilt() && !Build()) return false;
        if (!SetKernelObjectSecurity(entry, DACL_SECURITY_INFORMATION, &built_))
            return Report(L"SetKernelObjectSecurity() failed. Error %d\n");
        return true;
    }

private:
    // The entry's DACL into the buffer, grown when it is too small.
    bool ReadDescriptor(HANDLE entry) {
        DWORD needed = 0;
        if (GetKernelObjectSecurity(entry, DACL_SECURITY_INFORMATION, read_.get(), capacity_, &needed)) return true;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return Report(L"GetKernelObjectSecurity() failed. Error %d\n");
        read_ = AllocateZeroed(needed);
        capacity_ = read_ ? needed : 0;
        if (!read_) return Report(L"HeapAlloc() failed. Error %d\n");
        if (!GetKernelObjectSecurity(entry, DACL_SECURITY_INFORMATION, read_.get(), capacity_, &needed))
            return Report(L"GetKernelObjectSecurity() failed. Error %d\n");
        return true;
    }

    bool MatchesBuilt() const {
        const DWORD length = GetSecurityDescriptorLength(read_.get());
        return length != 0 && length == builtFrom_.size() && memcmp(builtFrom_.data(), read_.get(), length) == 0;
    }

    bool Build() {
        builtFrom_.clear();
        if (!InitializeSecurityDescriptor(&built_, SECURITY_DESCRIPTOR_REVISION))
            return Report(L"InitializeSecurityDescriptor() failed.Error %d\n");
        PACL oldDacl = nullptr;
        ACL_SIZE_INFORMATION size;
        if (!ReadDacl(read_.get(), oldDacl, size) || !BuildDacl(oldDacl, size, everyone_.get(), addEx_, dacl_))
            return false;
        if (!SetSecurityDescriptorDacl(&built_, TRUE, static_cast<PACL>(dacl_.get()), FALSE))
            return Report(L"SetSecurityDescriptorDacl() failed. Error %d\n");
        if (!CarryOverControl(read_.get(), &built_, setControl_)) return false;
        const BYTE* bytes = static_cast<const BYTE*>(read_.get());
        builtFrom_.assign(bytes, bytes + GetSecurityDescriptorLength(read_.get()));
        return true;
    }

    HeapBlock everyone_;
    AddAccessAllowedAceExProc addEx_ = nullptr;
    SetSecurityDescriptorControlProc setControl_ = nullptr;
    HeapBlock read_;
    DWORD capacity_ = 0;
    std::vector<BYTE> builtFrom_;  // empty: nothing built
    HeapBlock dacl_;
    SECURITY_DESCRIPTOR built_;
};

}  // namespace

bool GrantEveryoneFullControl(const std::wstring& path) {
    EveryoneGrant grant;
    if (!grant.Prepare()) return false;
    EntryHandle entry(path, false);
    if (!entry.Opened()) return Report(L"CreateFile() failed. Error %d\n");
    return grant.Apply(entry.Get());
}

namespace {

// Where the walk stands: the path it opens entries by, the final path of the
// folder it verified there (both ending with a backslash), the path below the
// install folder ("" at the top) and the folder's volume.
struct Place {
    std::wstring path;
    std::wstring finalPath;
    std::wstring relative;
    DWORD volume;
};

// The handle holds a folder that is not a reparse point, on the volume and
// at the final path the walk expects; fills the folder's volume.
bool IsExpectedFolder(HANDLE folder, const std::wstring& finalPath, DWORD& volume) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(folder, &info)) return false;
    if ((info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != FILE_ATTRIBUTE_DIRECTORY)
        return false;
    volume = info.dwVolumeSerialNumber;
    std::wstring actual;
    return FinalPath(folder, actual) && _wcsicmp((actual + L"\\").c_str(), finalPath.c_str()) == 0;
}

// The handle holds exactly the entry the folder listed: the same file on the
// same volume (so not something a swapped folder on the way led to), of the
// same kind, and not a reparse point. GetFileInformationByHandle answers it
// on every Windows the installer runs on (FileIdInfo needs Windows 8).
bool IsListedEntry(HANDLE entry, const FILE_ID_BOTH_DIR_INFO& listed, DWORD volume) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(entry, &info)) return false;
    const ULONGLONG index = (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    const DWORD kind = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    return info.dwVolumeSerialNumber == volume && index == static_cast<ULONGLONG>(listed.FileId.QuadPart) &&
           (info.dwFileAttributes & kind) == (listed.FileAttributes & kind) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

void GrantOnFolder(HANDLE folder, const Place& place, const PayloadManifest& owned, EveryoneGrant& grant);

void GrantOnEntry(const FILE_ID_BOTH_DIR_INFO& listed, const Place& place, const PayloadManifest& owned,
                  EveryoneGrant& grant) {
    const std::wstring name(listed.FileName, listed.FileNameLength / sizeof(WCHAR));
    if (name == L"." || name == L"..") return;
    if (!owned.Contains(place.relative + name)) return;  // not the install's: left as it is
    // A link is never gone through: the extraction replaces it, and what
    // it points to is not the install's.
    if (listed.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return;
    const bool isFolder = listed.FileAttributes & FILE_ATTRIBUTE_DIRECTORY;
    EntryHandle entry(place.path + name, isFolder);
    if (!entry.Opened()) {
        Report(L"CreateFile() failed. Error %d\n");
        return;
    }
    if (!IsListedEntry(entry.Get(), listed, place.volume)) return;  // replaced since it was listed
    if (!isFolder) {
        grant.Apply(entry.Get());
        return;
    }
    Place inside{place.path + name + L"\\", place.finalPath + name + L"\\", place.relative + name + L"\\", 0};
    if (!IsExpectedFolder(entry.Get(), inside.finalPath, inside.volume)) return;
    grant.Apply(entry.Get());
    GrantOnFolder(entry.Get(), inside, owned, grant);
    grant.Apply(entry.Get());
}

// Grants on the owned entries the folder handle lists, a buffer at a time.
void GrantOnFolder(HANDLE folder, const Place& place, const PayloadManifest& owned, EveryoneGrant& grant) {
    constexpr DWORD kListingBytes = 16 * 1024;
    std::unique_ptr<ULONGLONG[]> buffer(new ULONGLONG[kListingBytes / sizeof(ULONGLONG)]);  // 8-byte aligned
    BYTE* bytes = reinterpret_cast<BYTE*>(buffer.get());
    while (GetFileInformationByHandleEx(folder, FileIdBothDirectoryInfo, bytes, kListingBytes)) {
        for (DWORD offset = 0;;) {
            const auto* listed = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes + offset);
            GrantOnEntry(*listed, place, owned, grant);
            if (listed->NextEntryOffset == 0) break;
            offset += listed->NextEntryOffset;
        }
    }
}

}  // namespace

bool GrantEveryoneOnTree(const std::wstring& folder, const PayloadManifest& owned) {
    EveryoneGrant grant;
    if (!grant.Prepare()) return true;
    // The install folder is what its path names, links on the way included;
    // below it nothing is gone through.
    EntryHandle top(folder, true, false);
    if (!top.Opened()) {
        Report(L"CreateFile() failed. Error %d\n");
        return true;
    }
    Place place{folder, std::wstring(), std::wstring(), 0};
    if (FinalPath(top.Get(), place.finalPath)) {
        place.finalPath += L"\\";
        if (IsExpectedFolder(top.Get(), place.finalPath, place.volume)) GrantOnFolder(top.Get(), place, owned, grant);
    }
    grant.Apply(top.Get());
    return true;
}
