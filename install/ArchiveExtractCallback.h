// The callback of the archive library's extract operation: creates each
// item's file or folder under the output folder, applies the stored time and
// attributes, and turns the library's byte counts into a percentage.
//
// The library calls it from its worker threads, and SetCompleted runs
// concurrently with the per-item calls; item state and progress each have a
// lock of their own.
#pragma once

#include "app/StepFailure.h"
#include "install/ComPtr.h"
#include "install/SevenZipInterfaces.h"
#include "install/SevenZipLibrary.h"
#include "install/SevenZipUnknownImp.h"

#include <mutex>
#include <string>

class COutFileStream;

// Called with the completed percentage (0 to 100, never decreasing) and the
// context given with it.
using ExtractProgressFunction = void (*)(float percent, void* context);

class CArchiveExtractCallback final : public sevenzip::IArchiveExtractCallback,
                                      public sevenzip::ICryptoGetTextPassword,
                                      public CMyUnknownImp {
public:
    CArchiveExtractCallback() = default;

    void SetProgress(ExtractProgressFunction progress, void* context);
    // Takes a reference to the archive. outputFolder ends with a separator.
    void Init(sevenzip::IInArchive* archive, const std::wstring& outputFolder);
    // After a successful extraction: reports 100 unless that was the last
    // report (so an archive with a total of 0 ends at 100 as well).
    void ReportFinished();
    // After a failed extraction (extractResult is what the library returned):
    // what stopped it, on which file, with the Windows error.
    StepFailure Failure(HRESULT extractResult);

    // IUnknown: answers IUnknown and ICryptoGetTextPassword only, both with
    // the password interface.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return AddReference(); }
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE SetTotal(uint64_t total) override;
    HRESULT STDMETHODCALLTYPE SetCompleted(const uint64_t* completed) override;
    HRESULT STDMETHODCALLTYPE GetStream(uint32_t index, sevenzip::ISequentialOutStream** outStream,
                                        int32_t askMode) override;
    HRESULT STDMETHODCALLTYPE PrepareOperation(int32_t askMode) override;
    HRESULT STDMETHODCALLTYPE SetOperationResult(int32_t result) override;

    HRESULT STDMETHODCALLTYPE CryptoGetTextPassword(sevenzip::BSTR* password) override;

private:
    ~CArchiveExtractCallback();

    HRESULT PrepareItem(uint32_t index, sevenzip::ISequentialOutStream** outStream, int32_t askMode);
    HRESULT ReadItemProperties(uint32_t index);
    void EnsureFolder(const std::wstring& folder);
    HRESULT OpenOutputFile(sevenzip::ISequentialOutStream** outStream);
    HRESULT CloseOutputFile();
    HRESULT Stop(const char* message, const char* action, const std::wstring& path, DWORD error);
    void Report(float percent);

    const sevenzip::Library* library_ = nullptr;
    com::ComPtr<sevenzip::IInArchive> archive_;
    std::wstring outputFolder_;

    // The current item, guarded by itemMutex_.
    std::mutex itemMutex_;
    std::wstring itemPath_;
    std::wstring diskPath_;  // empty until the item was found to be safe to write
    std::wstring lastFolder_;  // the folder last made sure of
    bool extractMode_ = false;
    FILETIME mtime_{};
    DWORD attributes_ = 0;
    bool isFolder_ = false;
    bool attributesDefined_ = false;
    bool timeDefined_ = false;
    StepResult failure_;  // the first item that stopped the extraction
    COutFileStream* outFileStreamSpec_ = nullptr;
    com::ComPtr<sevenzip::ISequentialOutStream> outFileStream_;

    bool passwordIsDefined_ = false;
    std::wstring password_;

    // Progress, guarded by progressMutex_.
    std::mutex progressMutex_;
    uint64_t total_ = 0;
    float lastReported_ = -1;
    ExtractProgressFunction progress_ = nullptr;
    void* progressContext_ = nullptr;
};
