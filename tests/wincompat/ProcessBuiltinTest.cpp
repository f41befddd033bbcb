// Built-in programs by their placeholders: the prefix keeps regsvr32.exe where
// Windows keeps it, CreateProcessW of that file runs wincompat's regsvr32, and
// a prefix that lacks a placeholder (an older one, or one Wine made) gets it.
#include <windows.h>

#include "prefix/BuiltinPlaceholders.h"
#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

const char* const kSystemFolders[] = {"windows/syswow64", "windows/system32"};

std::string Placeholder(const std::string& prefix, const std::string& folder) {
    return prefix + "/drive_c/" + folder + "/regsvr32.exe";
}

// Wine's own build of a program in its prefix: marked as built-in after the DOS header.
std::string WineBuiltinImage() {
    std::string image(0x400, '\0');
    image[0] = 'M', image[1] = 'Z', image[0x3C] = static_cast<char>(0x80);
    image.replace(0x40, 17, std::string("Wine builtin DLL\0", 17));
    image.replace(0x80, 4, std::string("PE\0\0", 4));
    return image;
}

struct Started {
    bool created = false;
    DWORD error = 0;
    DWORD exitCode = 99;
};

Started Start(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION information{};
    Started started;
    started.created = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                     &startup, &information);
    if (!started.created) {
        started.error = GetLastError();
        return started;
    }
    EXPECT_EQ(WaitForSingleObject(information.hProcess, 20000), WAIT_OBJECT_0);
    GetExitCodeProcess(information.hProcess, &started.exitCode);
    CloseHandle(information.hThread);
    CloseHandle(information.hProcess);
    return started;
}

std::string LastHistoryLine(const std::string& prefix) {
    std::string text = ReadWholeFile(prefix + "/regsvr32.log");
    if (text.empty()) return text;
    size_t start = text.rfind('\n', text.size() - 2);
    return text.substr(start == std::string::npos ? 0 : start + 1, text.size() - start - 2);
}

class BuiltinProgramTest : public testing::Test {
protected:
    std::string folder_ = MakeTestFolder("builtin");
    std::wstring library_ = Library();

    std::wstring Library() {
        WriteWholeFile(folder_ + "/Tellurin.dll", "sample library\n");
        return wincompat::UnixToDos(folder_ + "/Tellurin.dll");
    }
};

