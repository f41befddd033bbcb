// The rights walk over an install folder tree, and the directory search it uses.
#include <windows.h>

#include "install/FileFindEx.h"
#include "install/FolderRights.h"
#include "install/PayloadManifest.h"
#include "prefix/Prefix.h"
#include "support/WithoutAccessOverride.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string UnixPath(const std::wstring& dos) {
    std::string unixPath;
    EXPECT_TRUE(wincompat::DosToUnix(dos, unixPath, nullptr));
    return unixPath;
}

// A fresh folder under C:\, as a path ending with a backslash.
std::wstring NewTop(const wchar_t* name) {
    static int counter = 0;
    std::wstring top = std::wstring(L"C:\\") + name + std::to_wstring(++counter) + L"\\";
    EXPECT_TRUE(CreateDirectoryW(top.c_str(), nullptr));
    return top;
}

// Folders end with a backslash; everything else is a file.
void MakeEntries(const std::wstring& top, const std::vector<std::wstring>& entries) {
    for (const std::wstring& entry : entries) {
        std::wstring path = top + entry;
        if (path.back() == L'\\') {
            ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << path;
            continue;
        }
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
        CloseHandle(file);
    }
}

mode_t ModeOf(const std::wstring& path) {
    struct stat info;
    EXPECT_EQ(stat(UnixPath(path).c_str(), &info), 0);
    return info.st_mode & 07777;
}

struct SidBytes {
    BYTE bytes[SECURITY_MAX_SID_SIZE] = {};
    PSID get() { return bytes; }
};

SidBytes WellKnownSid(BYTE authority, DWORD rid0, DWORD rid1 = 0, BYTE count = 1) {
    SID_IDENTIFIER_AUTHORITY identifier = {{0, 0, 0, 0, 0, authority}};
    PSID sid = nullptr;
    EXPECT_TRUE(AllocateAndInitializeSid(&identifier, count, rid0, rid1, 0, 0, 0, 0, 0, 0, &sid));
    SidBytes result;
    CopySid(sizeof(result.bytes), result.bytes, sid);
    FreeSid(sid);
    return result;
}

SidBytes Everyone() { return WellKnownSid(1, SECURITY_WORLD_RID); }
SidBytes System() { return WellKnownSid(5, SECURITY_LOCAL_SYSTEM_RID); }
SidBytes Users() { return WellKnownSid(5, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 2); }

struct Entry {
    BYTE type;
    BYTE flags;
    DWORD mask;
    SidBytes sid;
};

struct Dacl {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    bool present = false;
    bool null = false;
    std::vector<Entry> entries;
};

Dacl ReadDacl(const std::wstring& path) {
    Dacl dacl;
    DWORD needed = 0;
    GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<BYTE> descriptor(needed);
    if (!GetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed)) {
        ADD_FAILURE() << "no descriptor for " << wincompat::Utf8FromWide(path);
        return dacl;
    }
    DWORD revision;
    GetSecurityDescriptorControl(descriptor.data(), &dacl.control, &revision);
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    EXPECT_TRUE(GetSecurityDescriptorDacl(descriptor.data(), &present, &acl, &defaulted));
    dacl.present = present;
    dacl.null = present && !acl;
    for (DWORD i = 0; acl && i < acl->AceCount; ++i) {
        LPVOID ace = nullptr;
        EXPECT_TRUE(GetAce(acl, i, &ace));
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        Entry entry{allowed->Header.AceType, allowed->Header.AceFlags, allowed->Mask, {}};
        CopySid(sizeof(entry.sid.bytes), entry.sid.bytes, &allowed->SidStart);
        dacl.entries.push_back(entry);
    }
    return dacl;
}

