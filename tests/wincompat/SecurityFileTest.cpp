// GetFileSecurityW and SetFileSecurityW: descriptors derived from the mode,
// stored in the user.wincompat.sd attribute, and Everyone's rights mirrored
// into the mode.
#include <windows.h>

#include "prefix/Prefix.h"
#include "support/TestPrefix.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<BYTE>;

const Bytes kEveryone = {1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0};
const Bytes kSystem = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
const Bytes kUser = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE8, 3, 0, 0};
const Bytes kGroup = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 0, 0};

struct Entry {
    BYTE type;
    BYTE flags;
    DWORD mask;
    Bytes sid;
    bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e) {
    return out << "{type " << int(e.type) << " flags " << int(e.flags) << " mask 0x" << std::hex << e.mask
               << std::dec << " sid of " << e.sid.size() << " bytes}";
}

std::string MakeFile(const std::string& name, mode_t mode, bool folder) {
    std::string path = MakeTestFolder("file-security") + "/" + name;
    if (folder) mkdir(path.c_str(), 0700);
    else close(creat(path.c_str(), 0600));
    chmod(path.c_str(), mode);
    return path;
}

std::wstring Dos(const std::string& path) { return wincompat::UnixToDos(path); }

mode_t ModeOf(const std::string& path) {
    struct stat info;
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

Bytes ReadDescriptor(const std::wstring& path, SECURITY_INFORMATION information) {
    DWORD needed = 0;
    EXPECT_FALSE(GetFileSecurityW(path.c_str(), information, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    Bytes descriptor(needed);
    EXPECT_TRUE(GetFileSecurityW(path.c_str(), information, descriptor.data(), needed, &needed));
    EXPECT_EQ(needed, descriptor.size());
    return descriptor;
}

std::vector<Entry> EntriesOf(PACL acl) {
    std::vector<Entry> entries;
    for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        GetAce(acl, i, reinterpret_cast<void**>(&ace));
        BYTE* sid = reinterpret_cast<BYTE*>(&ace->SidStart);
        entries.push_back({ace->Header.AceType, ace->Header.AceFlags, ace->Mask, Bytes(sid, sid + GetLengthSid(sid))});
    }
    return entries;
}

Bytes SidOf(PSID sid) {
    BYTE* bytes = static_cast<BYTE*>(sid);
    return sid ? Bytes(bytes, bytes + GetLengthSid(sid)) : Bytes();
}

// A DACL of allowed entries, in an absolute descriptor holding it.
class DaclDescriptor {
public:
    explicit DaclDescriptor(const std::vector<Entry>& entries) : acl_(1024) {
        InitializeAcl(Acl(), 1024, ACL_REVISION);
        for (const Entry& e : entries)
            AddAccessAllowedAceEx(Acl(), ACL_REVISION, e.flags, e.mask, const_cast<BYTE*>(e.sid.data()));
        InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor_, TRUE, Acl(), FALSE);
    }
    PSECURITY_DESCRIPTOR get() { return &descriptor_; }
    PACL Acl() { return reinterpret_cast<PACL>(acl_.data()); }

private:
    Bytes acl_;
    SECURITY_DESCRIPTOR descriptor_;
};

struct DerivedCase {
    mode_t mode;
    bool folder;
};

TEST(FileSecurity, DescriptorWithoutAStoredOneFollowsTheMode) {
    const DerivedCase cases[] = {{0644, false}, {0755, false}, {0644, true}, {0755, true}};
    for (const DerivedCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::oct << c.mode << (c.folder ? " folder" : " file"));
        std::wstring path = Dos(MakeFile("derived", c.mode, c.folder));
        Bytes descriptor = ReadDescriptor(path, OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                                    DACL_SECURITY_INFORMATION);
        PSID owner = nullptr, group = nullptr;
        PACL dacl = nullptr;
        BOOL present = FALSE, defaulted = FALSE;
        ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor.data(), &owner, &defaulted));
        ASSERT_TRUE(GetSecurityDescriptorGroup(descriptor.data(), &group, &defaulted));
        ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor.data(), &present, &dacl, &defaulted));
        EXPECT_EQ(SidOf(owner), kUser);
        EXPECT_EQ(SidOf(group), kGroup);
        ASSERT_TRUE(present);
        BYTE flags = c.folder ? OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE : 0;
        EXPECT_EQ(EntriesOf(dacl), (std::vector<Entry>{{0, flags, FILE_ALL_ACCESS, kSystem},
                                                       {0, flags, FILE_ALL_ACCESS, kUser},
                                                       {0, flags, 0x1200a9, kEveryone}}));
        // Only what is asked for comes back.
        Bytes daclOnly = ReadDescriptor(path, DACL_SECURITY_INFORMATION);
        ASSERT_TRUE(GetSecurityDescriptorOwner(daclOnly.data(), &owner, &defaulted));
        EXPECT_EQ(owner, nullptr);
    }
}

