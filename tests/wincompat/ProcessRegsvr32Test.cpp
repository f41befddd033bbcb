// regsvr32: the class registration it records for a library, in which
// registry view, its exit codes and its history of runs.
#include <windows.h>

#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct Registration {
    std::wstring classId;
    std::wstring name;
    std::wstring server;
    std::wstring threadingModel;
};

std::wstring TextValue(HKEY key, const wchar_t* name) {
    WCHAR data[1024] = {};
    DWORD size = sizeof(data) - sizeof(WCHAR);
    DWORD type = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS) return {};
    return type == REG_SZ ? data : L"";
}

// Every class in HKCR\CLSID of the view whose server is the library.
std::vector<Registration> RegistrationsOf(const std::wstring& library, REGSAM view) {
    std::vector<Registration> found;
    HKEY classes = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, L"CLSID", 0, KEY_READ | view, &classes) != ERROR_SUCCESS) return found;
    WCHAR name[256];
    for (DWORD i = 0; RegEnumKeyW(classes, i, name, 256) == ERROR_SUCCESS; ++i) {
        HKEY classKey = nullptr, server = nullptr;
        if (RegOpenKeyExW(classes, name, 0, KEY_READ | view, &classKey) != ERROR_SUCCESS) continue;
        if (RegOpenKeyExW(classKey, L"InprocServer32", 0, KEY_READ | view, &server) == ERROR_SUCCESS) {
            Registration registration{name, TextValue(classKey, nullptr), TextValue(server, nullptr),
                                      TextValue(server, L"ThreadingModel")};
            if (wincompat::EqualNoCase(registration.server, library)) found.push_back(registration);
            RegCloseKey(server);
        }
        RegCloseKey(classKey);
    }
    RegCloseKey(classes);
    return found;
}

std::vector<std::string> HistoryLines() {
    std::string text = ReadWholeFile(TestPrefixRoot() + "/regsvr32.log");
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

class Regsvr32Test : public testing::Test {
protected:
    std::string folder_ = MakeTestFolder("regsvr32");

    std::wstring Library(const std::string& name, const std::string& bytes = "sample library\n") {
        WriteWholeFile(folder_ + "/" + name, bytes);
        return wincompat::UnixToDos(folder_ + "/" + name);
    }

    ProcessResult Regsvr32(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), BuildFile("regsvr32"));
        return RunProcess(arguments);
    }
};

TEST_F(Regsvr32Test, RegistersTheLibraryAsAnInProcessServerAndUnregistersIt) {
    std::wstring library = Library("Tellurin.dll");
    std::string path = wincompat::Utf8FromWide(library);
    ProcessResult registered = Regsvr32({"/s", path});
    EXPECT_EQ(registered.exitCode, 0) << registered.errors;
    EXPECT_EQ(registered.output, "");  // silent
    std::vector<Registration> found = RegistrationsOf(library, KEY_WOW64_64KEY);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].name, L"Tellurin.dll");
    EXPECT_EQ(found[0].server, library);
    EXPECT_EQ(found[0].threadingModel, L"Apartment");
    EXPECT_TRUE(RegistrationsOf(library, KEY_WOW64_32KEY).empty());

    // The same library named in other letter case gets the same class, not a second one.
    std::wstring upper = library;
    for (wchar_t& c : upper) c = wincompat::UpperCase(c);
    std::string upperPath = wincompat::Utf8FromWide(upper);
    EXPECT_EQ(Regsvr32({"-S", upperPath}).exitCode, 0);
    std::vector<Registration> again = RegistrationsOf(library, KEY_WOW64_64KEY);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].classId, found[0].classId);

    ProcessResult unregistered = Regsvr32({"/u", path});
    EXPECT_EQ(unregistered.exitCode, 0);
    EXPECT_NE(unregistered.output.find("DllUnregisterServer"), std::string::npos);  // not silent
    EXPECT_TRUE(RegistrationsOf(library, KEY_WOW64_64KEY).empty());
    EXPECT_EQ(Regsvr32({"/s", "/u", path}).exitCode, 0);  // not registered: nothing to do
}

TEST_F(Regsvr32Test, A32BitLibraryIsRecordedInThe32BitView) {
    std::string image(0x80, '\0');
    image[0] = 'M', image[1] = 'Z', image[0x3C] = 0x40;
    image.replace(0x40, 6, std::string("PE\0\0\x4c\x01", 6));
    std::wstring library = Library("Tellurin32.dll", image);
    EXPECT_EQ(Regsvr32({"/s", wincompat::Utf8FromWide(library)}).exitCode, 0);
    EXPECT_EQ(RegistrationsOf(library, KEY_WOW64_32KEY).size(), 1u);
    EXPECT_TRUE(RegistrationsOf(library, KEY_WOW64_64KEY).empty());
}

TEST_F(Regsvr32Test, ExitCodesForBadArgumentsAndMissingLibraries) {
    std::wstring library = Library("Present.dll");
    std::string missing = wincompat::Utf8FromWide(wincompat::UnixToDos(folder_ + "/Missing.dll"));
    struct Case {
        std::vector<std::string> arguments;
        int exitCode;
    };
    const Case cases[] = {
        {{"/s", missing}, 3},  // the module failed to load
        {{"/s", "/u", missing}, 3},
        {{"/s"}, 1},
        {{"/s", "/x", wincompat::Utf8FromWide(library)}, 1},
        {{"/s", wincompat::Utf8FromWide(library), missing}, 1},
    };
    for (const Case& test : cases) EXPECT_EQ(Regsvr32(test.arguments).exitCode, test.exitCode) << test.arguments.size();
    EXPECT_TRUE(RegistrationsOf(wincompat::UnixToDos(folder_ + "/Missing.dll"), KEY_WOW64_64KEY).empty());
    EXPECT_TRUE(RegistrationsOf(library, KEY_WOW64_64KEY).empty());
}

TEST_F(Regsvr32Test, StartedByItsBareNameItRecordsTheExactCommandLineInItsHistory) {
    size_t before = HistoryLines().size();
    std::wstring library = Library("History.dll");
    std::wstring commandLine = L"regsvr32 /s \"" + library + L"\" ";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION information{};
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                               &information));
    ASSERT_EQ(WaitForSingleObject(information.hProcess, 20000), WAIT_OBJECT_0);
    DWORD code = 99;
    EXPECT_TRUE(GetExitCodeProcess(information.hProcess, &code));
    EXPECT_EQ(code, 0u);
    CloseHandle(information.hThread);
    CloseHandle(information.hProcess);
    Regsvr32({"/s", "/u", wincompat::Utf8FromWide(library)});

    std::vector<std::string> lines = HistoryLines();
    ASSERT_EQ(lines.size(), before + 2);
    EXPECT_EQ(lines[before], "register\t0\t" + wincompat::Utf8FromWide(commandLine));
    EXPECT_EQ(lines[before + 1].rfind("unregister\t0\t", 0), 0u) << lines[before + 1];
}

}  // namespace
