#include "install/FileStreams.h"

#include "install/SevenZipStreamQuery.h"

using namespace sevenzip;

namespace {

HRESULT LastErrorResult() {
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace

CInFileStream::~CInFileStream() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool CInFileStream::Open(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
    return file_ != INVALID_HANDLE_VALUE;
}

HRESULT CInFileStream::QueryInterface(REFIID iid, void** object) {
    return QueryStream(this, iid, object, {&kIidISequentialInStream, &kIidIInStream});
}

ULONG CInFileStream::Release() {
    const ULONG count = ReleaseReference();
    if (count == 0) delete this;
    return count;
}

HRESULT CInFileStream::Read(void* data, uint32_t size, uint32_t* processedSize) {
    std::lock_guard<std::mutex> lock(mutex_);
    DWORD read = 0;
    const BOOL ok = ReadFile(file_, data, size, &read, nullptr);
    if (processedSize) *processedSize = read;
    return ok ? S_OK : LastErrorResult();
}

HRESULT CInFileStream::Seek(int64_t offset, uint32_t origin, uint64_t* newPosition) {
    if (origin > FILE_END) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(mutex_);
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    LARGE_INTEGER position;
    position.QuadPart = 0;
    if (!SetFilePointerEx(file_, distance, &position, origin)) return LastErrorResult();
    if (newPosition) *newPosition = static_cast<uint64_t>(position.QuadPart);
    return S_OK;
}

COutFileStream::~COutFileStream() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

bool COutFileStream::Create(const std::wstring& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                        nullptr);
    return file_ != INVALID_HANDLE_VALUE;
}

bool COutFileStream::SetMTime(const FILETIME& time) {
    std::lock_guard<std::mutex> lock(mutex_);
    return SetFileTime(file_, nullptr, nullptr, &time) != FALSE;
}

bool COutFileStream::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_ == INVALID_HANDLE_VALUE) return true;
    const BOOL closed = CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    return closed != FALSE;
}

uint64_t COutFileStream::ProcessedSize() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return processedSize_;
}

void COutFileStream::ResetProcessedSize() {
    std::lock_guard<std::mutex> lock(mutex_);
    processedSize_ = 0;
}

HRESULT COutFileStream::QueryInterface(REFIID iid, void** object) {
    return QueryStream(this, iid, object, {&kIidISequentialOutStream});
}

ULONG COutFileStream::Release() {
    const ULONG count = ReleaseReference();
    if (count == 0) delete this;
    return count;
}

HRESULT COutFileStream::Write(const void* data, uint32_t size, uint32_t* processedSize) {
    std::lock_guard<std::mutex> lock(mutex_);
    DWORD written = 0;
    const BOOL ok = WriteFile(file_, data, size, &written, nullptr);
    processedSize_ += written;
    if (processedSize) *processedSize = written;
    return ok ? S_OK : LastErrorResult();
}
