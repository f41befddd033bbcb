// The C runtime's wide and 64-bit extensions beside the C library's own stdlib.h.
#pragma once
#include_next <stdlib.h>
#include <wincompat_crt.h>
