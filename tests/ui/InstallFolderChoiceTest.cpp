// Which install folder the wizard takes. A text it refuses gets the
// invalid-path message and leaves every entry as it was; a folder that does
// not exist yet is made where its parent exists; the folder in the user's own
// file is offered only where the machine's product key names it too.
#include "SkinPositions.h"
#include "WizardSession.h"

#include "support/ProcessRunner.h"

#include <sys/stat.h>
#include <sys/xattr.h>

#include <filesystem>
#include <map>

namespace {

const std::vector<std::string> kButtonBlue = {kAccent, kAccentHot, kAccentPushed};

mode_t ModeOf(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

bool HasDescriptor(const std::string& path) { return lgetxattr(path.c_str(), "user.wincompat.sd", nullptr, 0) >= 0; }

// Every entry below a folder, links not followed, with its mode and whether
// it carries a security descriptor.
std::map<std::string, std::string> EntriesBelow(const std::string& top) {
    std::map<std::string, std::string> entries;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator it(top, error), end; !error && it != end; it.increment(error)) {
        const std::string path = it->path().string();
        entries[path] = std::to_string(ModeOf(path)) + (HasDescriptor(path) ? " sd" : "");
    }
    return entries;
}

// The entries that appeared, went or changed, one a line.
std::string Changes(const std::map<std::string, std::string>& before, const std::map<std::string, std::string>& after) {
    std::string changes;
    for (const auto& [path, state] : before) {
        auto now = after.find(path);
        if (now == after.end()) changes += "gone: " + path + "\n";
        else if (now->second != state) changes += "changed: " + path + " " + state + " -> " + now->second + "\n";
    }
    for (const auto& [path, state] : after)
        if (!before.count(path)) changes += "new: " + path + " " + state + "\n";
    return changes;
}

// What an earlier install leaves: the folder in the user's own file and, when
// the install ran elevated, in the machine's product key (none when empty).
void RecordInstallFolder(const std::string& configFile, const std::string& userRecord, const std::string& prefix,
                         const std::string& machineRecord) {
    std::filesystem::create_directories(std::filesystem::path(configFile).parent_path());
    WriteWholeFile(configFile, "[Globals]\r\nInstallPath=" + userRecord + "\r\n");
    if (machineRecord.empty()) return;
    ProcessResult key = RunProcess({BuildFile("wincompat-reg"), "add", "HKLM\\Software\\Velmora", "/v", "InstallPath",
                                    "/d", machineRecord, "/f", "/reg:32"},
                                   {{"WINCOMPAT_PREFIX", prefix}});
    ASSERT_EQ(key.exitCode, 0) << key.output << key.errors;
}

struct RefusedPath {
    std::string typed;
    const char* what;
};

}  // namespace

// One wizard run refuses each text in turn; the working folder holds a
// user's private file, and a link on drive C: leads to that folder.
TEST_F(WizardTest, FoldersTheInstallCannotTakeAreRefusedAndLeftAlone) {
    const std::string privateFile = workingFolder_ + "/private.txt";
    WriteWholeFile(privateFile, "secret");
    chmod(privateFile.c_str(), 0600);
    std::filesystem::create_directories(OnDriveC("Data"));
    std::filesystem::create_directories(OnDriveC("a"));
    const std::string notes = OnDriveC("Data/notes.txt");
    WriteWholeFile(notes, "mine\r\n");
    chmod(notes.c_str(), 0640);
    std::filesystem::create_directory_symlink(workingFolder_, OnDriveC("Linked"));
    const std::vector<RefusedPath> refused = {
        {".", "the working folder"},
        {"Velmora", "a relative name"},
        {"C:\\a\\..\\Velmora", "a .. name"},
        {"C:\\Data\\...", "a name of dots"},
        {"\\\\server\\share\\Velmora", "a UNC path"},
        {"C:\\Data\\notes.txt", "an existing file"},
        {"C:\\Data\\notes.txt\\", "an existing file with a separator"},
        {"C:\\NoSuchParent\\Velmora", "a folder whose parent does not exist"},
        {"C:\\", "the drive root"},
        {"C:\\Windows", "the Windows folder"},
        {"c:\\WINDOWS\\", "the Windows folder in another case"},
        {"C:\\Linked", "a link to the working folder"},
    };

    ASSERT_TRUE(StartWizard());
    const auto driveBefore = EntriesBelow(OnDriveC(""));
    const auto workingBefore = EntriesBelow(workingFolder_);
    for (const RefusedPath& path : refused) {
        TypeInstallPath(path.typed, PathEdit::Replace);
        Key("Return");
        ASSERT_TRUE(AnswerInvalidPathMessage()) << "not refused: " << path.what << " (" << path.typed << ")";
    }
    EXPECT_EQ(Geometry().height, kExpandedHeight);  // still the welcome step
    EXPECT_EQ(Changes(driveBefore, EntriesBelow(OnDriveC(""))), "");
    EXPECT_EQ(Changes(workingBefore, EntriesBelow(workingFolder_)), "");
    Click(kCloseButton.x, kCloseButton.y);
    EXPECT_EQ(wizard_.Wait(10000), 0) << wizard_.Errors();

    EXPECT_EQ(ModeOf(privateFile), 0600u);
    EXPECT_FALSE(HasDescriptor(privateFile));
    EXPECT_EQ(ReadWholeFile(notes), "mine\r\n");
    EXPECT_FALSE(std::filesystem::exists(OnDriveC("Velmora")));
    EXPECT_FALSE(std::filesystem::exists(OnDriveC("NoSuchParent")));
    EXPECT_FALSE(std::filesystem::exists(OnDriveC("Program Files (x86)/Velmora/Pellamor.exe")));
}

