// Windows paths <-> unix paths over the prefix's dosdevices links.
#include "prefix/Prefix.h"

#include "prefix/DriveRoots.h"
#include "prefix/FolderIndex.h"

#include <errno.h>
#include <limits.h>
#include <locale.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wctype.h>

#include <vector>

namespace wincompat {

namespace {

locale_t Utf8Locale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return locale;
}

std::wstring DosFromResolved(const std::string& path);

// getcwd answers a resolved path: no link to follow.
std::wstring CurrentDosDirectory() {
    std::vector<char> cwd(PATH_MAX);
    if (!getcwd(cwd.data(), cwd.size())) return L"C:\\";
    return DosFromResolved(cwd.data());
}

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool HasInvalidCharacter(std::wstring_view element) {
    for (wchar_t c : element) {
        if (c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' ||
            c == L'*')
            return true;
    }
    return false;
}

std::vector<std::wstring> SplitElements(std::wstring_view path) {
    std::vector<std::wstring> elements;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(L'\\', start);
        if (end == std::wstring_view::npos) end = path.size();
        if (end > start) elements.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return elements;
}

// "C:\file.txt\": a trailing separator after an existing name that is not a
// folder. Windows refuses such a path instead of taking it as the file.
bool NamesFileAsFolder(const std::wstring& full, const std::string& unixPath) {
    if (full.size() <= 3 || full.back() != L'\\') return false;
    struct stat info;
    return stat(unixPath.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

bool Fail(DWORD* error, DWORD code) {
    if (error) *error = code;
    return false;
}

// The leading elements that exist as spelled; when all but the last do, the
// lstat of the folder that should hold the last.
struct KnownPart {
    size_t count = 0;
    bool missingAsSpelled = false;  // the whole path's lstat answered ENOENT
    struct stat folder = {};
};

std::string JoinNames(std::string folder, const std::vector<std::string>& names, size_t count) {
    for (size_t i = 0; i < count; ++i) folder += "/" + names[i];
    return folder;
}

// Gives each element after the first known ones its on-disk spelling, exact
// case first, then without regard to case; from the first missing element
// on, names keep the case given. When some are known, the next one is known
// to be missing as spelled, and its folder's lstat is at hand.
std::string ResolveElements(const std::string& drive, const std::vector<std::wstring>& elements,
                            std::vector<std::string>& names, const KnownPart& known, PathEnd& end) {
    std::string current = JoinNames(drive, names, known.count);
    bool parentExists = true;
    end = PathEnd::Unknown;
    for (size_t i = known.count; i < names.size(); ++i) {
        std::string& name = names[i];
        struct stat info;
        bool provenMissing = i == known.count && known.count > 0;
        if (parentExists && (provenMissing || lstat((current + "/" + name).c_str(), &info) != 0)) {
            const bool folderKnown = provenMissing && known.missingAsSpelled && S_ISDIR(known.folder.st_mode);
            bool listed = false;
            std::string match = FindNameNoCase(current, elements[i], folderKnown ? &known.folder : nullptr, &listed);
            if (match.empty()) {
                parentExists = false;
                if (i + 1 == names.size() && folderKnown && listed) end = PathEnd::Missing;
            } else {
                name = match;
            }
        }
        current += "/" + name;
    }
    return current;
}

// How many leading names exist as spelled: all of them for most paths, all
// but the last for a new name in an existing folder (whose lstat is kept),
// else none is assumed.
KnownPart KnownElements(const std::string& drive, const std::vector<std::string>& names) {
    KnownPart known;
    struct stat info;
    if (names.empty()) return known;
    if (lstat(JoinNames(drive, names, names.size()).c_str(), &info) == 0) {
        known.count = names.size();
        return known;
    }
    known.missingAsSpelled = errno == ENOENT;
    if (names.size() > 1 && lstat(JoinNames(drive, names, names.size() - 1).c_str(), &known.folder) == 0) {
        known.count = names.size() - 1;
    }
    return known;
}

// The drive whose root holds path (resolved), the longest root winning.
std::wstring DosFromResolved(const std::string& path) {
    char bestDrive = 'z';
    std::string bestRoot = "/";
    const std::string& prefix = PrefixRoot();
    for (const DriveRoot& drive : prefix.empty() ? std::vector<DriveRoot>() : DriveRoots(prefix)) {
        const std::string& root = drive.root;
        bool inside = path == root || path.rfind(root + "/", 0) == 0 || root == "/";
        if (inside && (root.size() > bestRoot.size() || (root.size() == bestRoot.size() && drive.letter < bestDrive))) {
            bestRoot = root;
            bestDrive = drive.letter;
        }
    }
    std::wstring dos(1, static_cast<wchar_t>(bestDrive - 'a' + 'A'));
    dos += L":";
    std::string rest = bestRoot == "/" ? path : path.substr(bestRoot.size());
    for (wchar_t c : WideFromUtf8(rest)) dos += c == L'/' ? L'\\' : c;
    if (dos.size() == 2) dos += L'\\';
    return dos;
}

// The drive and the path from its root. Only a path that is not full asks
// for the current directory.
void AnchorPath(const std::wstring& path, wchar_t& drive, std::wstring& rest) {
    bool hasDrive = path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':';
    if (hasDrive && path.size() > 2 && path[2] == L'\\') {
        drive = UpperCase(path[0]);
        rest = path.substr(2);
        return;
    }
    std::wstring current = CurrentDosDirectory();
    if (hasDrive) {
        drive = UpperCase(path[0]);
        // "C:name" is relative to the drive's current folder: ours when on that drive, else its root.
        rest = (UpperCase(current[0]) == drive ? current.substr(2) + L"\\" : L"\\") + path.substr(2);
    } else if (path[0] == L'\\') {
        drive = UpperCase(current[0]);
        rest = path;
    } else {
        drive = UpperCase(current[0]);
        rest = current.substr(2) + L"\\" + path;
    }
}

}  // namespace

wchar_t UpperCase(wchar_t c) {
    if (c < 128) return (c >= L'a' && c <= L'z') ? c - 32 : c;
    locale_t locale = Utf8Locale();
    return locale ? static_cast<wchar_t>(towupper_l(c, locale)) : c;
}

int CompareNoCase(std::wstring_view a, std::wstring_view b) {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        wchar_t x = UpperCase(a[i]), y = UpperCase(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

bool FullDosPath(std::wstring_view input, std::wstring& full, DWORD* error) {
    std::wstring path(input);
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    if (path.empty()) {
        if (error) *error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    if (path.rfind(L"\\\\?\\", 0) == 0 || path.rfind(L"\\??\\", 0) == 0) path.erase(0, 4);
    if (path.rfind(L"\\\\", 0) == 0 || path.rfind(L"UNC\\", 0) == 0) {
        if (error) *error = ERROR_BAD_NETPATH;  // no network shares here
        return false;
    }

    wchar_t drive;
    std::wstring rest;
    AnchorPath(path, drive, rest);

    std::vector<std::wstring> kept;
    for (std::wstring& element : SplitElements(rest)) {
        if (element == L".") continue;
        if (element == L"..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        // Windows drops trailing dots and spaces of every element.
        while (!element.empty() && (element.back() == L'.' || element.back() == L' ')) element.pop_back();
        if (!element.empty()) kept.push_back(element);
    }

    full.assign(1, drive);
    full += L":\\";
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i) full += L'\\';
        full += kept[i];
    }
    if (!kept.empty() && rest.back() == L'\\') full += L'\\';
    return true;
}

bool MapDosPath(std::wstring_view path, std::string& unixPath, DWORD* error, PathEnd& end, size_t maxLength) {
    end = PathEnd::Unknown;
    std::wstring full;
    if (!FullDosPath(path, full, error)) return false;
    bool extendedLength = path.rfind(L"\\\\?\\", 0) == 0;
    if (!extendedLength && full.size() > maxLength) return Fail(error, ERROR_FILENAME_EXCED_RANGE);
    const std::string& root = PrefixRoot();
    if (root.empty()) return Fail(error, ERROR_PATH_NOT_FOUND);
    std::string drive = root + "/dosdevices/" + static_cast<char>(full[0] - L'A' + 'a') + ":";

    std::vector<std::wstring> elements = SplitElements(std::wstring_view(full).substr(3));
    bool invalid = false;
    std::vector<std::string> names;
    for (const std::wstring& element : elements) {
        invalid = invalid || HasInvalidCharacter(element);
        names.push_back(Utf8FromWide(element));
    }
    KnownPart known = invalid ? KnownPart() : KnownElements(drive, names);
    struct stat info;
    if (known.count == 0 && stat(drive.c_str(), &info) != 0) return Fail(error, ERROR_PATH_NOT_FOUND);  // no such drive
    if (invalid) return Fail(error, ERROR_INVALID_NAME);
    std::string resolved = ResolveElements(drive, elements, names, known, end);
    if (NamesFileAsFolder(full, resolved)) return Fail(error, ERROR_INVALID_NAME);
    unixPath = resolved;
    return true;
}

bool DosToUnix(std::wstring_view path, std::string& unixPath, DWORD* error, size_t maxLength) {
    PathEnd end;
    return MapDosPath(path, unixPath, error, end, maxLength);
}

std::wstring UnixToDos(std::string_view unixPath) {
    std::string path(unixPath);
    if (path.empty() || path[0] != '/') {
        std::vector<char> cwd(PATH_MAX);
        if (getcwd(cwd.data(), cwd.size())) path = std::string(cwd.data()) + "/" + path;
    }
    return DosFromResolved(RealPath(path));
}

DWORD ErrorFromErrno(int error) {
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EEXIST: return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EBADF: return ERROR_INVALID_HANDLE;
    default: return ERROR_GEN_FAILURE;
    }
}

}  // namespace wincompat
