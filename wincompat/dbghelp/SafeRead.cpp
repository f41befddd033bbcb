// process_vm_readv on the own process reports unmapped memory as an error.
#include "dbghelp/SafeRead.h"

#include <sys/uio.h>
#include <unistd.h>

namespace wincompat {

bool SafeRead(uint64_t address, void* buffer, size_t size) {
    iovec local{buffer, size};
    iovec remote{reinterpret_cast<void*>(address), size};
    return process_vm_readv(getpid(), &local, 1, &remote, 1, 0) == static_cast<ssize_t>(size);
}

}  // namespace wincompat
