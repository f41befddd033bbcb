// The payload archive's temporary file: step_Velmora.tmp in the temporary
// folder, written from the installer's "ZIPRES"/"IDR_STEP7ZRES" resource.
#pragma once

#include <string>

class PayloadFile {
public:
    // Computes the path; touches no file.
    PayloadFile();

    const std::wstring& Path() const { return path_; }

    // True when the resource had bytes and all of them were written to the
    // newly created file with one call. An earlier file is deleted, or moved
    // aside and deleted at the next restart when it is held open.
    bool WriteFromResource() const;

private:
    std::wstring path_;
};
