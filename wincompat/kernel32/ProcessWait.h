// Kernel objects that WaitForSingleObject can wait for.
#pragma once

#include "kernel32/Handles.h"

namespace wincompat {

class WaitableObject : public KernelObject {
public:
    // WAIT_OBJECT_0 once signalled, WAIT_TIMEOUT, or WAIT_FAILED with the
    // last error set. INFINITE waits without end.
    virtual DWORD Wait(DWORD milliseconds) = 0;
};

}  // namespace wincompat
