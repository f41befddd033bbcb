// Process memory goes straight from its address to the file: the kernel
// reports an unreadable page as EFAULT instead of the writer faulting.
#include "dbghelp/DumpFile.h"

#include "dbghelp/Utf16Text.h"

#include <errno.h>
#include <unistd.h>

namespace wincompat {

namespace {

constexpr size_t kPage = 4096;
constexpr uint64_t kLargestOffset = 0xFFFFFFFFull;
const char kZeros[kPage] = {};

// Writes all of it; false with EFAULT when the source cannot be read.
bool WriteFully(int fd, uint64_t offset, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = pwrite(fd, bytes, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        offset += static_cast<uint64_t>(written);
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

void DumpFile::Put(uint64_t offset, const void* data, size_t size) {
    if (offset + size > kLargestOffset || !WriteFully(fd_, offset, data, size)) good_ = false;
}

MINIDUMP_LOCATION_DESCRIPTOR DumpFile::Append(const void* data, size_t size) {
    MINIDUMP_LOCATION_DESCRIPTOR location{static_cast<ULONG32>(size), Position()};
    Put(position_, data, size);
    position_ += size;
    return location;
}

void DumpFile::AppendZeros(size_t size) {
    while (size > 0) {
        size_t part = size < kPage ? size : kPage;
        Append(kZeros, part);
        size -= part;
    }
}

void DumpFile::Align(size_t alignment) {
    size_t over = static_cast<size_t>(position_ % alignment);
    if (over) AppendZeros(alignment - over);
}

void DumpFile::WriteAt(RVA rva, const void* data, size_t size) { Put(rva, data, size); }

MINIDUMP_LOCATION_DESCRIPTOR DumpFile::AppendMemory(uint64_t address, size_t size) {
    MINIDUMP_LOCATION_DESCRIPTOR location{static_cast<ULONG32>(size), Position()};
    uint64_t end = address + size;
    while (address < end) {
        size_t part = static_cast<size_t>(kPage - address % kPage);
        if (part > end - address) part = static_cast<size_t>(end - address);
        const void* source = reinterpret_cast<const void*>(address);
        if (position_ + part > kLargestOffset) good_ = false;
        else if (!WriteFully(fd_, position_, source, part)) {
            if (errno != EFAULT) good_ = false;
            else WriteFully(fd_, position_, kZeros, part);
        }
        position_ += part;
        address += part;
    }
    return location;
}

RVA DumpFile::AppendString(const char* utf8) {
    uint16_t units[1024];
    size_t count = Utf16FromUtf8(utf8, units, sizeof(units) / sizeof(units[0]) - 1);
    units[count] = 0;
    ULONG32 length = static_cast<ULONG32>(count * 2);
    RVA rva = Append(&length, sizeof(length)).Rva;
    Append(units, (count + 1) * 2);
    return rva;
}

}  // namespace wincompat
