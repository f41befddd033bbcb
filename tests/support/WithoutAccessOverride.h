// Without the capabilities that let root past the mode bits and ownership,
// for as long as it lives (this thread only): a mode-000 folder is then
// unreadable even to root, as it is to a user on Windows without rights.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

class WithoutAccessOverride {
public:
    WithoutAccessOverride() {
        syscall(SYS_capget, &header_, saved_);
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER));
        syscall(SYS_capset, &header_, reduced);
    }
    ~WithoutAccessOverride() { syscall(SYS_capset, &header_, saved_); }
    WithoutAccessOverride(const WithoutAccessOverride&) = delete;
    WithoutAccessOverride& operator=(const WithoutAccessOverride&) = delete;

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2] = {};
};
