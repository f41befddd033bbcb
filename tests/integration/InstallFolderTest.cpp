// Hostile state around the install folder: a folder recorded only in the
// user's own file, folders that are files, links or system folders, links
// planted at payload folders, and a user's own entries inside the folder.
// Whatever is not the install's keeps its content, mode and descriptor.
#include "integration/InstallerFixture.h"

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <functional>
#include <string>

namespace {

void Shell(const std::string& command) {
    ProcessResult run = RunProcess({"/bin/sh", "-c", command});
    ASSERT_EQ(run.exitCode, 0) << command << "\n" << run.output << run.errors;
}

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

bool HasDescriptor(const std::string& path) { return lgetxattr(path.c_str(), "user.wincompat.sd", nullptr, 0) >= 0; }

bool Exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// A windows path on drive Z:, the host's root, for a unix path.
std::string OnDriveZ(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// What a user keeps in a folder of their own: a 0600 file and a 0700 folder
// holding one, whose state the test compares before and after.
struct UsersFolder {
    explicit UsersFolder(const std::string& at) : top(at) {
        Shell("mkdir -p '" + top + "/private' && printf secret > '" + top + "/own.txt' && printf inner > '" + top +
              "/private/inner.txt' && chmod 600 '" + top + "/own.txt' '" + top + "/private/inner.txt' && chmod 700 '" +
              top + "/private'");
    }
    // The entries, their modes and contents, and whether any has a descriptor.
    std::string State() const {
        std::string state;
        for (std::string entry : {"", "/own.txt", "/private", "/private/inner.txt"}) {
            std::string path = top + entry;
            state += entry + " " + std::to_string(ModeOf(path)) + (HasDescriptor(path) ? " sd" : "") + "\n";
        }
        ProcessResult listing = RunProcess({"/bin/sh", "-c", "cd '" + top + "' && find . | LC_ALL=C sort"});
        return state + listing.output + ReadWholeFile(top + "/own.txt") + ReadWholeFile(top + "/private/inner.txt");
    }
    std::string top;
};

class InstallFolderTest : public InstallerTest {
protected:
    void SetUp() override {
        InstallerTest::SetUp();
        installer_ = QuietInstaller(folder_ + "/setup");
    }
    ProcessResult Install() { return RunInstaller({"slient"}, installer_); }
    std::string DefaultFolder() const { return OnDriveC("Program Files (x86)/Velmora"); }

    std::string installer_;
};

TEST_F(InstallFolderTest, AFolderRecordedOnlyInTheUsersFileIsNotAdopted) {
    ASSERT_EQ(Install().exitCode, 0);
    UsersFolder victim(folder_ + "/victim");
    std::string before = victim.State();
    RecordUserInstallPath(OnDriveZ(victim.top));

    ProcessResult run = Install();
    EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
    EXPECT_EQ(victim.State(), before);
    EXPECT_FALSE(Exists(victim.top + "/Pellamor.exe"));
    EXPECT_TRUE(Exists(DefaultFolder() + "/Pellamor.exe"));
    EXPECT_EQ(IniValue(ReadWholeFile(UserConfigFile()), "Globals", "InstallPath"),
              "C:\\Program Files (x86)\\Velmora");
}

// Folders that even a matching machine record cannot make acceptable: a
// recorded one is ignored and the install goes to the default folder; the
// default folder itself in such a state ends the install with one line on
// standard error. Either way nothing there is touched.
TEST_F(InstallFolderTest, RefusedFoldersAreNeverTouched) {
    ASSERT_EQ(Install().exitCode, 0);
    UsersFolder outside(folder_ + "/outside");
    UsersFolder dotted(OnDriveC("dotted"));
    const std::string victimFile = OnDriveC("victim.txt");
    Shell("printf mine > '" + victimFile + "' && chmod 600 '" + victimFile + "'");
    auto fileState = [](const std::string& path) {
        return std::to_string(ModeOf(path)) + ReadWholeFile(path) + (HasDescriptor(path) ? " sd" : "");
    };
    auto replaceDefaultFolder = [&](const std::string& with) {
        Shell("rm -rf '" + DefaultFolder() + "' '" + UserConfigFile() + "' && " + with);
    };
    struct Case {
        std::string recorded;  // by the user's file and the machine's key; empty: none
        std::function<void()> prepare;
        std::function<std::string()> state;  // of what must stay as it was
        std::string refusal;                   // empty: the record is ignored and the install succeeds
    } cases[] = {
        {"C:\\victim.txt", [] {}, [&] { return fileState(victimFile); }, ""},
        {"C:\\Windows", [] {},
         [&] {
             std::string windows = OnDriveC("windows");
             return std::to_string(ModeOf(windows)) + (HasDescriptor(windows) ? " sd" : "") +
                    (Exists(windows + "/VelmoraUserVersion.ini") ? " version file" : "");
         },
         ""},
        {"C:\\linked", [&] { Shell("ln -s '" + outside.top + "' '" + OnDriveC("linked") + "'"); },
         [&] { return outside.State(); }, ""},
        {"C:\\dotted\\..\\dotted", [] {}, [&] { return dotted.State(); }, ""},
        {"", [&] { replaceDefaultFolder("ln -s '" + outside.top + "' '" + DefaultFolder() + "'"); },
         [&] { return outside.State(); }, "a symbolic link or junction"},
        {"", [&] { replaceDefaultFolder("cp '" + victimFile + "' '" + DefaultFolder() + "'"); },
         [&] { return fileState(DefaultFolder()); }, "an existing file, not a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.recorded.empty() ? c.refusal : c.recorded);
        c.prepare();
        if (!c.recorded.empty()) {
            RecordUserInstallPath(c.recorded);
            RecordMachineInstallPath(c.recorded);
        }
        std::string before = c.state();
        ProcessResult run = Install();
        EXPECT_EQ(c.state(), before);
        EXPECT_FALSE(Exists(outside.top + "/Pellamor.exe"));
        if (c.refusal.empty()) {
            EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
            EXPECT_EQ(IniValue(ReadWholeFile(UserConfigFile()), "Globals", "InstallPath"),
                      "C:\\Program Files (x86)\\Velmora");
        } else {
            EXPECT_EQ(run.exitCode, 3) << run.output << run.errors;
            EXPECT_NE(run.errors.find("Install folder refused (" + c.refusal + ")"), std::string::npos) << run.errors;
        }
    }
}

TEST_F(InstallFolderTest, LinksPlantedAtPayloadFoldersAreReplacedAndTheirTargetsUntouched) {
    ASSERT_EQ(Install().exitCode, 0);
    std::string dataListing = RunProcess({"/bin/sh", "-c", "cd '" + DefaultFolder() + "' && find Data | sort"}).output;
    ASSERT_NE(dataListing.find("Data/FileTypes/"), std::string::npos) << dataListing;
    UsersFolder top(folder_ + "/top-target");
    UsersFolder deep(folder_ + "/deep-target");
    // A link for a folder at the top and one two levels down, and a dangling one.
    Shell("cd '" + DefaultFolder() + "' && rm -rf Data Help && ln -s '" + top.top + "' Data");
    Shell("mkdir -p '" + top.top + "/FileTypes'");  // so Data/FileTypes would be reached through the link
    Shell("cd '" + DefaultFolder() + "' && mkdir Help && ln -s '" + deep.top + "' Help/de-DE");
    Shell("cd '" + DefaultFolder() + "' && rm -rf Plugins && ln -s '" + folder_ + "/gone' Plugins");
    std::string topBefore = top.State();
    std::string deepBefore = deep.State();

    ProcessResult run = Install();
    EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
    EXPECT_EQ(top.State(), topBefore);
    EXPECT_EQ(deep.State(), deepBefore);
    EXPECT_FALSE(Exists(folder_ + "/gone"));
    struct stat info {};
    for (std::string folder : {"Data", "Help/de-DE", "Plugins"}) {
        ASSERT_EQ(lstat((DefaultFolder() + "/" + folder).c_str(), &info), 0) << folder;
        EXPECT_TRUE(S_ISDIR(info.st_mode)) << folder;
    }
    EXPECT_EQ(RunProcess({"/bin/sh", "-c", "cd '" + DefaultFolder() + "' && find Data | sort"}).output, dataListing);
}

TEST_F(InstallFolderTest, UsersEntriesKeepTheirRightsAndLaterFilesInheritTheFolders) {
    ASSERT_EQ(Install().exitCode, 0);
    UsersFolder own(DefaultFolder() + "/mine");
    Shell("printf notes > '" + DefaultFolder() + "/notes.txt' && chmod 600 '" + DefaultFolder() + "/notes.txt'");
    std::string before = own.State();

    ProcessResult run = Install();
    EXPECT_EQ(run.exitCode, 0) << run.output << run.errors;
    EXPECT_EQ(own.State(), before);
    EXPECT_EQ(ModeOf(DefaultFolder() + "/notes.txt"), 0600u);
    EXPECT_FALSE(HasDescriptor(DefaultFolder() + "/notes.txt"));
    // Written after the second walk, these carry the folder's inheritable
    // Everyone entry, as on Windows.
    for (std::string file : {"VelmoraUserVersion.ini", "访问官方网站.url"}) {
        std::string path = DefaultFolder() + "/" + file;
        EXPECT_TRUE(HasDescriptor(path)) << file;
        EXPECT_EQ(ModeOf(path), 0666u) << file;
    }
}

}  // namespace
