// The temporary payload file: its path, and writing it from the installer's
// resource, also over an earlier copy that another process still holds.
#include "ExtractionFixture.h"

#include "install/PayloadFile.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"
#include "wincompat/FilesInUseHolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <glob.h>
#include <stdlib.h>

namespace {

std::wstring TempFolder() {
    wchar_t buffer[1024];
    return std::wstring(buffer, GetTempPathW(1024, buffer));
}

// The single file matching pattern, or "" when there is none.
std::string Only(const std::string& pattern) {
    glob_t found{};
    std::string path;
    if (glob(pattern.c_str(), 0, nullptr, &found) == 0 && found.gl_pathc == 1) path = found.gl_pathv[0];
    globfree(&found);
    return path;
}

// A silent install into its own prefix.
ProcessResult InstallSilently(const std::string& prefix) {
    return RunProcess({BuildFile("velmora-setup"), "slient"}, {{"WINCOMPAT_PREFIX", prefix}});
}

}  // namespace

TEST(ExtractionPayloadFile, LivesInTheTemporaryFolderAndIsOnlyNamedAtFirst) {
    PayloadFile payload;
    EXPECT_EQ(payload.Path(), TempFolder() + L"step_Velmora.tmp");
    EXPECT_EQ(GetFileAttributesW(payload.Path().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(ExtractionPayloadFile, WithoutThePayloadResourceNothingChanges) {
    // The test program carries no resources.
    PayloadFile payload;
    HANDLE earlier = CreateFileW(payload.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(earlier, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(earlier, "earlier", 7, &written, nullptr);
    CloseHandle(earlier);

    StepResult failed = payload.WriteFromResource();
    ASSERT_TRUE(failed.has_value());
    EXPECT_EQ(DescribeStepFailure(*failed), "install failed: reading the resource ZIPRES\\IDR_STEP7ZRES: error 1812");
    HANDLE file = CreateFileW(payload.Path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char text[16] = {};
    DWORD read = 0;
    ReadFile(file, text, sizeof(text), &read, nullptr);
    CloseHandle(file);
    EXPECT_EQ(std::string(text, read), "earlier");
    DeleteFileW(payload.Path().c_str());
}

TEST(ExtractionPayloadFile, InstallerWritesItOverAHeldEarlierCopy) {
    const std::string prefix = MakeTestFolder("payload-prefix");
    ASSERT_EQ(InstallSilently(prefix).exitCode, 0);
    const std::string archive = Only(prefix + "/drive_c/users/*/AppData/Local/Temp/step_Velmora.tmp");
    ASSERT_FALSE(archive.empty()) << "the temporary archive stays after the install";
    const std::string payload = ReadFileAt(archive);
    EXPECT_EQ(payload, ReadFileAt(BuildFile("resources/payload.7z")));
    WriteFileAt(archive, "earlier archive");

    // Held as a mapped image: it cannot be deleted, only renamed.
    setenv("WINCOMPAT_PREFIX", prefix.c_str(), 1);
    FileHolder holder({"C:" + archive.substr((prefix + "/drive_c").size()), "--image"});
    setenv("WINCOMPAT_PREFIX", TestPrefixRoot().c_str(), 1);
    ASSERT_TRUE(holder.Holding()) << holder.Line();
    ASSERT_EQ(InstallSilently(prefix).exitCode, 0);

    EXPECT_EQ(ReadFileAt(archive), payload);
    EXPECT_EQ(ReadFileAt(archive + ".remove"), "earlier archive");
    EXPECT_TRUE(ExistsAt(prefix + "/drive_c/Program Files (x86)/Velmora/Pellamor.exe"));
}
