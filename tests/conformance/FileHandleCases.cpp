// File handles that read and change security and describe what they hold:
// CreateFileW for no data, GetFileInformationByHandle, the folder listing of
// GetFileInformationByHandleEx, GetFinalPathNameByHandleW and the kernel-object
// security calls on a file handle.
#include "Harness.h"
#include "Scratch.h"

#include <string.h>

#include <string>
#include <vector>

using namespace conformance;

namespace {

const char kWineKeepsTheOpenedName[] =
    "Wine keeps the unix name a handle was opened with, so after a rename the handle still names the old one";

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kSecurityAccess = READ_CONTROL | WRITE_DAC;

Opened OpenForSecurity(const std::wstring& path, DWORD extraAccess = 0) {
    return Open(path, kSecurityAccess | extraAccess, kShareAll, OPEN_EXISTING,
                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
}

ULONGLONG FileIndex(const BY_HANDLE_FILE_INFORMATION& info) {
    return (static_cast<ULONGLONG>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
}

// The names a folder handle lists, in order.
std::vector<std::wstring> ListedNames(HANDLE folder, DWORD bufferSize, DWORD& lastError) {
    std::vector<std::wstring> names;
    std::vector<ULONGLONG> buffer(bufferSize / sizeof(ULONGLONG) + 1);
    while (GetFileInformationByHandleEx(folder, FileIdBothDirectoryInfo, buffer.data(), bufferSize)) {
        const BYTE* bytes = reinterpret_cast<const BYTE*>(buffer.data());
        for (DWORD offset = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes + offset);
            names.emplace_back(entry->FileName, entry->FileNameLength / sizeof(WCHAR));
            if (!entry->NextEntryOffset) break;
            offset += entry->NextEntryOffset;
        }
    }
    lastError = GetLastError();
    return names;
}

// A DACL granting Everyone the mask, as a descriptor to set.
struct EveryoneDacl {
    explicit EveryoneDacl(DWORD mask) {
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
        InitializeAcl(reinterpret_cast<PACL>(acl), sizeof(acl), ACL_REVISION);
        AddAccessAllowedAce(reinterpret_cast<PACL>(acl), ACL_REVISION, mask, everyone);
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<PACL>(acl), FALSE);
    }
    ~EveryoneDacl() { FreeSid(everyone); }
    PSID everyone = nullptr;
    alignas(DWORD) BYTE acl[64];
    SECURITY_DESCRIPTOR descriptor;
};

// The access mask of the first entry of the DACL GetFileSecurityW reads.
DWORD FirstMaskByPath(const std::wstring& path) {
    BYTE buffer[512];
    DWORD needed = 0;
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, buffer, sizeof(buffer), &needed)) return 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    LPVOID ace = nullptr;
    if (!GetSecurityDescriptorDacl(buffer, &present, &dacl, &defaulted) || !dacl || !GetAce(dacl, 0, &ace)) return 0;
    return static_cast<ACCESS_ALLOWED_ACE*>(ace)->Mask;
}

}  // namespace

// A folder opens only with backup semantics; a handle for security alone
// takes part in no sharing, so even a file held without any sharing opens.
CONFORMANCE_CASE(FileHandle, OpenForSecurityOnly) {
    std::wstring folder = CaseFolder(L"HandleOpen");
    std::wstring file = folder + L"\\held.txt";
    REQUIRE(WriteBytes(file, "x"));
    Opened plain = Open(folder, kSecurityAccess, kShareAll, OPEN_EXISTING);
    CHECK(!plain.handle.valid());
    CHECK_EQ(plain.error, ERROR_ACCESS_DENIED);
    CHECK(OpenForSecurity(folder).handle.valid());
    Opened holder = Open(file, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING);
    REQUIRE(holder.handle.valid());
    Opened security = OpenForSecurity(file);
    CHECK(security.handle.valid());
    CHECK_EQ(security.error, ERROR_SUCCESS);
    Opened missing = OpenForSecurity(folder + L"\\missing.txt");
    CHECK_EQ(missing.error, ERROR_FILE_NOT_FOUND);
}

