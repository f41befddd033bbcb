#pragma once
#include_next <string.h>
#include <wincompat_crt.h>