// Stores access-allowed entries as the file's DACL.
void WriteDacl(const std::wstring& path, std::vector<Entry> entries, SECURITY_DESCRIPTOR_CONTROL control,
               bool nullDacl = false) {
    BYTE buffer[1024];
    PACL acl = reinterpret_cast<PACL>(buffer);
    ASSERT_TRUE(InitializeAcl(acl, sizeof(buffer), ACL_REVISION));
    for (Entry& entry : entries)
        ASSERT_TRUE(AddAccessAllowedAceEx(acl, ACL_REVISION, entry.flags, entry.mask, entry.sid.get()));
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, nullDacl ? nullptr : acl, FALSE));
    if (control) {
        ASSERT_TRUE(SetSecurityDescriptorControl(&descriptor, control, control));
    }
    ASSERT_TRUE(SetFileSecurityW(path.c_str(), DACL_SECURITY_INFORMATION, &descriptor));
}

bool IsEveryoneFullControl(Entry entry) {
    return EqualSid(entry.sid.get(), Everyone().get()) && entry.type == ACCESS_ALLOWED_ACE_TYPE &&
           entry.flags == (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE) &&
           (entry.mask == GENERIC_ALL || entry.mask == FILE_ALL_ACCESS);
}

int CountEveryone(const Dacl& dacl) {
    int count = 0;
    for (Entry entry : dacl.entries) count += EqualSid(entry.sid.get(), Everyone().get()) ? 1 : 0;
    return count;
}

// The manifest of an install that owns exactly these entries.
PayloadManifest Owning(const std::vector<std::wstring>& entries) {
    PayloadManifest owned;
    for (const std::wstring& entry : entries) owned.Add(entry);
    return owned;
}

// Runs the walk and returns what it wrote to standard output.
std::string Walk(const std::wstring& top, const PayloadManifest& owned) {
    testing::internal::CaptureStdout();
    EXPECT_TRUE(GrantEveryoneOnTree(top, owned));
    return testing::internal::GetCapturedStdout();
}

// Where advapi32.dll offers neither AddAccessAllowedAceEx nor
// SetSecurityDescriptorControl (it is not loaded), the entry is added without
// inheritance and the control bits are not carried over.
TEST(FolderRightsWithoutNewerExports, AddsTheEntryWithoutInheritance) {
    if (GetModuleHandleW(L"advapi32.dll")) GTEST_SKIP() << "advapi32.dll is loaded by this process";
    std::wstring top = NewTop(L"RightsOlder");
    MakeEntries(top, {L"protected.txt"});
    WriteDacl(top + L"protected.txt", {{ACCESS_ALLOWED_ACE_TYPE, 0, FILE_ALL_ACCESS, System()}}, SE_DACL_PROTECTED);
    EXPECT_EQ(Walk(top, Owning({L"protected.txt"})), "");
    Dacl dacl = ReadDacl(top + L"protected.txt");
    ASSERT_EQ(dacl.entries.size(), 2u);
    EXPECT_TRUE(EqualSid(dacl.entries[1].sid.get(), Everyone().get()));
    EXPECT_EQ(dacl.entries[1].flags, 0);
    EXPECT_EQ(dacl.control & SE_DACL_PROTECTED, 0);
}

// A Windows program that imports advapi32.dll has it loaded from the start;
// the walk looks its newer exports up there.
class FolderRights : public testing::Test {
protected:
    void SetUp() override { advapi32_ = LoadLibraryW(L"advapi32.dll"); }
    void TearDown() override { FreeLibrary(advapi32_); }

private:
    HMODULE advapi32_ = nullptr;
};

