#pragma once
#include_next <time.h>
#include <wincompat_crt.h>
