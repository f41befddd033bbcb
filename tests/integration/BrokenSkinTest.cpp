// A wizard whose skin cannot be used says so and ends with exit code 1,
// whatever is wrong with the skin, and never reads skin files from disk.
#include "integration/InstallerFixture.h"

#include <sys/stat.h>

#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;

const char kMessage[] = "加载资源文件失败：";

struct BrokenSkin {
    const char* name;
    std::function<void(const std::string& tree)> damage;  // changes a copy of the built skin folder
    const char* file;                                      // the skin file the message names
};

void ReplaceInFile(const std::string& path, const std::string& from, const std::string& to) {
    std::string text = ReadWholeFile(path);
    size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    WriteWholeFile(path, text);
}

const BrokenSkin kBrokenSkins[] = {
    {"MissingMainLayout", [](const std::string& tree) { fs::remove(tree + "/DlgMain.xml"); }, "DlgMain.xml"},
    {"InvalidXml",
     [](const std::string& tree) { ReplaceInFile(tree + "/DlgMain.xml", "</Window>", "</Windo"); }, "DlgMain.xml"},
    {"PageWithoutRequiredControl",
     [](const std::string& tree) { ReplaceInFile(tree + "/Welcome.xml", "\"edtInstallpath\"", "\"edtOther\""); },
     "Welcome.xml"},
    {"MissingPageLayout", [](const std::string& tree) { fs::remove(tree + "/Progress.xml"); }, "Progress.xml"},
};

class BrokenSkinTest : public InstallerTest, public ::testing::WithParamInterface<BrokenSkin> {};

// Headless (windows kept unseen), the message box is written to standard
// error as "caption: text".
void ExpectSkinFailure(const ProcessResult& run, const std::string& file) {
    EXPECT_EQ(run.exitCode, 1) << run.errors;
    EXPECT_NE(run.errors.find(std::string("Duilib: ") + kMessage + file), std::string::npos) << run.errors;
}

TEST_P(BrokenSkinTest, EndsWithTheToolkitsMessage) {
    std::string tree = folder_ + "/skin";
    fs::create_directories(tree);
    fs::copy(BuildFile("resources/skin"), tree, fs::copy_options::recursive);
    GetParam().damage(tree);
    ProcessResult pack = RunProcess({BuildFile("pack-skin"), tree, folder_ + "/skin.zres"});
    ASSERT_EQ(pack.exitCode, 0) << pack.errors;
    std::string installer = CopyInstaller("velmora-setup");
    ASSERT_EQ(RunProcess({BuildFile("set-resource"), installer, "ZIPRES", "IDR_ZIPRES", folder_ + "/skin.zres"}).exitCode, 0);

    ExpectSkinFailure(RunInstaller({}, installer, {{"DISPLAY", ""}, {"WINCOMPAT_HEADLESS", "1"}}), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(Skins, BrokenSkinTest, ::testing::ValuesIn(kBrokenSkins),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstallerTest, SkinResourceThatIsNoArchiveIsRefused) {
    std::string installer = CopyInstaller("velmora-setup");
    for (const std::string& bytes : {std::string("not a skin at all"), std::string()}) {
        WriteWholeFile(folder_ + "/skin.zres", bytes);
        RunProcess({BuildFile("set-resource"), installer, "ZIPRES", "IDR_ZIPRES", folder_ + "/skin.zres"});
        ExpectSkinFailure(RunInstaller({}, installer, {{"DISPLAY", ""}, {"WINCOMPAT_HEADLESS", "1"}}), "DlgMain.xml");
    }
}

TEST_F(InstallerTest, SkinEncipheredWithAnotherKeyIsRefused) {
    std::string zip = folder_ + "/skin.zip";
    ASSERT_EQ(RunProcess({"/bin/sh", "-c", "cd '" + BuildFile("resources/skin") + "' && 7z a -tzip -bd -bso0 '" + zip +
                                               "' . >/dev/null"}).exitCode, 0);
    ProcessResult cipher = RunProcess({"/usr/bin/openssl", "enc", "-aes-256-cfb", "-nosalt", "-K",
                                       std::string(64, '7'), "-iv", std::string(32, '1'), "-in", zip, "-out",
                                       folder_ + "/skin.zres"});
    ASSERT_EQ(cipher.exitCode, 0) << cipher.errors;
    std::string installer = CopyInstaller("velmora-setup");
    RunProcess({BuildFile("set-resource"), installer, "ZIPRES", "IDR_ZIPRES", folder_ + "/skin.zres"});
    ExpectSkinFailure(RunInstaller({}, installer, {{"DISPLAY", ""}, {"WINCOMPAT_HEADLESS", "1"}}), "DlgMain.xml");
}

// The executable without resources, with a complete skin in the folder the
// toolkit would read plain files from: the folder is never used.
TEST_F(InstallerTest, MissingSkinResourceIsNotReplacedBySkinFilesOnDisk) {
    std::string bin = folder_ + "/bin";
    fs::create_directories(bin);
    fs::create_directories(folder_ + "/skin/Quorindel");
    fs::copy(BuildFile("resources/skin"), folder_ + "/skin/Quorindel", fs::copy_options::recursive);
    std::string installer = bin + "/velmora-setup";
    fs::copy_file(BuildFile("velmora-setup-bare"), installer);
    ExpectSkinFailure(RunInstaller({}, installer, {{"DISPLAY", ""}, {"WINCOMPAT_HEADLESS", "1"}}), "DlgMain.xml");
}

}  // namespace