TEST(FileSecurity, StoredDescriptorRoundTripsThroughTheAttributeAndAnotherProcess) {
    std::string unixPath = MakeFile("stored.txt", 0644, false);
    std::wstring path = Dos(unixPath);
    DaclDescriptor given({{0, 0, FILE_ALL_ACCESS, kSystem}, {0, 3, GENERIC_ALL, kEveryone}});
    SetSecurityDescriptorControl(given.get(), SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    ASSERT_TRUE(SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, given.get()));

    Bytes all = ReadDescriptor(path, OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                         DACL_SECURITY_INFORMATION);
    Bytes stored(4096);
    ssize_t size = getxattr(unixPath.c_str(), "user.wincompat.sd", stored.data(), stored.size());
    ASSERT_GT(size, 0);
    stored.resize(size);
    EXPECT_EQ(stored, all);

    Bytes dacl = ReadDescriptor(path, DACL_SECURITY_INFORMATION);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(GetSecurityDescriptorControl(dacl.data(), &control, &revision));
    EXPECT_EQ(control, SE_SELF_RELATIVE | SE_DACL_PRESENT | SE_DACL_PROTECTED);
    PACL read = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    ASSERT_TRUE(GetSecurityDescriptorDacl(dacl.data(), &present, &read, &defaulted));
    EXPECT_EQ(EntriesOf(read), EntriesOf(given.Acl()));

    pid_t child = fork();
    if (child == 0) {
        DWORD needed = 0;
        Bytes again(dacl.size());
        bool same = GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, again.data(), again.size(), &needed) &&
                    again == dacl;
        _exit(same ? 0 : 1);
    }
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

struct MirrorCase {
    mode_t before;
    bool folder;
    DWORD everyone;   // 0: the DACL names only SYSTEM
    mode_t after;
};

TEST(FileSecurity, EveryonesRightsWidenTheMode) {
    const MirrorCase cases[] = {
        {0755, true, GENERIC_ALL, 0777},
        {0700, true, FILE_ALL_ACCESS, 0777},
        {0755, false, GENERIC_ALL, 0777},       // an executable stays one, for everyone
        {0644, false, GENERIC_ALL, 0666},       // data files do not become programs
        {0444, false, GENERIC_ALL, 0444},       // read-only stays read-only
        {0555, false, FILE_ALL_ACCESS, 0555},
        {0600, false, GENERIC_READ, 0644},
        {0644, false, 0, 0644},
    };
    for (const MirrorCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::oct << c.before << (c.folder ? " folder" : " file") << " 0x"
                                        << std::hex << c.everyone);
        std::string unixPath = MakeFile("mirrored", c.before, c.folder);
        std::vector<Entry> entries = {{0, 0, FILE_ALL_ACCESS, kSystem}};
        if (c.everyone) entries.push_back({0, 3, c.everyone, kEveryone});
        DaclDescriptor given(entries);
        std::wstring path = Dos(unixPath);
        DWORD attributes = GetFileAttributesW(path.c_str());
        ASSERT_TRUE(SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, given.get()));
        EXPECT_EQ(ModeOf(unixPath), c.after);
        EXPECT_EQ(GetFileAttributesW(path.c_str()), attributes);
    }
}

