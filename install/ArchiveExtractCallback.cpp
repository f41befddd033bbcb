#include "install/ArchiveExtractCallback.h"

#include "install/FileStreams.h"
#include "install/SevenZipDiagnostics.h"
#include "install/SevenZipItemPath.h"
#include "install/SevenZipItemProperties.h"
#include "install/SevenZipPassword.h"

#include <algorithm>
#include <new>

using namespace sevenzip;
using com::ComPtr;

namespace {

// Archives made on unix set this bit and keep st_mode in the high 16 bits.
constexpr DWORD kUnixExtensionBit = 0x8000;
// The DOS bits SetFileAttributesW takes.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NORMAL | FILE_ATTRIBUTE_TEMPORARY |
                                      0x1000 /* offline */ | 0x2000 /* not content indexed */;

// The stored attributes as SetFileAttributesW should get them: the unix mode
// dropped, and no read-only on folders, which Windows ignores but the
// prefix keeps as missing write bits (the folder's later files could then
// not be created).
DWORD AttributesToApply(DWORD stored, bool isFolder) {
    if (stored & kUnixExtensionBit) stored &= 0x7FFF;
    stored &= kSettableAttributes;
    if (isFolder) stored &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    return stored;
}

// Deletes whatever is at path, clearing a file's read-only attribute first.
// A link to a folder is removed as the link it is, never followed.
bool RemoveExistingEntry(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;
    constexpr DWORD kFolderLink = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
    if ((attributes & kFolderLink) == kFolderLink) return RemoveDirectoryW(path.c_str()) != FALSE;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    return DeleteFileW(path.c_str()) != FALSE;
}

// An item's stored name may use either separator; failure lines show backslashes.
std::wstring WindowsSeparators(std::wstring path) {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

bool HasSeparator(const std::wstring& path) { return path.find_first_of(L"\\/") != std::wstring::npos; }

}  // namespace

CArchiveExtractCallback::~CArchiveExtractCallback() = default;

void CArchiveExtractCallback::SetProgress(ExtractProgressFunction progress, void* context) {
    std::lock_guard<std::mutex> lock(progressMutex_);
    progress_ = progress;
    progressContext_ = context;
}

void CArchiveExtractCallback::Init(IInArchive* archive, const std::wstring& outputFolder) {
    library_ = LoadLibraryFunctions();
    archive_ = ComPtr<IInArchive>(archive);
    outputFolder_ = outputFolder;
}

HRESULT CArchiveExtractCallback::QueryInterface(REFIID iid, void** object) {
    return QueryPasswordInterface(this, iid, object);
}

ULONG CArchiveExtractCallback::Release() {
    const ULONG count = ReleaseReference();
    if (count == 0) delete this;
    return count;
}

HRESULT CArchiveExtractCallback::SetTotal(uint64_t total) {
    {
        std::lock_guard<std::mutex> lock(progressMutex_);
        total_ = total;
    }
    WriteArchiveTotal(total);
    return S_OK;
}

HRESULT CArchiveExtractCallback::SetCompleted(const uint64_t* completed) {
    if (!completed) return S_OK;
    std::lock_guard<std::mutex> lock(progressMutex_);
    // Nothing to measure against; ReportFinished reports the end.
    if (total_ == 0) return S_OK;
    const double percent = static_cast<double>(*completed) * 100.0 / static_cast<double>(total_);
    try {
        Report(static_cast<float>(percent));
    } catch (...) {
        // A progress report that could not be posted is dropped, as a failed post is.
    }
    return S_OK;
}

StepFailure CArchiveExtractCallback::Failure(HRESULT extractResult) {
    std::lock_guard<std::mutex> lock(itemMutex_);
    if (failure_) return *failure_;
    // A write or read of the library's own failed: the current item's file.
    return StepFailure{"extracting", WindowsSeparators(diskPath_.empty() ? outputFolder_ + itemPath_ : diskPath_),
                       ErrorOfResult(extractResult)};
}

void CArchiveExtractCallback::ReportFinished() {
    std::lock_guard<std::mutex> lock(progressMutex_);
    if (lastReported_ != 100.0f) Report(100.0f);
}

// Called with progressMutex_ held, so reports never overtake each other.
void CArchiveExtractCallback::Report(float percent) {
    if (percent > 100.0f) percent = 100.0f;
    if (percent < lastReported_) percent = lastReported_;
    lastReported_ = percent;
    if (progress_) progress_(percent, progressContext_);
}

HRESULT CArchiveExtractCallback::ReadItemProperties(uint32_t index) {
    if (HRESULT result = ReadItemAttributes(*library_, archive_.Get(), index, attributes_, attributesDefined_);
        FAILED(result))
        return result;
    if (HRESULT result = ReadItemIsFolder(*library_, archive_.Get(), index, isFolder_); FAILED(result)) return result;
    return ReadItemModificationTime(*library_, archive_.Get(), index, mtime_, timeDefined_);
}

// The library calls in from its own code: nothing may be thrown back to it.
HRESULT CArchiveExtractCallback::GetStream(uint32_t index, ISequentialOutStream** outStream, int32_t askMode) {
    try {
        return PrepareItem(index, outStream, askMode);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CArchiveExtractCallback::PrepareItem(uint32_t index, ISequentialOutStream** outStream, int32_t askMode) {
    if (!outStream) return E_POINTER;
    *outStream = nullptr;
    std::lock_guard<std::mutex> lock(itemMutex_);
    outFileStream_.Reset();
    outFileStreamSpec_ = nullptr;
    diskPath_.clear();
    attributesDefined_ = timeDefined_ = isFolder_ = false;
    if (!library_ || !archive_) return E_FAIL;

    if (HRESULT result = ReadItemPath(*library_, archive_.Get(), index, itemPath_); FAILED(result)) return result;
    if (askMode != kAskExtract) return S_OK;
    if (HRESULT result = ReadItemProperties(index); FAILED(result)) return result;

    const std::wstring diskPath = outputFolder_ + itemPath_;
    if (!IsContainedItemPath(itemPath_)) {
        return Stop("Item path leaves the output folder", "extracting", diskPath, ERROR_BAD_PATHNAME);
    }
    if (HasSeparator(itemPath_)) EnsureFolder(ParentOfPath(itemPath_));
    diskPath_ = diskPath;
    if (isFolder_) {
        EnsureFolder(itemPath_);
        return S_OK;
    }
    if (!RemoveExistingEntry(diskPath_)) {
        return Stop("Can not delete output file", "replacing", diskPath_, GetLastError());
    }
    return OpenOutputFile(outStream);
}

// Called with itemMutex_ held: the diagnostic line, and the first failure kept
// for the install's own report.
HRESULT CArchiveExtractCallback::Stop(const char* message, const char* action, const std::wstring& path,
                                      DWORD error) {
    WriteErrorLine(message, path);
    if (!failure_) failure_ = StepFailure{action, WindowsSeparators(path), error};
    return E_ABORT;
}

// Called with itemMutex_ held; folder is relative to the output folder. Items
// come folder by folder, so the folder of the previous item is not looked up
// again.
void CArchiveExtractCallback::EnsureFolder(const std::wstring& folder) {
    if (folder == lastFolder_) return;
    CreateRealFolders(outputFolder_, folder);
    lastFolder_ = folder;
}

// Called with itemMutex_ held.
HRESULT CArchiveExtractCallback::OpenOutputFile(ISequentialOutStream** outStream) {
    COutFileStream* fileStream = new (std::nothrow) COutFileStream;
    if (!fileStream) return E_OUTOFMEMORY;
    ComPtr<ISequentialOutStream> stream(fileStream);
    fileStream->ResetProcessedSize();
    if (!fileStream->Create(diskPath_)) {
        return Stop("Can not open output file", "creating", diskPath_, GetLastError());
    }
    outFileStreamSpec_ = fileStream;
    outFileStream_ = stream;
    *outStream = stream.Detach();
    return S_OK;
}

HRESULT CArchiveExtractCallback::PrepareOperation(int32_t askMode) {
    {
        std::lock_guard<std::mutex> lock(itemMutex_);
        extractMode_ = askMode == kAskExtract;
    }
    WriteOperationStart(askMode);
    return S_OK;
}

// Called with itemMutex_ held: sets the stored time, closes and lets go of
// the current file.
HRESULT CArchiveExtractCallback::CloseOutputFile() {
    if (!outFileStreamSpec_) return S_OK;
    if (timeDefined_) outFileStreamSpec_->SetMTime(mtime_);
    const bool closed = outFileStreamSpec_->Close();
    const DWORD error = closed ? ERROR_SUCCESS : GetLastError();
    outFileStreamSpec_ = nullptr;
    outFileStream_.Reset();
    if (closed) return S_OK;
    if (!failure_) failure_ = StepFailure{"writing", WindowsSeparators(diskPath_), error};
    return E_FAIL;
}

HRESULT CArchiveExtractCallback::SetOperationResult(int32_t result) {
    WriteOperationResult(result);
    std::lock_guard<std::mutex> lock(itemMutex_);
    const bool createdFile = outFileStreamSpec_ != nullptr;
    if (HRESULT closed = CloseOutputFile(); FAILED(closed)) return closed;
    if (!extractMode_ || !attributesDefined_ || diskPath_.empty()) return S_OK;
    const DWORD attributes = AttributesToApply(attributes_, isFolder_);
    // A file just created has the archive attribute alone: nothing to change.
    if (!(createdFile && attributes == FILE_ATTRIBUTE_ARCHIVE)) SetFileAttributesW(diskPath_.c_str(), attributes);
    return S_OK;
}

HRESULT CArchiveExtractCallback::CryptoGetTextPassword(BSTR* password) {
    try {
        return AnswerPassword(passwordIsDefined_, password_, password);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}
