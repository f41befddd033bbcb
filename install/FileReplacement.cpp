// Deleting a file, or when it is held, renaming it to a free ".remove" name
// and scheduling that for deletion at the next restart.
#include "install/FileReplacement.h"

#include <windows.h>
#include <shlwapi.h>

#include <cwctype>
#include <wchar.h>

namespace {

const wchar_t kSuffix[] = L".remove";
constexpr int kMoveAsideCandidates = 11;
constexpr int kRenameInPlaceCandidates = 12;
// Every name built here must fit in MAX_PATH with its terminator.
constexpr size_t kLongestName = MAX_PATH - 1;
constexpr DWORD kDeleteAtRestart = MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT;

bool Exists(const std::wstring& path) { return PathFileExistsW(path.c_str()) != FALSE; }

void ScheduleDeletion(const std::wstring& path) { MoveFileExW(path.c_str(), nullptr, kDeleteAtRestart); }

void Rename(const std::wstring& from, const std::wstring& to) {
    MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_COPY_ALLOWED);
}

// stem + ".remove", then ".remove1", ".remove2", ...
std::wstring Candidate(const std::wstring& stem, int number) {
    std::wstring name = stem + kSuffix;
    if (number > 0) name += std::to_wstring(number);
    return name;
}

// The first candidate that is free or can be made free; empty when none of
// them can, or when they no longer fit MAX_PATH (they only grow longer).
std::wstring FreeCandidate(const std::wstring& stem, int count) {
    for (int number = 0; number < count; ++number) {
        std::wstring name = Candidate(stem, number);
        if (name.size() > kLongestName) return std::wstring();
        if (!Exists(name) || DeleteFileW(name.c_str())) return name;
    }
    return std::wstring();
}

std::wstring TemporaryFolder() {
    wchar_t buffer[MAX_PATH] = {};
    DWORD length = GetTempPathW(MAX_PATH, buffer);
    return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

// Position of the last '\', or of the last '/' when there is no '\'.
size_t LastSeparator(const std::wstring& path) {
    size_t backslash = path.rfind(L'\\');
    return backslash != std::wstring::npos ? backslash : path.rfind(L'/');
}

std::wstring BaseName(const std::wstring& path) {
    size_t separator = LastSeparator(path);
    return separator == std::wstring::npos ? std::wstring() : path.substr(separator + 1);
}

// The folder text including its separator; a bare name is taken whole.
std::wstring OwnFolder(const std::wstring& path) {
    size_t separator = LastSeparator(path);
    return separator == std::wstring::npos ? path : path.substr(0, separator + 1);
}

// The file's own name (never its folders) is one the rename-in-place rule
// gives: it ends in ".remove", or in ".remove" and a decimal number.
bool HasMovedAsideName(const std::wstring& path) {
    size_t separator = LastSeparator(path);
    std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
    size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= L'0' && name[digits - 1] <= L'9') --digits;
    size_t suffixLength = wcslen(kSuffix);
    return digits >= suffixLength && name.compare(digits - suffixLength, suffixLength, kSuffix) == 0;
}

// The text before the first '\', lower-cased.
std::wstring DrivePart(const std::wstring& path) {
    size_t backslash = path.find(L'\\');
    std::wstring drive = backslash == std::wstring::npos ? std::wstring() : path.substr(0, backslash);
    for (wchar_t& c : drive) c = static_cast<wchar_t>(std::towlower(c));
    return drive;
}

}  // namespace

void DeleteOrMoveAside(const std::wstring& path) {
    if (DeleteFileW(path.c_str())) return;
    if (!Exists(path) || DeleteFileW(path.c_str())) return;
    std::wstring temporary = TemporaryFolder();
    std::wstring folder = DrivePart(path) == DrivePart(temporary) ? temporary : OwnFolder(path);
    std::wstring candidate = FreeCandidate(folder + BaseName(path), kMoveAsideCandidates);
    if (candidate.empty()) return;
    Rename(path, candidate);
    if (Exists(candidate)) ScheduleDeletion(candidate);
    if (Exists(path)) ScheduleDeletion(path);  // the rename failed, or a copy kept its source
}

bool DeleteOrRenameInPlace(const std::wstring& path) {
    if (DeleteFileW(path.c_str())) return true;
    if (DeleteFileW(path.c_str())) return false;
    // Moved aside by an earlier install already: no second ".remove" name.
    if (HasMovedAsideName(path)) {
        ScheduleDeletion(path);
        return false;
    }
    std::wstring candidate = FreeCandidate(path, kRenameInPlaceCandidates);
    if (candidate.empty()) return false;
    Rename(path, candidate);
    ScheduleDeletion(candidate);
    return false;
}
