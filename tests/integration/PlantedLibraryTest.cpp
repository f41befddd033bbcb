// A library planted next to a downloaded installer is never run.
#include "InstallerFixture.h"

#include <sys/stat.h>

#include <filesystem>

namespace {

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

TEST_F(InstallerTest, LibraryPlantedBesideInstallerIsNotLoaded) {
    std::string installer = CopyInstaller("velmora-setup.exe");
    std::string folder = std::filesystem::path(installer).parent_path();
    // The extraction library is loaded by its Windows name in every install.
    std::filesystem::copy_file(BuildFile("libplanted_library.so"), folder + "/7z.dll");
    std::string marker = folder_ + "/planted-library-ran";

    ProcessResult result = RunInstaller({"slient"}, installer, {{"PLANTED_LIBRARY_MARKER", marker}});

    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_FALSE(Exists(marker));
    EXPECT_TRUE(Exists(OnDriveC("Program Files (x86)/Velmora/Pellamor.exe")));
}

}  // namespace
