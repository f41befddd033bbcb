// Helpers shared by the shell link tests: a counted COM reference, links made
// through CoCreateInstance, and the independent reader lnkinfo.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shlguid.h>
#include <shobjidl.h>

#include "prefix/Prefix.h"
#include "support/ProcessRunner.h"
#include "support/TestPrefix.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

template <typename T>
class TestComRef {
public:
    TestComRef() = default;
    TestComRef(const TestComRef&) = delete;
    TestComRef& operator=(const TestComRef&) = delete;
    ~TestComRef() {
        if (object_) object_->Release();
    }
    void** Receive() { return reinterpret_cast<void**>(&object_); }
    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

// COM initialised for one test.
class ShellLinkTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr))); }
    void TearDown() override { CoUninitialize(); }
};

inline TestComRef<IShellLinkW>* NewShellLink(TestComRef<IShellLinkW>& link) {
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Receive());
    EXPECT_EQ(result, S_OK);
    return &link;
}

inline HRESULT SaveLink(IShellLinkW* link, const std::wstring& file) {
    TestComRef<IPersistFile> persist;
    HRESULT result = link->QueryInterface(IID_IPersistFile, persist.Receive());
    return SUCCEEDED(result) ? persist->Save(file.c_str(), FALSE) : result;
}

inline std::string UnixPathOf(const std::wstring& dosPath) {
    std::string unixPath;
    EXPECT_TRUE(wincompat::DosToUnix(dosPath, unixPath, nullptr, 0x7FFF));
    return unixPath;
}

// A fresh folder on C: for the files of one test, as a Windows path without a trailing backslash.
inline std::wstring FreshFolder(const std::wstring& name) {
    static int counter = 0;
    std::wstring folder = L"C:\\links-" + std::to_wstring(++counter) + L"\\" + name;
    std::filesystem::create_directories(UnixPathOf(folder));
    return folder;
}

inline void WriteTarget(const std::wstring& dosPath, const std::string& bytes) {
    WriteWholeFile(UnixPathOf(dosPath), bytes);
}

inline uint32_t LittleEndianAt(const std::string& bytes, size_t offset, int width) {
    uint32_t value = 0;
    for (int i = 0; i < width && offset + i < bytes.size(); ++i)
        value |= uint32_t(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
    return value;
}

inline bool LnkinfoInstalled() {
    return access("/usr/bin/lnkinfo", X_OK) == 0;
}

#define SKIP_WITHOUT_LNKINFO()                                                                \
    do {                                                                                      \
        if (!LnkinfoInstalled())                                                              \
            GTEST_SKIP() << "lnkinfo (liblnk-utils) is not installed; scripts/setup.sh installs it"; \
    } while (0)

inline ProcessResult Lnkinfo(const std::string& unixPath) { return RunProcess({"/usr/bin/lnkinfo", unixPath}); }