TEST(FileSecurity, RefusesWhatWindowsRefuses) {
    std::wstring missing = Dos(MakeTestFolder("file-security") + "/missing.txt");
    DWORD needed = 0;
    EXPECT_FALSE(GetFileSecurityW(missing.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    DaclDescriptor given({{0, 0, GENERIC_ALL, kEveryone}});
    EXPECT_FALSE(SetFileSecurityW(missing.c_str(), DACL_SECURITY_INFORMATION, given.get()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    std::wstring path = Dos(MakeFile("owned.txt", 0644, false));
    SECURITY_DESCRIPTOR systemOwned;
    InitializeSecurityDescriptor(&systemOwned, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&systemOwned, const_cast<BYTE*>(kSystem.data()), FALSE);
    EXPECT_FALSE(SetFileSecurityW(path.c_str(), OWNER_SECURITY_INFORMATION, &systemOwned));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_OWNER));
    BYTE garbage[40] = {7};
    EXPECT_FALSE(SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, garbage));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_SECURITY_DESCR));
}

}  // namespace

// What a new entry finds in its folder's DACL, as Windows passes it on:
// files take object-inheritable entries with generic rights mapped; folders
// take container-inheritable ones and keep passing them on.
TEST(FileSecurity, NewEntriesInheritTheirFoldersEntries) {
    std::string folder = MakeFile("inheriting", 0700, true);
    constexpr BYTE kBoth = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    DaclDescriptor given({{0, 0, FILE_ALL_ACCESS, kSystem},
                          {0, kBoth, GENERIC_ALL, kEveryone},
                          {0, OBJECT_INHERIT_ACE | NO_PROPAGATE_INHERIT_ACE, FILE_GENERIC_READ, kUser},
                          {0, CONTAINER_INHERIT_ACE, FILE_GENERIC_READ, kGroup}});
    ASSERT_TRUE(SetFileSecurityW(Dos(folder).c_str(), DACL_SECURITY_INFORMATION, given.get()));

    std::wstring file = Dos(folder + "/new.txt");
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    std::wstring sub = Dos(folder + "/sub");
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    std::wstring profile = Dos(folder + "/new.ini");
    ASSERT_TRUE(WritePrivateProfileStringW(L"S", L"k", L"v", profile.c_str()));

    struct Case {
        std::string name;
        std::vector<Entry> entries;
        mode_t mode;
    } cases[] = {
        {"new.txt",
         {{0, INHERITED_ACE, FILE_ALL_ACCESS, kEveryone}, {0, INHERITED_ACE, FILE_GENERIC_READ, kUser}},
         0666},
        {"new.ini",
         {{0, INHERITED_ACE, FILE_ALL_ACCESS, kEveryone}, {0, INHERITED_ACE, FILE_GENERIC_READ, kUser}},
         0666},
        {"sub",
         {{0, INHERITED_ACE, FILE_ALL_ACCESS, kEveryone},
          {0, kBoth | INHERIT_ONLY_ACE | INHERITED_ACE, GENERIC_ALL, kEveryone},
          {0, CONTAINER_INHERIT_ACE | INHERITED_ACE, FILE_GENERIC_READ, kGroup}},
         0777},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes descriptor = ReadDescriptor(Dos(folder + "/" + c.name), DACL_SECURITY_INFORMATION);
        BOOL present = FALSE, defaulted = FALSE;
        PACL acl = nullptr;
        ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted));
        EXPECT_EQ(EntriesOf(acl), c.entries);
        EXPECT_EQ(ModeOf(folder + "/" + c.name), c.mode);
    }

    // A rewritten file keeps its own descriptor; a folder without a stored
    // one passes nothing on.
    DaclDescriptor own({{0, 0, FILE_ALL_ACCESS, kSystem}});
    ASSERT_TRUE(SetFileSecurityW(profile.c_str(), DACL_SECURITY_INFORMATION, own.get()));
    ASSERT_TRUE(WritePrivateProfileStringW(L"S", L"k", L"w", profile.c_str()));
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    Bytes kept = ReadDescriptor(profile, DACL_SECURITY_INFORMATION);
    ASSERT_TRUE(GetSecurityDescriptorDacl(kept.data(), &present, &acl, &defaulted));
    EXPECT_EQ(EntriesOf(acl), (std::vector<Entry>{{0, 0, FILE_ALL_ACCESS, kSystem}}));
    std::string plain = MakeFile("plain-folder", 0755, true);
    std::wstring inPlain = Dos(plain + "/x.txt");
    handle = CreateFileW(inPlain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    EXPECT_LT(getxattr((plain + "/x.txt").c_str(), "user.wincompat.sd", nullptr, 0), 0);
}