TEST_F(FolderRights, WalkGrantsEveryoneOnEveryEntryWithoutFollowingLinks) {
    std::wstring top = NewTop(L"RightsTree");
    const std::vector<std::wstring> entries = {L"a.txt",        L"sub\\",  L"sub\\b.txt", L"sub\\deeper\\",
                                               L"sub\\deeper\\c.txt", L"empty\\"};
    MakeEntries(top, entries);
    std::wstring outside = NewTop(L"RightsOutside");
    MakeEntries(outside, {L"x.txt"});
    // A link back up the tree, and one leading out of it: neither is walked into.
    ASSERT_EQ(symlink("..", UnixPath(top + L"sub\\loop").c_str()), 0);
    ASSERT_EQ(symlink(UnixPath(outside).c_str(), UnixPath(top + L"out").c_str()), 0);
    mode_t outsideFileMode = ModeOf(outside + L"x.txt");
    mode_t outsideFolderMode = ModeOf(outside);

    // Even where the install owns the names, the links are not gone through.
    std::vector<std::wstring> owned = entries;
    owned.insert(owned.end(), {L"sub\\loop", L"out", L"out\\x.txt"});
    EXPECT_EQ(Walk(top, Owning(owned)), "");

    struct Case {
        const wchar_t* entry;
        mode_t mode;  // Everyone's rights mirrored into the mode bits
    } cases[] = {
        {L"", 0777},           {L"a.txt", 0666},           {L"sub\\", 0777},       {L"sub\\b.txt", 0666},
        {L"sub\\deeper\\", 0777}, {L"sub\\deeper\\c.txt", 0666}, {L"empty\\", 0777},
    };
    for (const Case& c : cases) {
        std::wstring path = top + c.entry;
        Dacl dacl = ReadDacl(path);
        EXPECT_EQ(CountEveryone(dacl), 1) << c.entry;
        bool granted = false;
        for (Entry entry : dacl.entries) granted = granted || IsEveryoneFullControl(entry);
        EXPECT_TRUE(granted) << c.entry;
        EXPECT_EQ(ModeOf(path), c.mode) << c.entry;
    }
    // Nothing outside the tree changes: neither the folder a link leads to nor its contents.
    EXPECT_EQ(ModeOf(outside + L"x.txt"), outsideFileMode);
    EXPECT_EQ(ModeOf(outside), outsideFolderMode);
    for (const std::wstring& path : {outside, outside + L"x.txt"}) {
        for (Entry entry : ReadDacl(path).entries) EXPECT_FALSE(IsEveryoneFullControl(entry)) << path;
    }
}

bool HasStoredDescriptor(const std::wstring& path) {
    return getxattr(UnixPath(path).c_str(), "user.wincompat.sd", nullptr, 0) >= 0;
}

// A user's own entries in the folder keep their modes and descriptors; only
// what the install owns, the folders on its way included, is granted.
TEST_F(FolderRights, EntriesTheInstallDoesNotOwnKeepTheirRights) {
    std::wstring top = NewTop(L"RightsOwned");
    MakeEntries(top, {L"Product.exe", L"Plugins\\", L"Plugins\\x.dll", L"Plugins\\mine.txt", L"private.txt",
                      L"private\\", L"private\\secret.txt"});
    struct Own {
        const wchar_t* entry;
        mode_t mode;
    } users[] = {{L"private.txt", 0600}, {L"private\\", 0700}, {L"private\\secret.txt", 0600},
                 {L"Plugins\\mine.txt", 0600}};
    for (const Own& own : users) ASSERT_EQ(chmod(UnixPath(top + own.entry).c_str(), own.mode), 0);

    // Names compare without regard to case, as Windows compares them.
    EXPECT_EQ(Walk(top, Owning({L"product.EXE", L"plugins/X.dll"})), "");

    for (const wchar_t* entry : {L"", L"Product.exe", L"Plugins\\", L"Plugins\\x.dll"})
        EXPECT_EQ(CountEveryone(ReadDacl(top + entry)), 1) << entry;
    for (const Own& own : users) {
        EXPECT_EQ(ModeOf(top + own.entry), own.mode) << own.entry;
        EXPECT_FALSE(HasStoredDescriptor(top + own.entry)) << own.entry;
    }
}

TEST(PayloadManifestTest, NamesEveryItemAndTheFoldersOnItsWay) {
    PayloadManifest manifest;
    manifest.Add(L"a/b\\c.txt");
    manifest.Add(L"d\\");
    for (const wchar_t* name : {L"a", L"A\\B", L"a\\b\\C.TXT", L"d"}) EXPECT_TRUE(manifest.Contains(name)) << name;
    for (const wchar_t* name : {L"b", L"a\\c.txt", L"", L"a\\b\\c.txt\\", L"d\\"})
        EXPECT_FALSE(manifest.Contains(name)) << name;
    EXPECT_EQ(manifest.Size(), 4u);
}

