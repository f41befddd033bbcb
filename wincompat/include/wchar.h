#pragma once
#include_next <wchar.h>
#include <wincompat_crt.h>
