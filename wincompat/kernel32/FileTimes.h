// FILETIME (100-ns ticks since 1601-01-01 UTC) <-> unix times.
#pragma once

#include <windef.h>

#include <time.h>

namespace wincompat {

FILETIME FileTimeFromUnix(const timespec& time);
timespec UnixFromFileTime(const FILETIME& time);

}  // namespace wincompat
