// LoadLibrary's search for a bare name: the program's folder comes first,
// except for known DLLs and when the caller asks for the system folder only.
#include "support/ProcessRunner.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <unistd.h>

#include <filesystem>
#include <string>

namespace {

class PlantedBesideProgram : public ::testing::Test {
protected:
    void SetUp() override {
        name_ = "zz_planted_" + std::to_string(getpid()) + ".dll";
        Plant(name_);
    }
    void TearDown() override {
        for (const std::string& path : planted_) std::filesystem::remove(path);
    }

    void Plant(const std::string& name) {
        std::string path = std::filesystem::path(BuildFile("wincompat_tests")).parent_path() / name;
        std::filesystem::copy_file(BuildFile("libplanted_library.so"), path,
                                   std::filesystem::copy_options::overwrite_existing);
        planted_.push_back(path);
    }

    std::wstring WideName() const { return std::wstring(name_.begin(), name_.end()); }

    std::string name_;
    std::vector<std::string> planted_;
};

TEST_F(PlantedBesideProgram, ClassicOrderFindsTheProgramFolder) {
    HMODULE module = LoadLibraryW(WideName().c_str());
    ASSERT_NE(module, nullptr) << GetLastError();
    FreeLibrary(module);
}

TEST_F(PlantedBesideProgram, SystemFolderOnlySkipsTheProgramFolder) {
    SetLastError(0);
    EXPECT_EQ(LoadLibraryExW(WideName().c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

TEST_F(PlantedBesideProgram, KnownDllIsAlwaysTheSystemOne) {
    Plant("kernel32.dll");
    HMODULE module = LoadLibraryW(L"kernel32.dll");
    ASSERT_NE(module, nullptr);
    // The system's kernel32 exports IsWow64Process; the planted object does not.
    EXPECT_NE(GetProcAddress(module, "IsWow64Process"), nullptr);
}

TEST(DefaultDllDirectories, RejectsFlagsWindowsRejects) {
    for (DWORD flags : {0u, 0x1u, 0x10000u}) {
        SetLastError(0);
        EXPECT_FALSE(SetDefaultDllDirectories(flags)) << flags;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER)) << flags;
    }
}

}  // namespace
