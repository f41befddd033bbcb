// The payload archive's temporary file: step_Velmora.tmp in the temporary
// folder, written from the installer's "ZIPRES"/"IDR_STEP7ZRES" resource.
#pragma once

#include "app/StepFailure.h"

#include <windows.h>

#include <string>

// The payload resource of the running executable, loaded for the lifetime of
// the object; Bytes() is null when it is missing, cannot be loaded or is empty.
class PayloadResource {
public:
    PayloadResource();
    ~PayloadResource();
    PayloadResource(const PayloadResource&) = delete;
    PayloadResource& operator=(const PayloadResource&) = delete;

    const void* Bytes() const { return bytes_; }
    DWORD Size() const { return bytes_ ? size_ : 0; }

private:
    HGLOBAL data_ = nullptr;
    const void* bytes_ = nullptr;
    DWORD size_ = 0;
};

class PayloadFile {
public:
    // Computes the path; touches no file.
    PayloadFile();

    const std::wstring& Path() const { return path_; }

    // Succeeds when the resource had bytes and all of them were written to the
    // newly created file with one call. An earlier file is deleted, or moved
    // aside and deleted at the next restart when it is held open.
    StepResult WriteFromResource() const;

private:
    std::wstring path_;
};
