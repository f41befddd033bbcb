// The two callbacks as the archive library sees them: which interfaces they
// answer, their reference counts, and their password answer.
#include "install/ArchiveExtractCallback.h"
#include "install/ArchiveOpenCallback.h"

#include <gtest/gtest.h>

#include <stdio.h>

using namespace sevenzip;

namespace {

// An archive that only counts its references.
struct CountingArchive final : IInArchive {
    ULONG references = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE Open(IInStream*, const uint64_t*, IArchiveOpenCallback*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE Close() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetNumberOfItems(uint32_t*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE GetProperty(uint32_t, PROPID, PropVariant*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE Extract(const uint32_t*, uint32_t, int32_t, IArchiveExtractCallback*) override {
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetArchiveProperty(PROPID, PropVariant*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE GetNumberOfProperties(uint32_t*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE GetPropertyInfo(uint32_t, BSTR*, PROPID*, VARTYPE*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE GetNumberOfArchiveProperties(uint32_t*) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE GetArchivePropertyInfo(uint32_t, BSTR*, PROPID*, VARTYPE*) override { return E_FAIL; }
};

const GUID kIidIArchiveOpenCallback = LibraryIid(0x06, 0x10);
const GUID kIidIArchiveExtractCallback = LibraryIid(0x06, 0x20);
const GUID kIidICompressProgressInfo = LibraryIid(0x04, 0x04);
const GUID kIidIArchiveExtractCallbackMessage2 = LibraryIid(0x06, 0x22);

// QueryInterface answers IUnknown and the password interface with the
// password interface and a reference, and nothing else.
template <typename Callback>
void ExpectPasswordInterfaceOnly(Callback* callback) {
    ICryptoGetTextPassword* password = callback;
    struct Case {
        const char* name;
        GUID iid;
        bool answered;
    } cases[] = {
        {"IUnknown", kIidIUnknown, true},
        {"ICryptoGetTextPassword", kIidICryptoGetTextPassword, true},
        {"IArchiveOpenCallback", kIidIArchiveOpenCallback, false},
        {"IArchiveExtractCallback", kIidIArchiveExtractCallback, false},
        {"ICompressProgressInfo", kIidICompressProgressInfo, false},
        {"IArchiveExtractCallbackMessage2", kIidIArchiveExtractCallbackMessage2, false},
        {"IInArchive", kIidIInArchive, false},
    };
    for (const Case& c : cases) {
        void* object = reinterpret_cast<void*>(1);
        const HRESULT result = callback->QueryInterface(c.iid, &object);
        EXPECT_EQ(result, c.answered ? S_OK : E_NOINTERFACE) << c.name;
        EXPECT_EQ(object, c.answered ? static_cast<void*>(password) : nullptr) << c.name;
        // The reference a successful answer added, seen in the next count.
        EXPECT_EQ(callback->AddRef(), c.answered ? 3u : 2u) << c.name;
        callback->Release();
        if (c.answered) static_cast<ICryptoGetTextPassword*>(object)->Release();
    }
}

std::string PasswordAnswer(ICryptoGetTextPassword* callback, HRESULT& result, BSTR& password) {
    password = reinterpret_cast<BSTR>(1);
    testing::internal::CaptureStdout();
    result = callback->CryptoGetTextPassword(&password);
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(ExtractionCallback, OpenCallbackAnswersOnlyThePasswordInterface) {
    auto* callback = new CArchiveOpenCallback;
    ASSERT_EQ(callback->AddRef(), 1u);
    ExpectPasswordInterfaceOnly(callback);
    HRESULT result = S_OK;
    BSTR password = nullptr;
    EXPECT_EQ(PasswordAnswer(callback, result, password), "\nPassword is not defined\n");
    EXPECT_EQ(result, E_ABORT);
    EXPECT_EQ(password, nullptr);
    EXPECT_EQ(callback->Release(), 0u);
}

TEST(ExtractionCallback, ExtractCallbackHoldsItsArchiveUntilTheLastRelease) {
    CountingArchive archive;
    auto* callback = new CArchiveExtractCallback;
    ASSERT_EQ(callback->AddRef(), 1u);
    callback->Init(&archive, L"C:\\Out\\");
    EXPECT_EQ(archive.references, 2u);
    ExpectPasswordInterfaceOnly(callback);
    HRESULT result = S_OK;
    BSTR password = nullptr;
    EXPECT_EQ(PasswordAnswer(callback, result, password), "\nPassword is not defined\n");
    EXPECT_EQ(result, E_ABORT);
    EXPECT_EQ(password, nullptr);
    EXPECT_EQ(archive.references, 2u);
    EXPECT_EQ(callback->Release(), 0u);
    EXPECT_EQ(archive.references, 1u);
}
