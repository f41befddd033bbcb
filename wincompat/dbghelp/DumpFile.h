// The dump being written: appends at a running offset with pwrite, so that
// nothing is buffered or allocated.
#pragma once

#include <dbghelp.h>

#include <stddef.h>
#include <stdint.h>

namespace wincompat {

class DumpFile {
public:
    explicit DumpFile(int fd) : fd_(fd) {}

    RVA Position() const { return static_cast<RVA>(position_); }
    // False once any write failed or the file outgrew 32-bit offsets.
    bool Good() const { return good_; }

    MINIDUMP_LOCATION_DESCRIPTOR Append(const void* data, size_t size);
    void Align(size_t alignment);
    void WriteAt(RVA rva, const void* data, size_t size);
    // Bytes of this process's memory; pages that cannot be read are stored as zeros.
    MINIDUMP_LOCATION_DESCRIPTOR AppendMemory(uint64_t address, size_t size);
    // A MINIDUMP_STRING: UTF-16 of the UTF-8 text, its byte length first.
    RVA AppendString(const char* utf8);

private:
    void AppendZeros(size_t size);
    void Put(uint64_t offset, const void* data, size_t size);

    int fd_;
    uint64_t position_ = 0;
    bool good_ = true;
};

}  // namespace wincompat