TEST_F(FolderRights, NewEntryFollowsExplicitOnesAndPrecedesInheritedOnes) {
    std::wstring top = NewTop(L"RightsOrder");
    MakeEntries(top, {L"explicit.txt", L"null.txt"});
    const BYTE inherited = INHERITED_ACE;
    WriteDacl(top + L"explicit.txt",
              {{ACCESS_ALLOWED_ACE_TYPE, 0, FILE_GENERIC_READ, Everyone()},
               {ACCESS_ALLOWED_ACE_TYPE, 0, FILE_ALL_ACCESS, System()},
               {ACCESS_ALLOWED_ACE_TYPE, OBJECT_INHERIT_ACE, FILE_GENERIC_READ, Everyone()},
               {ACCESS_ALLOWED_ACE_TYPE, inherited, FILE_GENERIC_READ, Users()},
               {ACCESS_ALLOWED_ACE_TYPE, inherited, FILE_GENERIC_READ, Everyone()}},
              0);
    WriteDacl(top + L"null.txt", {}, 0, true);

    EXPECT_EQ(Walk(top, Owning({L"explicit.txt", L"null.txt"})), "");

    Dacl dacl = ReadDacl(top + L"explicit.txt");
    ASSERT_EQ(dacl.entries.size(), 4u);
    EXPECT_TRUE(EqualSid(dacl.entries[0].sid.get(), System().get()));
    EXPECT_TRUE(IsEveryoneFullControl(dacl.entries[1]));
    EXPECT_TRUE(EqualSid(dacl.entries[2].sid.get(), Users().get()));
    EXPECT_EQ(dacl.entries[2].flags, inherited);
    // Inherited entries are kept as they are, Everyone's included.
    EXPECT_TRUE(EqualSid(dacl.entries[3].sid.get(), Everyone().get()));
    EXPECT_EQ(dacl.entries[3].flags, inherited);
    EXPECT_EQ(dacl.entries[3].mask, static_cast<DWORD>(FILE_GENERIC_READ));

    Dacl fromNull = ReadDacl(top + L"null.txt");
    EXPECT_FALSE(fromNull.null);
    ASSERT_EQ(fromNull.entries.size(), 1u);
    EXPECT_TRUE(IsEveryoneFullControl(fromNull.entries[0]));
}

TEST_F(FolderRights, ProtectionAndAutoInheritanceAreCarriedOver) {
    struct Case {
        const wchar_t* name;
        SECURITY_DESCRIPTOR_CONTROL before;
        SECURITY_DESCRIPTOR_CONTROL after;  // of the bits below
    } cases[] = {
        {L"plain.txt", 0, 0},
        {L"protected.txt", SE_DACL_PROTECTED, SE_DACL_PROTECTED},
        {L"inheriting\\", SE_DACL_AUTO_INHERITED, SE_DACL_AUTO_INHERITED},
    };
    constexpr SECURITY_DESCRIPTOR_CONTROL kBits = SE_DACL_PROTECTED | SE_DACL_AUTO_INHERITED;
    std::wstring top = NewTop(L"RightsControl");
    for (const Case& c : cases) {
        MakeEntries(top, {c.name});
        WriteDacl(top + c.name, {{ACCESS_ALLOWED_ACE_TYPE, 0, FILE_ALL_ACCESS, System()}}, c.before);
        ASSERT_EQ(ReadDacl(top + c.name).control & kBits, c.before) << c.name;
    }
    EXPECT_EQ(Walk(top, Owning({L"plain.txt", L"protected.txt", L"inheriting"})), "");
    for (const Case& c : cases) {
        Dacl dacl = ReadDacl(top + c.name);
        EXPECT_EQ(dacl.control & kBits, c.after) << c.name;
        EXPECT_EQ(dacl.entries.size(), 2u) << c.name;
    }
}