TEST_F(BuiltinProgramTest, ThePrefixKeepsRegsvr32WhereWindowsDoes) {
    for (const char* folder : kSystemFolders) {
        std::string path = Placeholder(TestPrefixRoot(), folder);
        EXPECT_TRUE(wincompat::IsBuiltinPlaceholder(path)) << path;
        std::string image = ReadWholeFile(path);
        // A PE image whose machine says which folder it is in: i386 in syswow64, AMD64 in system32.
        ASSERT_GE(image.size(), 0x86u);
        EXPECT_EQ(image.substr(0x80, 4), std::string("PE\0\0", 4));
        bool wow64 = std::string(folder).find("syswow64") != std::string::npos;
        EXPECT_EQ(image.substr(0x84, 2), wow64 ? std::string("\x4c\x01", 2) : std::string("\x64\x86", 2));
    }
    DWORD attributes = GetFileAttributesW(L"C:\\Windows\\SysWOW64\\regsvr32.exe");
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST_F(BuiltinProgramTest, StartingThePlaceholderRunsRegsvr32WithTheCommandLineAsWritten) {
    // Wine's own regsvr32.exe, as a prefix Wine made holds it, stands for the built-in too.
    mkdir((folder_ + "/wine").c_str(), 0777);
    WriteWholeFile(folder_ + "/wine/regsvr32.exe", WineBuiltinImage());
    const std::wstring programs[] = {
        L"\"C:\\Windows\\SysWOW64\\regsvr32.exe\"",
        L"C:\\WINDOWS\\system32\\REGSVR32.EXE",
        L"C:\\Windows\\SysWOW64\\regsvr32",  // ".exe" is added as for any program
        L"\"" + wincompat::UnixToDos(folder_ + "/wine/regsvr32.exe") + L"\"",
    };
    for (const std::wstring& program : programs) {
        std::wstring commandLine = program + L" /s \"" + library_ + L"\" ";
        Started started = Start(commandLine);
        ASSERT_TRUE(started.created) << started.error;
        EXPECT_EQ(started.exitCode, 0u);
        EXPECT_EQ(LastHistoryLine(TestPrefixRoot()), "register\t0\t" + wincompat::Utf8FromWide(commandLine));
    }
}

TEST_F(BuiltinProgramTest, WithoutTheToolsFolderThePlaceholderCannotStart) {
    std::string empty = MakeTestFolder("no-tools");
    setenv("WINCOMPAT_TOOLS_DIR", empty.c_str(), 1);
    Started started = Start(L"C:\\Windows\\SysWOW64\\regsvr32.exe /s \"" + library_ + L"\"");
    unsetenv("WINCOMPAT_TOOLS_DIR");
    EXPECT_FALSE(started.created);
    EXPECT_EQ(started.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    // Named by WINCOMPAT_TOOLS_DIR, the tools folder is the one used.
    std::string tools = MakeTestFolder("tools");
    WriteWholeFile(tools + "/regsvr32", "#!/bin/sh\nexit 7\n");
    chmod((tools + "/regsvr32").c_str(), 0755);
    setenv("WINCOMPAT_TOOLS_DIR", tools.c_str(), 1);
    started = Start(L"C:\\Windows\\SysWOW64\\regsvr32.exe /s \"" + library_ + L"\"");
    unsetenv("WINCOMPAT_TOOLS_DIR");
    ASSERT_TRUE(started.created) << started.error;
    EXPECT_EQ(started.exitCode, 7u);
}

// Any other file named regsvr32.exe is a program of its own and runs as itself.
TEST_F(BuiltinProgramTest, AnotherRegsvr32ExeRunsAsItself) {
    std::string own = folder_ + "/regsvr32.exe";
    WriteWholeFile(own, "#!/bin/sh\nexit 9\n");
    chmod(own.c_str(), 0755);
    Started started = Start(L"\"" + wincompat::UnixToDos(own) + L"\" /s \"" + library_ + L"\"");
    ASSERT_TRUE(started.created) << started.error;
    EXPECT_EQ(started.exitCode, 9u);
}

// A prefix made before placeholders existed, or by Wine (whose system32 holds
// its own regsvr32.exe and whose syswow64 may be empty), is completed by the
// next process that starts on it; files already there are left as they are.
TEST_F(BuiltinProgramTest, AnExistingPrefixGetsTheMissingPlaceholdersOnly) {
    std::string prefix = MakeTestFolder("wine-made") + "/prefix";
    std::map<std::string, std::string> environment = {{"WINCOMPAT_PREFIX", prefix}};
    ASSERT_EQ(RunProcess({BuildFile("wincompat-reg"), "query", "HKLM\\Software"}, environment).exitCode, 0);
    std::string wow64 = Placeholder(prefix, "windows/syswow64");
    std::string native = Placeholder(prefix, "windows/system32");
    ASSERT_EQ(unlink(wow64.c_str()), 0);
    WriteWholeFile(native, WineBuiltinImage());

    ProcessResult run = RunProcess({BuildFile("wincompat-reg"), "query", "HKLM\\Software"}, environment);
    EXPECT_EQ(run.exitCode, 0) << run.errors;
    EXPECT_TRUE(wincompat::IsBuiltinPlaceholder(wow64));
    EXPECT_EQ(ReadWholeFile(native), WineBuiltinImage());
    EXPECT_TRUE(wincompat::IsBuiltinPlaceholder(native));
}

}  // namespace
