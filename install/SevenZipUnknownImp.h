// The reference count shared by our objects handed to the archive library.
// The library calls AddRef and Release from its worker threads, so the count
// is atomic.
#pragma once

#include <windows.h>

#include <atomic>

class CMyUnknownImp {
protected:
    CMyUnknownImp() = default;
    CMyUnknownImp(const CMyUnknownImp&) = delete;
    CMyUnknownImp& operator=(const CMyUnknownImp&) = delete;

    ULONG AddReference() { return refCount_.fetch_add(1, std::memory_order_relaxed) + 1; }
    // The count after the release; the caller deletes itself at zero.
    ULONG ReleaseReference() { return refCount_.fetch_sub(1, std::memory_order_acq_rel) - 1; }

private:
    std::atomic<ULONG> refCount_{0};
};