TEST_F(FolderRights, UnreadableFolderIsReportedAndTheWalkGoesOn) {
    std::wstring top = NewTop(L"RightsLocked");
    const std::vector<std::wstring> entries = {L"a.txt", L"locked\\", L"locked\\inside.txt", L"z.txt"};
    MakeEntries(top, entries);
    std::string locked = UnixPath(top + L"locked");
    mode_t insideMode = ModeOf(top + L"locked\\inside.txt");
    // Another user's folder that lets nobody in.
    ASSERT_EQ(chown(locked.c_str(), 65534, 65534), 0);
    ASSERT_EQ(chmod(locked.c_str(), 0), 0);
    std::string output;
    {
        WithoutAccessOverride guard;
        output = Walk(top, Owning(entries));
    }
    chmod(locked.c_str(), 0755);
    EXPECT_NE(output.find("failed. Error 5\n"), std::string::npos) << output;
    EXPECT_EQ(ModeOf(top + L"locked\\inside.txt"), insideMode);
    for (const wchar_t* entry : {L"", L"a.txt", L"z.txt"})
        EXPECT_EQ(CountEveryone(ReadDacl(top + entry)), 1) << entry;
}

// The walk reuses the DACL it built for the previous entry only when the next
// entry's descriptor is the same: an entry between siblings with a DACL of
// its own still gets the grant built from its own.
TEST_F(FolderRights, EntryWithItsOwnDaclAmongAlikeSiblingsGetsItsOwnGrant) {
    std::wstring top = NewTop(L"RightsMixed");
    const std::vector<std::wstring> entries = {L"a.txt", L"b.txt", L"c.txt", L"d.txt"};
    MakeEntries(top, entries);
    WriteDacl(top + L"b.txt", {{ACCESS_ALLOWED_ACE_TYPE, 0, FILE_GENERIC_READ, Users()}}, SE_DACL_PROTECTED);
    EXPECT_EQ(Walk(top, Owning(entries)), "");
    Dacl own = ReadDacl(top + L"b.txt");
    ASSERT_EQ(own.entries.size(), 2u);
    EXPECT_TRUE(EqualSid(own.entries[0].sid.get(), Users().get()));
    EXPECT_TRUE(IsEveryoneFullControl(own.entries[1]));
    EXPECT_EQ(own.control & SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    for (const wchar_t* sibling : {L"a.txt", L"c.txt", L"d.txt"}) {
        Dacl dacl = ReadDacl(top + sibling);
        EXPECT_TRUE(EqualSid(dacl.entries.at(0).sid.get(), System().get())) << sibling;
        EXPECT_EQ(CountEveryone(dacl), 1) << sibling;
        EXPECT_EQ(dacl.control & SE_DACL_PROTECTED, 0) << sibling;
    }
}

// Runs the action over and over on a thread of its own while the walk runs.
class Meddler {
public:
    explicit Meddler(std::function<void()> action)
        : thread_([this, action] {
              while (!stop_) action();
          }) {}
    ~Meddler() {
        stop_ = true;
        thread_.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::vector<std::wstring> ManyFiles(int count) {
    std::vector<std::wstring> files;
    for (int i = 0; i < count; ++i) files.push_back(L"f" + std::to_wstring(i) + L".txt");
    return files;
}

// Another process sets its own DACL on an entry again and again during the
// walk: what the entry ends with is that DACL or the grant built from it,
// never one built from a sibling's descriptor.
TEST_F(FolderRights, DaclChangedDuringTheWalkIsNeverOverwrittenWithASiblingsGrant) {
    std::wstring top = NewTop(L"RightsChanged");
    std::vector<std::wstring> entries = ManyFiles(200);
    MakeEntries(top, entries);
    const std::wstring target = top + L"f100.txt";
    for (int round = 0; round < 5; ++round) {
        {
            Meddler other([&] {
                WriteDacl(target, {{ACCESS_ALLOWED_ACE_TYPE, 0, FILE_GENERIC_READ, Users()}}, SE_DACL_PROTECTED);
            });
            Walk(top, Owning(entries));
        }
        Dacl dacl = ReadDacl(target);
        ASSERT_FALSE(dacl.entries.empty());
        EXPECT_TRUE(EqualSid(dacl.entries[0].sid.get(), Users().get())) << "round " << round;
        EXPECT_LE(dacl.entries.size(), 2u) << "round " << round;
        EXPECT_EQ(dacl.control & SE_DACL_PROTECTED, SE_DACL_PROTECTED) << "round " << round;
    }
}

// Files of the tree swapped for links to a file outside it and back, again
// and again during the walk: the outside file is never granted anything.
TEST_F(FolderRights, LinksSwappedInDuringTheWalkAreNotGoneThrough) {
    std::wstring top = NewTop(L"RightsSwapped");
    std::vector<std::wstring> entries = ManyFiles(20);
    MakeEntries(top, entries);
    std::wstring outside = NewTop(L"RightsSwapTarget");
    MakeEntries(outside, {L"x.txt"});
    const std::string outsideFile = UnixPath(outside + L"x.txt");
    ASSERT_EQ(chmod(outsideFile.c_str(), 0600), 0);
    const std::string unixTop = UnixPath(top);
    const std::string link = unixTop + "/link";
    ASSERT_EQ(symlink(outsideFile.c_str(), link.c_str()), 0);
    int step = 0;
    {
        // One step parks a file aside and puts the link in its place, the
        // next puts the file back: half the time some entry is the link.
        Meddler swapper([&] {
            const std::string file = unixTop + "/f" + std::to_string(step / 2 % 20) + ".txt";
            const std::string aside = file + ".aside";
            if (step++ % 2 == 0) {
                if (rename(file.c_str(), aside.c_str()) == 0) rename(link.c_str(), file.c_str());
            } else if (rename(file.c_str(), link.c_str()) == 0) {
                rename(aside.c_str(), file.c_str());
            }
        });
        for (int round = 0; round < 200; ++round) Walk(top, Owning(entries));
    }
    EXPECT_EQ(ModeOf(outside + L"x.txt"), 0600u);
    EXPECT_FALSE(HasStoredDescriptor(outside + L"x.txt"));
}

// A folder of the tree swapped for a link to an outside folder holding the
// same names, again and again during the walk: the entries opened through the
// link are not the ones the folder listed, and are left alone.
TEST_F(FolderRights, FolderSwappedForALinkDuringTheWalkIsNotGoneThrough) {
    std::wstring top = NewTop(L"RightsFolderSwap");
    std::vector<std::wstring> entries = {L"sub\\"};
    for (const std::wstring& file : ManyFiles(20)) entries.push_back(L"sub\\" + file);
    MakeEntries(top, entries);
    std::wstring outside = NewTop(L"RightsFolderSwapTarget");
    MakeEntries(outside, ManyFiles(20));
    const std::string unixTop = UnixPath(top);
    const std::string sub = unixTop + "/sub", aside = unixTop + "/sub.aside", link = unixTop + "/link";
    ASSERT_EQ(symlink(UnixPath(outside).c_str(), link.c_str()), 0);
    int step = 0;
    {
        Meddler swapper([&] {
            if (step++ % 2 == 0) {
                if (rename(sub.c_str(), aside.c_str()) == 0) rename(link.c_str(), sub.c_str());
            } else if (rename(sub.c_str(), link.c_str()) == 0) {
                rename(aside.c_str(), sub.c_str());
            }
        });
        for (int round = 0; round < 200; ++round) Walk(top, Owning(entries));
    }
    for (const std::wstring& file : ManyFiles(20)) EXPECT_FALSE(HasStoredDescriptor(outside + file)) << file;
}

// A folder of the tree swapped for a fifo and back during the walk, beside a
// fifo the install names itself: the walk opens neither for reading (which
// would block on a fifo without a writer), ends, and grants the rest.
TEST_F(FolderRights, FifosInThePlaceOfEntriesNeverBlockTheWalk) {
    std::wstring top = NewTop(L"RightsFifo");
    std::vector<std::wstring> entries = {L"sub\\", L"sub\\a.txt", L"pipe", L"z.txt"};
    MakeEntries(top, {L"sub\\", L"sub\\a.txt", L"z.txt"});
    const std::string unixTop = UnixPath(top);
    const std::string sub = unixTop + "/sub", aside = unixTop + "/sub.aside", fifo = unixTop + "/fifo";
    ASSERT_EQ(mkfifo((unixTop + "/pipe").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    int step = 0;
    {
        Meddler swapper([&] {
            if (step++ % 2 == 0) {
                if (rename(sub.c_str(), aside.c_str()) == 0) rename(fifo.c_str(), sub.c_str());
            } else if (rename(sub.c_str(), fifo.c_str()) == 0) {
                rename(aside.c_str(), sub.c_str());
            }
        });
        for (int round = 0; round < 100; ++round) Walk(top, Owning(entries));
    }
    struct stat info;
    ASSERT_EQ(lstat((unixTop + "/pipe").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    EXPECT_EQ(CountEveryone(ReadDacl(top + L"z.txt")), 1);
    EXPECT_EQ(CountEveryone(ReadDacl(top)), 1);
}

// Entries deleted while the walk runs are reported; the walk still ends and
// grants on what is left.
TEST_F(FolderRights, EntriesRemovedDuringTheWalkLeaveTheRestGranted) {
    std::wstring top = NewTop(L"RightsRemoved");
    std::vector<std::wstring> entries = ManyFiles(300);
    MakeEntries(top, entries);
    const std::string unixTop = UnixPath(top);
    std::atomic<int> removed{0};
    {
        Meddler remover([&] {
            int i = removed.load();
            if (i < 150) unlink((unixTop + "/f" + std::to_string(i * 2) + ".txt").c_str());
            if (i < 150) removed = i + 1;
        });
        Walk(top, Owning(entries));
    }
    EXPECT_EQ(CountEveryone(ReadDacl(top)), 1);
    for (int i = 1; i < 300; i += 2) {
        const std::wstring kept = top + L"f" + std::to_wstring(i) + L".txt";
        EXPECT_EQ(CountEveryone(ReadDacl(kept)), 1) << i;
    }
}

// The entries whose security changes, in order, seen through inotify: each
// grant changes extended attributes and mode, one run of events per entry.
class AttributeWatch {
public:
    explicit AttributeWatch(const std::string& top) : fd_(inotify_init1(IN_NONBLOCK)) { WatchFolder(top, ""); }
    ~AttributeWatch() { close(fd_); }

    void WatchFolder(const std::string& unixPath, const std::string& relative) {
        folders_[inotify_add_watch(fd_, unixPath.c_str(), IN_ATTRIB)] = relative;
    }

    std::vector<std::string> Visits() {
        std::vector<std::string> visits;
        alignas(inotify_event) char buffer[64 * 1024];
        ssize_t length;
        while ((length = read(fd_, buffer, sizeof(buffer))) > 0) {
            for (char* at = buffer; at < buffer + length;) {
                auto* event = reinterpret_cast<inotify_event*>(at);
                at += sizeof(inotify_event) + event->len;
                bool self = event->len == 0;
                if (!self && (event->mask & IN_ISDIR)) continue;  // a folder reports for itself
                std::string path = folders_[event->wd];
                if (!self) path += (path.empty() ? "" : "/") + std::string(event->name);
                if (visits.empty() || visits.back() != path) visits.push_back(path);
            }
        }
        return visits;
    }

private:
    int fd_;
    std::map<int, std::string> folders_;
};

TEST_F(FolderRights, VisitsEachSubfolderBeforeAndAfterItsContentsAndTheTopLast) {
    struct Case {
        std::vector<std::wstring> entries;
        std::vector<std::string> watched;
        std::vector<std::string> visits;
    } cases[] = {
        {{}, {}, {""}},  // an empty install folder gets only its own entry
        {{L"a\\", L"a\\a1.txt", L"a\\b\\", L"a\\b\\b1.txt", L"f.txt"},
         {"a", "a/b"},
         {"a", "a/a1.txt", "a/b", "a/b/b1.txt", "a/b", "a", "f.txt", ""}},
    };
    for (const Case& c : cases) {
        std::wstring top = NewTop(L"RightsVisits");
        MakeEntries(top, c.entries);
        std::string unixTop = UnixPath(top);
        AttributeWatch watch(unixTop);
        for (const std::string& folder : c.watched) watch.WatchFolder(unixTop + "/" + folder, folder);
        EXPECT_EQ(Walk(top, Owning(c.entries)), "");
        EXPECT_EQ(watch.Visits(), c.visits);
    }
}

// CFileFindEx, the search the walk runs on.
class FileFindEx : public testing::Test {
protected:
    void SetUp() override {
        top_ = NewTop(L"FileFindEx");
        MakeEntries(top_, {L"a.txt", L"Sub\\"});
    }
    std::wstring top_;
};

TEST_F(FileFindEx, StepsThroughEntriesOneAhead) {
    CFileFindEx finder;
    ASSERT_TRUE(finder.FindFirst((top_ + L"*.*").c_str()));
    EXPECT_EQ(finder.GetRoot(), top_);
    EXPECT_EQ(finder.GetName(), L"");  // nothing is current before the first step
    FILETIME time;
    EXPECT_FALSE(finder.GetCreationTime(&time));

    struct Step {
        BOOL more;
        const wchar_t* name;
        BOOL dotEntry, folder;
    } steps[] = {
        {TRUE, L".", TRUE, TRUE},
        {TRUE, L"..", TRUE, TRUE},
        {TRUE, L"a.txt", FALSE, FALSE},
        {FALSE, L"Sub", FALSE, TRUE},  // the last entry: no more follow
    };
    for (const Step& step : steps) {
        EXPECT_EQ(finder.FindNext(), step.more) << step.name;
        EXPECT_EQ(finder.GetName(), step.name);
        EXPECT_EQ(finder.IsDotEntry(), step.dotEntry) << step.name;
        EXPECT_EQ(finder.HasAttributes(FILE_ATTRIBUTE_DIRECTORY), step.folder) << step.name;
        EXPECT_EQ(finder.GetPath(), top_ + step.name);
        EXPECT_EQ(finder.GetUrl(), L"file://" + top_ + step.name);
        EXPECT_TRUE(finder.GetAccessTime(&time));
        EXPECT_TRUE(finder.GetCreationTime(&time));
        EXPECT_FALSE(finder.GetAccessTime(nullptr));
    }
    EXPECT_FALSE(finder.HasAttributes(FILE_ATTRIBUTE_HIDDEN));
    finder.CloseSearch();
    EXPECT_FALSE(finder.FindNext());
    EXPECT_EQ(finder.GetName(), L"Sub");  // the entry stays until the next search
}

TEST_F(FileFindEx, TitleAndRootFollowTheRuntimesSplit) {
    MakeEntries(top_, {L"archive.tar.gz"});
    CFileFindEx finder;
    // The root is the full path of the pattern, whatever its spelling.
    std::wstring lower = top_;
    lower[0] = L'c';
    for (wchar_t& ch : lower)
        if (ch == L'\\') ch = L'/';
    ASSERT_TRUE(finder.FindFirst((lower + L"*.gz").c_str()));
    EXPECT_EQ(finder.GetRoot(), top_);
    EXPECT_FALSE(finder.FindNext());
    EXPECT_EQ(finder.GetName(), L"archive.tar.gz");
    EXPECT_EQ(finder.GetTitle(), L"archive.tar");
}

TEST_F(FileFindEx, FailedStartsLeaveNothingBehind) {
    struct Case {
        std::wstring pattern;
        DWORD error;
    } cases[] = {
        {top_ + L"missing\\*.*", ERROR_PATH_NOT_FOUND},
        {top_ + L"*.none", ERROR_FILE_NOT_FOUND},
        {L"C:\\" + std::wstring(257, L'x'), ERROR_BAD_ARGUMENTS},  // 260 characters
    };
    for (const Case& c : cases) {
        CFileFindEx finder;
        ASSERT_TRUE(finder.FindFirst((top_ + L"*.*").c_str()));
        ASSERT_TRUE(finder.FindNext());
        SetLastError(0);
        EXPECT_FALSE(finder.FindFirst(c.pattern.c_str()));
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(finder.GetName(), L"");
        EXPECT_EQ(finder.GetRoot(), L"");
        EXPECT_FALSE(finder.FindNext());
    }
    // 259 characters are searched: the path is merely missing.
    CFileFindEx finder;
    EXPECT_FALSE(finder.FindFirst((L"C:\\" + std::wstring(256, L'x')).c_str()));
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_BAD_ARGUMENTS));
}

}  // namespace
