// Unregistering and registering the shell-extension libraries through the
// system's regsvr32 by its full path, seen in its history (regsvr32.log in the
// prefix) and in the registry: each run has ended when the call returns.
#include "install/ShellExtensions.h"

#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <windows.h>

#include <stdlib.h>
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

// The lines added after `before`.
std::vector<std::string> NewHistory(size_t before) {
    std::vector<std::string> lines = HistoryLines();
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
        return std::string(action) + "\t0\t\"C:\\Windows\\SysWOW64\\regsvr32.exe\" " + options + " \"" +
               wincompat::Utf8FromWide(library) + "\" ";
    }
};

TEST_F(ShellExtensionsTest, RegisterUnregistersFirstThenRegistersWhatIsPresent) {
    std::wstring library = Place("Tellurin.dll");  // Tellurin64.dll is missing: skipped
    size_t before = HistoryLines().size();
    EXPECT_TRUE(RegisterShellExtensions(installFolder_));
    std::vector<std::string> lines = NewHistory(before);  // both runs have ended
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], Line("unregister", "/s /u", library));
    EXPECT_EQ(lines[1], Line("register", "/s", library));
    EXPECT_TRUE(IsRegistered(library));
    Sleep(300);
    EXPECT_EQ(NewHistory(before).size(), 2u);  // nothing more follows
}

TEST_F(ShellExtensionsTest, BothLibrariesAreHandledInOrderEachUnregisteredBeforeItIsRegistered) {
    std::wstring libraries[] = {Place("Tellurin.dll"), Place("Tellurin64.dll")};
    size_t before = HistoryLines().size();
    EXPECT_TRUE(RegisterShellExtensions(installFolder_));
    std::vector<std::string> expected = {
        Line("unregister", "/s /u", libraries[0]), Line("register", "/s", libraries[0]),
        Line("unregister", "/s /u", libraries[1]), Line("register", "/s", libraries[1]),
    };
    EXPECT_EQ(NewHistory(before), expected);
    for (const std::wstring& library : libraries) EXPECT_TRUE(IsRegistered(library));
}

TEST_F(ShellExtensionsTest, UnregisterEndsBeforeEachPresentFileIsGotOutOfTheWay) {
    std::wstring library = Place("Tellurin64.dll");  // Tellurin.dll is missing: skipped
    ASSERT_TRUE(RegisterShellExtensions(installFolder_));
    ASSERT_TRUE(IsRegistered(library));
    size_t before = HistoryLines().size();
    EXPECT_TRUE(UnregisterShellExtensions(installFolder_));
    EXPECT_FALSE(Exists(folder_ + "/Tellurin64.dll"));
    // regsvr32 found the library still there (exit code 0) and removed its registration.
    EXPECT_EQ(NewHistory(before), std::vector<std::string>{Line("unregister", "/s /u", library)});
    EXPECT_FALSE(IsRegistered(library));
}

// A regsvr32 that fails, cannot start or (here) exits with its own code
// leaves one line on standard output naming the command.
TEST_F(ShellExtensionsTest, EachFailedRunWritesOneDiagnosticLine) {
    std::string tools = MakeTestFolder("regsvr32-tools");
    WriteWholeFile(tools + "/regsvr32", "#!/bin/sh\nexit 5\n");
    chmod((tools + "/regsvr32").c_str(), 0755);
    std::string noTools = MakeTestFolder("no-tools");
    std::wstring missing = installFolder_ + L"Missing.dll";
    std::string command = "\"C:\\Windows\\SysWOW64\\regsvr32.exe\" /s /u \"" + wincompat::Utf8FromWide(missing) + "\"";
    struct Case {
        const char* toolsFolder;  // WINCOMPAT_TOOLS_DIR, null for the build's
        std::string line;
    } cases[] = {
        {nullptr, "regsvr32 failed with exit code 3: " + command + "\n"},  // the module failed to load
        {tools.c_str(), "regsvr32 failed with exit code 5: " + command + "\n"},
        {noTools.c_str(), "regsvr32 could not be started (error 2): " + command + "\n"},
    };
    for (const Case& test : cases) {
        if (test.toolsFolder) setenv("WINCOMPAT_TOOLS_DIR", test.toolsFolder, 1);
        testing::internal::CaptureStdout();
        EXPECT_EQ(UnregisterDll(missing), 1);
        std::string output = testing::internal::GetCapturedStdout();
        unsetenv("WINCOMPAT_TOOLS_DIR");
        EXPECT_EQ(output, test.line);
    }
    testing::internal::CaptureStdout();
    Place("Tellurin.dll");
    EXPECT_TRUE(RegisterShellExtensions(installFolder_));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");  // runs that succeed say nothing
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
