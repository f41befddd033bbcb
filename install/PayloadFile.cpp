#include "install/PayloadFile.h"

#include "app/ProductPaths.h"
#include "install/FileReplacement.h"
#include "report/ByteBuffer.h"

#include <windows.h>
#include <shlwapi.h>

namespace {

constexpr DWORD kTempPathCapacity = 1024;
constexpr DWORD kCopyPiece = 4 << 20;

// Appends the resource's bytes a piece at a time into room made once, and
// hands each piece's pages back to the system as soon as they are copied
// (VirtualUnlock of pages never locked takes them out of the working set),
// so the payload is held once, in the buffer, not also in the mapped image.
bool CopyResource(const PayloadResource& resource, ByteBuffer& buffer) {
    const BYTE* bytes = static_cast<const BYTE*>(resource.Bytes());
    const DWORD size = resource.Size();
    if (!bytes || !buffer.Reserve(size)) return false;
    for (DWORD done = 0; done < size;) {
        const DWORD piece = size - done < kCopyPiece ? size - done : kCopyPiece;
        if (!buffer.Append(bytes + done, piece)) return false;
        VirtualUnlock(const_cast<BYTE*>(bytes + done), piece);
        done += piece;
    }
    return true;
}

std::wstring TempFolder() {
    WCHAR buffer[kTempPathCapacity] = {};
    const DWORD length = GetTempPathW(kTempPathCapacity, buffer);
    return length > 0 && length < kTempPathCapacity ? std::wstring(buffer, length) : std::wstring();
}

}  // namespace

PayloadResource::PayloadResource() {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC resource = FindResourceW(module, L"IDR_STEP7ZRES", L"ZIPRES");
    if (!resource) return;
    data_ = LoadResource(module, resource);
    if (!data_) return;
    size_ = SizeofResource(module, resource);
    if (size_ != 0) bytes_ = LockResource(data_);
}

PayloadResource::~PayloadResource() {
    if (data_) FreeResource(data_);
}

PayloadFile::PayloadFile() : path_(JoinPath(TempFolder(), std::wstring(L"step_") + ProductFolderName + L".tmp")) {}

StepResult PayloadFile::WriteFromResource() const {
    ByteBuffer buffer;
    {
        PayloadResource resource;
        if (!CopyResource(resource, buffer)) buffer.Release();
    }
    if (buffer.Size() == 0)
        return StepFailed("reading the resource", L"ZIPRES\\IDR_STEP7ZRES", ERROR_RESOURCE_DATA_NOT_FOUND);

    if (PathFileExistsW(path_.c_str()) && !DeleteFileW(path_.c_str())) DeleteOrMoveAside(path_);
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return StepFailed("creating", path_, GetLastError());
    // A short or failed write leaves a truncated archive: report it here
    // rather than as a damaged archive later.
    DWORD written = 0;
    StepResult result;
    if (!WriteFile(file, buffer.Data(), buffer.Size(), &written, nullptr))
        result = StepFailed("writing", path_, GetLastError());
    else if (written != buffer.Size())
        result = StepFailed("writing", path_, ERROR_DISK_FULL);
    if (!CloseHandle(file) && !result) result = StepFailed("writing", path_, GetLastError());
    return result;
}