CONFORMANCE_CASE(FileHandle, InformationByHandle) {
    std::wstring folder = CaseFolder(L"HandleInformation");
    std::wstring file = folder + L"\\a.txt";
    REQUIRE(WriteBytes(file, "12345"));
    REQUIRE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    Opened first = OpenForSecurity(file);
    Opened second = Open(file, GENERIC_READ, kShareAll, OPEN_EXISTING);
    Opened parent = OpenForSecurity(folder);
    REQUIRE(first.handle.valid() && second.handle.valid() && parent.handle.valid());
    BY_HANDLE_FILE_INFORMATION a{}, b{}, dir{};
    REQUIRE(GetFileInformationByHandle(first.handle.get(), &a));
    REQUIRE(GetFileInformationByHandle(second.handle.get(), &b));
    REQUIRE(GetFileInformationByHandle(parent.handle.get(), &dir));
    CHECK_EQ(a.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    CHECK_EQ(a.nFileSizeLow, 5u);
    CHECK_EQ(a.nNumberOfLinks, 1u);
    CHECK_EQ(FileIndex(a), FileIndex(b));  // one file, whichever handle
    CHECK_EQ(a.dwVolumeSerialNumber, dir.dwVolumeSerialNumber);
    CHECK(FileIndex(a) != FileIndex(dir));
    CHECK((dir.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
    // FileIdInfo names the same file: its identifier starts with the file
    // index, its volume serial number with the 32-bit one.
    FILE_ID_INFO id{};
    REQUIRE(GetFileInformationByHandleEx(first.handle.get(), FileIdInfo, &id, sizeof(id)));
    ULONGLONG low = 0;
    memcpy(&low, id.FileId.Identifier, sizeof(low));
    CHECK_EQ(low, FileIndex(a));
    CHECK_EQ(static_cast<DWORD>(id.VolumeSerialNumber), a.dwVolumeSerialNumber);
    CHECK(!GetFileInformationByHandleEx(first.handle.get(), FileIdInfo, &id, sizeof(id) - 1));
    CHECK_EQ(GetLastError(), ERROR_BAD_LENGTH);
    SetLastError(0);
    CHECK(!GetFileInformationByHandle(INVALID_HANDLE_VALUE, &a));
    CHECK_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

// The final path follows the object: after a rename it is the new name.
CONFORMANCE_CASE(FileHandle, FinalPathFollowsTheObject) {
    std::wstring folder = CaseFolder(L"HandleFinalPath");
    std::wstring file = folder + L"\\Before.txt";
    REQUIRE(WriteBytes(file, "x"));
    Opened opened = OpenForSecurity(folder + L"\\BEFORE.TXT");
    REQUIRE(opened.handle.valid());
    wchar_t path[MAX_PATH];
    DWORD length = GetFinalPathNameByHandleW(opened.handle.get(), path, MAX_PATH, FILE_NAME_NORMALIZED);
    const std::wstring expected = L"\\\\?\\" + file;  // the name as stored, not as opened
    CHECK_EQ(std::wstring(path, length), expected);
    CHECK_EQ(length, expected.size());
    // Too small: the size needed, the terminating null counted.
    CHECK_EQ(GetFinalPathNameByHandleW(opened.handle.get(), path, 4, FILE_NAME_NORMALIZED), expected.size() + 1);
    length = GetFinalPathNameByHandleW(opened.handle.get(), path, MAX_PATH, VOLUME_NAME_NONE);
    CHECK_EQ(std::wstring(path, length), file.substr(2));
    REQUIRE(MoveFileW(file.c_str(), (folder + L"\\After.txt").c_str()));
    length = GetFinalPathNameByHandleW(opened.handle.get(), path, MAX_PATH, FILE_NAME_NORMALIZED);
    WINE_DIVERGES(kWineKeepsTheOpenedName, CHECK_EQ(std::wstring(path, length), L"\\\\?\\" + folder + L"\\After.txt"));
}

// A folder handle lists "." and ".." and then its entries; FILE_LIST_DIRECTORY
// is needed; a buffer smaller than one record is ERROR_BAD_LENGTH, and one
// too small for the next name ERROR_MORE_DATA.
CONFORMANCE_CASE(FileHandle, FolderListing) {
    std::wstring folder = CaseFolder(L"HandleListing");
    for (const wchar_t* name : {L"b.txt", L"A.txt", L"c.txt"}) REQUIRE(WriteBytes(folder + L"\\" + name, "x"));
    REQUIRE(CreateDirectoryW((folder + L"\\sub").c_str(), nullptr));
    Opened listable = OpenForSecurity(folder, FILE_LIST_DIRECTORY);
    REQUIRE(listable.handle.valid());
    DWORD error = 0;
    std::vector<std::wstring> names = ListedNames(listable.handle.get(), 4096, error);
    CHECK_EQ(names, (std::vector<std::wstring>{L".", L"..", L"A.txt", L"b.txt", L"c.txt", L"sub"}));
    CHECK_EQ(error, ERROR_NO_MORE_FILES);
    // One entry a call with a buffer just large enough for one.
    Opened again = OpenForSecurity(folder, FILE_LIST_DIRECTORY);
    names = ListedNames(again.handle.get(), sizeof(FILE_ID_BOTH_DIR_INFO) + 16 * sizeof(WCHAR), error);
    CHECK_EQ(names.size(), 6u);
    BYTE tiny[8];
    Opened small = OpenForSecurity(folder, FILE_LIST_DIRECTORY);
    CHECK(!GetFileInformationByHandleEx(small.handle.get(), FileIdBothDirectoryInfo, tiny, sizeof(tiny)));
    CHECK_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_LENGTH));
    // Room for one record with a short name: "." and ".." fit, "A.txt" does not.
    std::vector<ULONGLONG> one(sizeof(FILE_ID_BOTH_DIR_INFO) / sizeof(ULONGLONG));
    const DWORD oneSize = static_cast<DWORD>(one.size() * sizeof(ULONGLONG));
    Opened longNames = OpenForSecurity(folder, FILE_LIST_DIRECTORY);
    CHECK(GetFileInformationByHandleEx(longNames.handle.get(), FileIdBothDirectoryInfo, one.data(), oneSize));
    CHECK(GetFileInformationByHandleEx(longNames.handle.get(), FileIdBothDirectoryInfo, one.data(), oneSize));
    CHECK(!GetFileInformationByHandleEx(longNames.handle.get(), FileIdBothDirectoryInfo, one.data(), oneSize));
    CHECK_EQ(GetLastError(), ERROR_MORE_DATA);
    Opened unlisted = OpenForSecurity(folder);
    std::vector<ULONGLONG> buffer(512);
    CHECK(!GetFileInformationByHandleEx(unlisted.handle.get(), FileIdBothDirectoryInfo, buffer.data(), 4096));
    CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

// The descriptor read and set through a handle is the file's, also after the
// file was renamed; a handle without READ_CONTROL or WRITE_DAC is refused.
CONFORMANCE_CASE(FileHandle, KernelObjectSecurityOfAFile) {
    std::wstring folder = CaseFolder(L"HandleSecurity");
    std::wstring file = folder + L"\\a.txt";
    REQUIRE(WriteBytes(file, "x"));
    Opened opened = OpenForSecurity(file);
    REQUIRE(opened.handle.valid());
    DWORD needed = 0;
    CHECK(!GetKernelObjectSecurity(opened.handle.get(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed));
    CHECK_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    CHECK(needed > 0u);
    std::wstring moved = folder + L"\\b.txt";
    REQUIRE(MoveFileW(file.c_str(), moved.c_str()));
    EveryoneDacl dacl(FILE_GENERIC_READ);
    REQUIRE(SetKernelObjectSecurity(opened.handle.get(), DACL_SECURITY_INFORMATION, &dacl.descriptor));
    WINE_DIVERGES(kWineKeepsTheOpenedName, CHECK_EQ(FirstMaskByPath(moved), static_cast<DWORD>(FILE_GENERIC_READ)));

    Opened readOnly = Open(moved, READ_CONTROL, kShareAll, OPEN_EXISTING);
    REQUIRE(readOnly.handle.valid());
    CHECK(!SetKernelObjectSecurity(readOnly.handle.get(), DACL_SECURITY_INFORMATION, &dacl.descriptor));
    CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    Opened attributesOnly = Open(moved, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING);
    REQUIRE(attributesOnly.handle.valid());
    BYTE buffer[512];
    CHECK(!GetKernelObjectSecurity(attributesOnly.handle.get(), DACL_SECURITY_INFORMATION, buffer, sizeof(buffer),
                                   &needed));
    CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}
