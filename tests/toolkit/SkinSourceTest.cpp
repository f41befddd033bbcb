// Where skin files come from: the resource folder, or an in-memory zip that,
// once set, is the only source, readable or not.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <filesystem>
#include <string>
#include <vector>

#include "SkinFixture.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"
#include "toolkit/UIlib.h"
#include "toolkit/resources/SkinSource.h"

using namespace DuiLib;

namespace {

std::string ReadSkinFile(const wchar_t* name) {
    std::vector<BYTE> bytes;
    if (!CSkinSource::Get().Read(name, bytes)) return "<unreadable>";
    return std::string(bytes.begin(), bytes.end());
}

std::wstring BuiltName(const wchar_t* file) {
    CDialogBuilder builder;
    CControlUI* control = builder.Create(file);
    if (!control) return L"<none>";
    std::wstring name = control->GetName();
    delete control;
    return name;
}

}  // namespace

TEST(SkinSource, FolderServesFilesUnderTheResourcePath) {
    ScopedSkin skin;
    std::string folder = MakeTestFolder("skin-folder");
    std::filesystem::create_directory(folder + "/pages");
    WriteWholeFile(folder + "/Main.xml", "<Label name=\"fromFolder\"/>");
    WriteWholeFile(folder + "/pages/Page.xml", "<Button name=\"page\"/>");
    CPaintManagerUI::SetResourcePath(DosPath(folder).c_str());
    EXPECT_EQ(CPaintManagerUI::GetResourcePath(), DosPath(folder) + L"\\");
    EXPECT_EQ(BuiltName(L"Main.xml"), L"fromFolder");
    EXPECT_EQ(BuiltName(L"pages\\Page.xml"), L"page");
    EXPECT_EQ(BuiltName(L"pages/Page.xml"), L"page");
    EXPECT_EQ(BuiltName(L"Other.xml"), L"<none>");
}

TEST(SkinSource, ArchiveEntriesByPathExactCaseFirst) {
    ScopedSkin skin(SkinFiles{{"DlgMain.xml", "<Label name=\"main\"/>"},
                     {"dlgmain.XML", "<Label name=\"other case\"/>"},
                     {"pages/Welcome.xml", "<Label name=\"welcome\"/>"}});
    EXPECT_EQ(BuiltName(L"DlgMain.xml"), L"main");
    EXPECT_EQ(BuiltName(L"dlgmain.XML"), L"other case");
    EXPECT_EQ(BuiltName(L"pages/WELCOME.xml"), L"welcome");  // no exact match: any case
    EXPECT_EQ(BuiltName(L"pages\\Welcome.xml"), L"welcome");
    EXPECT_EQ(BuiltName(L"Welcome.xml"), L"<none>");
}

TEST(SkinSource, PasswordOpensEncryptedEntries) {
    std::map<std::string, std::string> files{{"a.txt", "secret text"}};
    {
        ScopedSkin skin(files, "pa55word");
        EXPECT_EQ(ReadSkinFile(L"a.txt"), "secret text");
    }
    ScopedSkin skin;
    skin.SetArchiveBytes(MakeZip(files, "pa55word"));
    EXPECT_EQ(ReadSkinFile(L"a.txt"), "<unreadable>");
    skin.SetArchiveBytes(MakeZip(files, "pa55word"), L"wrong");
    EXPECT_EQ(ReadSkinFile(L"a.txt"), "<unreadable>");
}

// Once an archive is set the folder is never read, even when the archive
// has nothing to give.
TEST(SkinSource, FolderIsNeverReadOnceAnArchiveIsSet) {
    std::string folder = MakeTestFolder("skin-shadowed");
    WriteWholeFile(folder + "/Main.xml", "<Label name=\"fromFolder\"/>");
    std::string zip = MakeZip({{"Main.xml", "<Label name=\"fromZip\"/>"}});
    struct Case {
        std::string bytes;
        const char* what;
    };
    const Case cases[] = {
        {std::string("PK\x05\x06", 4) + std::string(18, '\0'), "an empty archive"},
        {"this is not a zip at all", "bytes that are no archive"},
        {zip.substr(0, zip.size() / 2), "a cut archive"},
        {std::string(), "no bytes"},
    };
    for (const Case& c : cases) {
        ScopedSkin skin;
        CPaintManagerUI::SetResourcePath(DosPath(folder).c_str());
        ASSERT_EQ(BuiltName(L"Main.xml"), L"fromFolder");
        skin.SetArchiveBytes(c.bytes);
        EXPECT_EQ(BuiltName(L"Main.xml"), L"<none>") << c.what;
        CPaintManagerUI::SetResourceType(UILIB_FILE);
        EXPECT_EQ(ReadSkinFile(L"Main.xml"), "<unreadable>") << c.what;
    }
}

TEST(SkinSource, OnlyFolderAndMemoryZipKindsServeFiles) {
    ScopedSkin skin;
    std::string folder = MakeTestFolder("skin-kinds");
    WriteWholeFile(folder + "/Main.xml", "<Label name=\"x\"/>");
    CPaintManagerUI::SetResourcePath(DosPath(folder).c_str());
    CPaintManagerUI::SetResourceType(UILIB_RESOURCE);
    EXPECT_EQ(BuiltName(L"Main.xml"), L"<none>");
    CPaintManagerUI::SetResourceType(UILIB_ZIPRESOURCE);  // no archive set yet
    EXPECT_EQ(BuiltName(L"Main.xml"), L"<none>");
    CPaintManagerUI::SetResourceType(UILIB_FILE);
    EXPECT_EQ(BuiltName(L"Main.xml"), L"x");
}

namespace {

// The archive with every entry's uncompressed size (local header and central
// directory) replaced by a claim of its own.
std::string WithClaimedSize(std::string zip, uint32_t size) {
    const std::pair<const char*, size_t> fields[] = {{"PK\x03\x04", 22}, {"PK\x01\x02", 24}};
    for (auto [signature, offset] : fields) {
        for (size_t at = zip.find(signature, 0, 4); at != std::string::npos; at = zip.find(signature, at + 4, 4))
            for (int i = 0; i < 4; ++i) zip[at + offset + i] = static_cast<char>(size >> (8 * i));
    }
    return zip;
}

long PeakKilobytes() {
    struct rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

// A few bytes of archive that claim a gigabyte are not believed: the entry is
// unreadable and nothing near that size is allocated for it.
TEST(SkinSource, EntrySizeClaimsAreNotTrusted) {
    std::string zip = MakeZip({{"Main.xml", "<Label name=\"fromZip\"/>"}});
    for (uint32_t claim : {1u << 30, 17u << 20, 4u}) {
        ScopedSkin skin;
        skin.SetArchiveBytes(WithClaimedSize(zip, claim));
        long before = PeakKilobytes();
        EXPECT_EQ(ReadSkinFile(L"Main.xml"), "<unreadable>") << claim;
        EXPECT_LT(PeakKilobytes() - before, 64 * 1024) << claim;
    }
}
