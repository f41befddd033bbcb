#include "shell32/ShellLinkTarget.h"

#include <windows.h>

#include "kernel32/FileAttributes.h"
#include "kernel32/FileTimes.h"
#include "prefix/Prefix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

namespace wincompat {

namespace {

FILETIME FromStatx(const statx_timestamp& stamp) {
    return FileTimeFromUnix(timespec{static_cast<time_t>(stamp.tv_sec), static_cast<long>(stamp.tv_nsec)});
}

}  // namespace

TargetFacts ReadTargetFacts(const std::wstring& dosPath) {
    TargetFacts facts;
    std::string unixPath;
    struct statx info;
    if (!DosToUnix(dosPath, unixPath, nullptr, 0x7FFF) ||
        statx(AT_FDCWD, unixPath.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
        return facts;
    DWORD attributes = ReadFileAttributes(unixPath);
    facts.exists = true;
    facts.folder = S_ISDIR(info.stx_mode);
    facts.attributes = attributes == INVALID_FILE_ATTRIBUTES ? 0 : attributes;
    facts.creation = FromStatx((info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime);
    facts.access = FromStatx(info.stx_atime);
    facts.write = FromStatx(info.stx_mtime);
    facts.size = facts.folder ? 0 : info.stx_size;
    return facts;
}

FatDateTime FatFromFileTime(const FILETIME& time) {
    FatDateTime fat;
    if (time.dwLowDateTime == 0 && time.dwHighDateTime == 0) return fat;
    time_t seconds = UnixFromFileTime(time).tv_sec;
    struct tm parts;
    if (!gmtime_r(&seconds, &parts) || parts.tm_year < 80 || parts.tm_year > 207) return fat;
    fat.date = static_cast<WORD>(((parts.tm_year - 80) << 9) | ((parts.tm_mon + 1) << 5) | parts.tm_mday);
    fat.time = static_cast<WORD>((parts.tm_hour << 11) | (parts.tm_min << 5) | (parts.tm_sec / 2));
    return fat;
}

DWORD DriveSerialNumber(const std::wstring& drive) {
    std::string root;
    if (!DosToUnix(drive + L"\\", root, nullptr)) root = Utf8FromWide(drive);
    DWORD hash = 2166136261u;  // FNV-1a
    for (unsigned char c : root) hash = (hash ^ c) * 16777619u;
    return hash;
}

}  // namespace wincompat
