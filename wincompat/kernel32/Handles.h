// The process's table of kernel handles. Each open file, process or snapshot
// is a KernelObject held by the table until CloseHandle drops it.
#pragma once

#include <windef.h>

#include <memory>

namespace wincompat {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

void SetLastErrorInvalidHandle();

// A new handle for the object; never NULL and never INVALID_HANDLE_VALUE.
HANDLE AddHandle(std::shared_ptr<KernelObject> object);

std::shared_ptr<KernelObject> FindHandle(HANDLE handle);

// The object if the handle is open and of type T, else null (last error
// ERROR_INVALID_HANDLE).
template <typename T>
std::shared_ptr<T> FindHandleOf(HANDLE handle) {
    std::shared_ptr<T> object = std::dynamic_pointer_cast<T>(FindHandle(handle));
    if (!object) SetLastErrorInvalidHandle();
    return object;
}

// Drops the table's reference; false for a handle that is not open.
bool RemoveHandle(HANDLE handle);

}  // namespace wincompat
