// ShellExecuteW: web addresses to the desktop's handler (a recording
// xdg-open put on PATH here), program files started, everything else refused.
#include <windows.h>
#include <shellapi.h>

#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>

namespace {

class ShellExecuteTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = MakeTestFolder("shell-execute");
        record_ = folder_ + "/opened.txt";
        WriteWholeFile(folder_ + "/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record_ + "'\n");
        chmod((folder_ + "/xdg-open").c_str(), 0755);
        mkdir((folder_ + "/empty").c_str(), 0755);
        const char* path = getenv("PATH");
        savedPath_ = path ? path : "";
        UsePath(folder_ + ":" + savedPath_);
    }
    void TearDown() override { UsePath(savedPath_); }

    static void UsePath(const std::string& path) { setenv("PATH", path.c_str(), 1); }

    // What the stand-in was given, once it has run.
    std::string WaitForRecord(const std::string& path) {
        for (int waited = 0; waited < 200 && ReadWholeFile(path).empty(); ++waited) Sleep(25);
        return ReadWholeFile(path);
    }

    static INT_PTR Execute(LPCWSTR verb, const std::wstring& file, LPCWSTR parameters = nullptr) {
        HINSTANCE answer = ShellExecuteW(nullptr, verb, file.c_str(), parameters, nullptr, SW_SHOWNORMAL);
        return reinterpret_cast<INT_PTR>(answer);
    }

    std::string folder_, record_, savedPath_;
};

}  // namespace

TEST_F(ShellExecuteTest, WebAddressesGoToTheDesktopsHandler) {
    EXPECT_GT(Execute(L"open", L"https://www.orvanti.example/下载?a=1&b=2"), 32);
    EXPECT_EQ(WaitForRecord(record_), "https://www.orvanti.example/下载?a=1&b=2\n");
    remove(record_.c_str());
    EXPECT_GT(Execute(nullptr, L"HTTP://www.orvanti.example"), 32) << "no verb is open; schemes ignore case";
    EXPECT_EQ(WaitForRecord(record_), "HTTP://www.orvanti.example\n");
}

TEST_F(ShellExecuteTest, WithoutAHandlerAWebAddressCannotBeOpened) {
    UsePath(folder_ + "/empty");
    EXPECT_EQ(Execute(L"open", L"https://www.orvanti.example"), SE_ERR_NOASSOC);
}

TEST_F(ShellExecuteTest, AProgramFileStartsWithItsParameters) {
    std::string report = folder_ + "/probe-report.txt";
    setenv("PROBE_REPORT", report.c_str(), 1);
    std::wstring probe = wincompat::UnixToDos(BuildFile("process-probe"));
    INT_PTR answer = Execute(L"open", probe, L"exit 0");
    unsetenv("PROBE_REPORT");
    EXPECT_GT(answer, 32);
    std::string reported = WaitForRecord(report);
    EXPECT_NE(reported.find("argv.1=exit\n"), std::string::npos) << reported;
    EXPECT_NE(reported.find("argv.2=0\n"), std::string::npos) << reported;
}

TEST_F(ShellExecuteTest, RefusesWhatItCannotOpen) {
    struct {
        LPCWSTR verb;
        std::wstring file;
        INT_PTR answer;
    } cases[] = {
        {L"print", L"https://www.orvanti.example", SE_ERR_NOASSOC},
        {L"open", L"C:\\nothing-here.exe", SE_ERR_FNF},
        {L"open", L"C:\\no-folder\\setup.exe", SE_ERR_PNF},
        {L"open", L"C:\\windows", SE_ERR_NOASSOC},
        {L"open", L"", SE_ERR_FNF},
    };
    for (const auto& refused : cases)
        EXPECT_EQ(Execute(refused.verb, refused.file), refused.answer) << refused.file.c_str();
}
