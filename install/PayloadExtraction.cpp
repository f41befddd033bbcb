#include "install/PayloadExtraction.h"

#include "install/ArchiveOpenCallback.h"
#include "install/FileStreams.h"
#include "install/InstallerComposer.h"
#include "install/PayloadFile.h"
#include "install/SevenZipItemPath.h"
#include "install/SevenZipLibrary.h"
#include "install/StepsScript.h"

#include <new>

using namespace sevenzip;
using com::ComPtr;

namespace {

// The library looks for the archive's start within this many bytes.
constexpr uint64_t kMaxCheckStartPosition = 1ull << 23;
constexpr uint32_t kAllItems = 0xFFFFFFFFu;

std::wstring WithTrailingSeparator(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder;
}

ComPtr<IInArchive> CreateArchiveHandler() {
    ComPtr<IInArchive> archive;
    const Library* library = LoadLibraryFunctions();
    if (!library) return archive;
    if (library->CreateObject(&kClsid7zHandler, &kIidIInArchive, archive.ReceiveVoid()) != S_OK) archive.Reset();
    return archive;
}

bool OpenArchive(IInArchive* archive, CInFileStream* stream) {
    ComPtr<CArchiveOpenCallback> openCallback(new (std::nothrow) CArchiveOpenCallback);
    if (!openCallback) return false;
    return archive->Open(stream, &kMaxCheckStartPosition, openCallback.Get()) == S_OK;
}

// The result, and on failure what caused it for the install's failure line.
struct ExtractOutcome {
    ExtractResult result;
    StepResult failure;
};

ExtractOutcome Failed(ExtractResult result, const char* action, const std::wstring& object, DWORD error) {
    return {result, StepFailed(action, object, error)};
}

ExtractOutcome Extraction(const std::wstring& archivePath, const std::wstring& outputFolder,
                          ExtractProgressFunction progress, void* context) {
    if (archivePath.empty()) return Failed(ExtractResult::NoArchivePath, "opening", L"", ERROR_INVALID_NAME);
    if (outputFolder.empty()) return Failed(ExtractResult::NoOutputFolder, "extracting into", L"", ERROR_INVALID_NAME);
    ComPtr<IInArchive> archive = CreateArchiveHandler();
    if (!archive) return Failed(ExtractResult::NoArchiveHandler, "loading", L"7z.dll", ERROR_MOD_NOT_FOUND);
    ComPtr<CInFileStream> stream(new (std::nothrow) CInFileStream);
    if (!stream || !stream->Open(archivePath))
        return Failed(ExtractResult::CannotOpenArchive, "opening", archivePath,
                      stream ? GetLastError() : ERROR_NOT_ENOUGH_MEMORY);
    if (!OpenArchive(archive.Get(), stream.Get()))
        return Failed(ExtractResult::OpenFailed, "reading the archive", archivePath, ERROR_INVALID_DATA);

    // Items at the top level go straight into the folder, so it must exist.
    const std::wstring folder = WithTrailingSeparator(outputFolder);
    CreateMissingFolders(folder);

    ComPtr<CArchiveExtractCallback> extractCallback(new (std::nothrow) CArchiveExtractCallback);
    if (!extractCallback)
        return Failed(ExtractResult::ExtractFailed, "extracting into", folder, ERROR_NOT_ENOUGH_MEMORY);
    extractCallback->SetProgress(progress, context);
    extractCallback->Init(archive.Get(), folder);
    if (HRESULT result = archive->Extract(nullptr, kAllItems, 0, extractCallback.Get()); result != S_OK)
        return {ExtractResult::ExtractFailed, extractCallback->Failure(result)};
    extractCallback->ReportFinished();
    return {ExtractResult::Succeeded, std::nullopt};
}

}  // namespace

ExtractResult ExtractArchive(const std::wstring& archivePath, const std::wstring& outputFolder,
                             ExtractProgressFunction progress, void* context) {
    return Extraction(archivePath, outputFolder, progress, context).result;
}

StepResult ExtractPayload(const PayloadFile& payload, const std::wstring& installFolder, CStepsScript* task) {
    LoadLibraryFunctions();
    CInstallerComposer* composer = task ? task->Composer() : nullptr;
    return Extraction(payload.Path(), installFolder, OnExtractProgress, composer).failure;
}

void OnExtractProgress(float percent, void* context) {
    if (!context) return;
    static_cast<CInstallerComposer*>(context)->PostProgress(L"正在解压文件...", static_cast<int32_t>(percent));
}