// Typed by hand, on drive C: and on the host's drive Z:: the install makes
// the last folder and completes.
TEST_F(WizardTest, ATypedFolderThatDoesNotExistIsMadeWhereItsParentExists) {
    std::filesystem::create_directories(OnDriveC("NewParent"));
    std::filesystem::create_directories(folder_ + "/elsewhere");
    std::string onDriveZ = "Z:" + folder_ + "/elsewhere/Velmora";
    for (char& c : onDriveZ)
        if (c == '/') c = '\\';
    const std::map<std::string, std::string> typedToMade = {
        {"C:\\NewParent\\Velmora", OnDriveC("NewParent/Velmora")},
        {onDriveZ, folder_ + "/elsewhere/Velmora"},
    };
    for (const auto& [typed, made] : typedToMade) {
        ASSERT_FALSE(std::filesystem::exists(made));
        ASSERT_TRUE(StartWizard());
        TypeInstallPath(typed, PathEdit::Replace);
        Key("Return");
        EXPECT_TRUE(WaitForPixel(kFinishButton.x, kFinishButton.y, kButtonBlue, 60000))
            << "no completion for " << typed;
        Click(kCloseButton.x, kCloseButton.y);
        EXPECT_EQ(wizard_.Wait(10000), 0) << wizard_.Errors();
        EXPECT_TRUE(std::filesystem::exists(made + "/Pellamor.exe")) << typed;
        EXPECT_NE(ReadWholeFile(UserConfigFile()).find("InstallPath=" + typed + "\r\n"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(OnDriveC("Program Files (x86)/Velmora/Pellamor.exe")));
}

// Enter installs into what the edit shows: the folder of the user's file
// where the machine's key names it too (in any case, with a trailing
// backslash) and the rule accepts it, else the default one. Each case in a
// prefix of its own.
TEST_F(WizardTest, TheRecordedFolderIsOfferedOnlyWhereTheMachineKeyNamesIt) {
    struct RecordCase {
        std::string userRecord;
        std::string machineRecord;  // empty: no product key
        std::string folderUsed;
    };
    const std::string byDefault = "Program Files (x86)/Velmora";
    const std::vector<RecordCase> cases = {
        {"C:\\Custom", "", byDefault},
        {"C:\\Custom", "C:\\Elsewhere", byDefault},
        {"C:\\Custom", "c:\\CUSTOM\\", "Custom"},
        {"C:\\Windows", "C:\\Windows", byDefault},  // agreed, but a folder no install may take
    };
    for (size_t index = 0; index < cases.size(); ++index) {
        const RecordCase& record = cases[index];
        SCOPED_TRACE("recorded '" + record.userRecord + "', machine key '" + record.machineRecord + "'");
        prefix_ = folder_ + "/prefix-" + std::to_string(index);
        std::filesystem::create_directories(OnDriveC("Custom"));
        RecordInstallFolder(UserConfigFile(), record.userRecord, prefix_, record.machineRecord);
        ASSERT_TRUE(StartWizard());
        Key("Return");
        ASSERT_TRUE(WaitForPixel(kFinishButton.x, kFinishButton.y, kButtonBlue, 60000)) << "no completion page";
        Click(kCloseButton.x, kCloseButton.y);
        EXPECT_EQ(wizard_.Wait(10000), 0) << wizard_.Errors();
        for (const std::string& folder : {std::string("Custom"), std::string("windows"), byDefault}) {
            bool installed = std::filesystem::exists(OnDriveC(folder + "/Pellamor.exe"));
            EXPECT_EQ(installed, folder == record.folderUsed) << folder;
        }
    }
}
