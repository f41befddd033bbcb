// Unregistering and registering the shell-extension libraries through the
// build's regsvr32, seen in its history (regsvr32.log in the prefix) and in
// the registry.
#include "install/ShellExtensions.h"

#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <windows.h>

#include <sys/stat.h>
#include <time.h>

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace {

std::vector<std::string> HistoryLines() {
    std::string text = ReadWholeFile(TestPrefixRoot() + "/regsvr32.log");
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The lines added after `before`, once there are `count` of them.
std::vector<std::string> NewHistory(size_t before, size_t count) {
    std::vector<std::string> lines;
    for (int i = 0; i < 400; ++i, Sleep(50)) {
        lines = HistoryLines();
        if (lines.size() >= before + count) break;
    }
    return std::vector<std::string>(lines.begin() + static_cast<long>(std::min(before, lines.size())), lines.end());
}

bool Exists(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0;
}

bool IsRegistered(const std::wstring& library) {
    HKEY classes = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ | KEY_WOW64_64KEY, &classes) != ERROR_SUCCESS)
        return false;
    bool found = false;
    WCHAR name[256];
    for (DWORD i = 0; !found && RegEnumKeyW(classes, i, name, 256) == ERROR_SUCCESS; ++i) {
        std::wstring server = std::wstring(name) + L"\\InprocServer32";
        HKEY key = nullptr;
        if (RegOpenKeyExW(classes, server.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) continue;
        WCHAR data[1024] = {};
        DWORD size = sizeof(data) - sizeof(WCHAR);
        found = RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size) ==
                    ERROR_SUCCESS && library == data;
        RegCloseKey(key);
    }
    RegCloseKey(classes);
    return found;
}

int64_t NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

class ShellExtensionsTest : public testing::Test {
protected:
    std::string folder_ = MakeTestFolder("shell-extensions");
    std::wstring installFolder_ = wincompat::UnixToDos(folder_) + L"\\";

    std::wstring Place(const std::string& name) {
        WriteWholeFile(folder_ + "/" + name, "sample library\n");
        return installFolder_ + wincompat::WideFromUtf8(name);
    }
    static std::string Line(const char* action, const char* options, const std::wstring& library) {
        return std::string(action) + "\t0\tregsvr32 " + options + " \"" + wincompat::Utf8FromWide(library) + "\" ";
    }
};

TEST_F(ShellExtensionsTest, RegisterUnregistersFirstThenRegistersWhatIsPresent) {
    std::wstring library = Place("Tellurin.dll");  // Tellurin64.dll is missing: skipped
    size_t before = HistoryLines().size();
    int64_t start = NowMs();
    EXPECT_TRUE(RegisterShellExtensions(installFolder_));
    EXPECT_GE(NowMs() - start, 50);  // the spacing between the two commands

    std::vector<std::string> lines = NewHistory(before, 2);
    Sleep(300);  // nothing more follows
    lines = NewHistory(before, 2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], Line("unregister", "/s /u", library));
    EXPECT_EQ(lines[1], Line("register", "/s", library));
    EXPECT_TRUE(IsRegistered(library));
}

TEST_F(ShellExtensionsTest, BothLibrariesAreHandledEachUnregisteredBeforeItIsRegistered) {
    std::wstring libraries[] = {Place("Tellurin.dll"), Place("Tellurin64.dll")};
    size_t before = HistoryLines().size();
    EXPECT_TRUE(RegisterShellExtensions(installFolder_));
    std::vector<std::string> lines = NewHistory(before, 4);
    ASSERT_EQ(lines.size(), 4u);
    for (const std::wstring& library : libraries) {
        auto unregister = std::find(lines.begin(), lines.end(), Line("unregister", "/s /u", library));
        auto reg = std::find(lines.begin(), lines.end(), Line("register", "/s", library));
        ASSERT_NE(unregister, lines.end());
        ASSERT_NE(reg, lines.end());
        EXPECT_LT(unregister, reg);
        EXPECT_TRUE(IsRegistered(library));
    }
}

TEST_F(ShellExtensionsTest, UnregisterStartsTheUnregistrationAndGetsEachPresentFileOutOfTheWay) {
    std::wstring library = Place("Tellurin64.dll");  // Tellurin.dll is missing: skipped
    size_t before = HistoryLines().size();
    EXPECT_TRUE(UnregisterShellExtensions(installFolder_));
    EXPECT_FALSE(Exists(folder_ + "/Tellurin64.dll"));
    std::vector<std::string> lines = NewHistory(before, 1);
    Sleep(300);
    lines = NewHistory(before, 1);
    ASSERT_EQ(lines.size(), 1u);
    // Not waited for: regsvr32 may find the file already gone (exit code 3).
    std::string command = "\tregsvr32 /s /u \"" + wincompat::Utf8FromWide(library) + "\" ";
    EXPECT_EQ(lines[0].rfind("unregister\t", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find(command), std::string::npos) << lines[0];
}

TEST_F(ShellExtensionsTest, NothingHappensWithoutLibraries) {
    size_t before = HistoryLines().size();
    int64_t start = NowMs();
    EXPECT_TRUE(RegisterShellExtensions(installFolder_));
    EXPECT_TRUE(UnregisterShellExtensions(installFolder_));
    EXPECT_LT(NowMs() - start, 50);
    Sleep(300);
    EXPECT_EQ(HistoryLines().size(), before);
}

}  // namespace
