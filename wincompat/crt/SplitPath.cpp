// _wsplitpath_s of the Microsoft C runtime.
#include <stdlib.h>
#include <wchar.h>

#include <errno.h>

#include <string_view>

namespace {

struct Part {
    wchar_t* buffer;
    size_t size;
};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// A part is either absent (NULL, 0) or a buffer with room.
bool IsValid(const Part& part) { return (part.buffer == nullptr) == (part.size == 0); }

void Clear(const Part (&parts)[4]) {
    for (const Part& part : parts)
        if (part.buffer && part.size) part.buffer[0] = L'\0';
}

bool Fits(const Part& part, std::wstring_view text) { return !part.buffer || text.size() < part.size; }

void Store(const Part& part, std::wstring_view text) {
    if (!part.buffer) return;
    wmemcpy(part.buffer, text.data(), text.size());
    part.buffer[text.size()] = L'\0';
}

}  // namespace

extern "C" errno_t _wsplitpath_s(const wchar_t* path, wchar_t* drive, size_t driveNumberOfElements,
                                 wchar_t* dir, size_t dirNumberOfElements, wchar_t* fname,
                                 size_t nameNumberOfElements, wchar_t* ext, size_t extNumberOfElements) {
    const Part parts[4] = {{drive, driveNumberOfElements},
                           {dir, dirNumberOfElements},
                           {fname, nameNumberOfElements},
                           {ext, extNumberOfElements}};
    bool valid = path != nullptr;
    for (const Part& part : parts) valid = valid && IsValid(part);
    if (!valid) {
        Clear(parts);
        errno = EINVAL;
        return EINVAL;
    }

    std::wstring_view rest(path);
    std::wstring_view texts[4];
    if (rest.size() >= 2 && rest[1] == L':') {
        texts[0] = rest.substr(0, 2);
        rest.remove_prefix(2);
    }
    size_t folderEnd = 0;
    for (size_t i = 0; i < rest.size(); ++i)
        if (IsSeparator(rest[i])) folderEnd = i + 1;
    texts[1] = rest.substr(0, folderEnd);
    rest.remove_prefix(folderEnd);
    size_t dot = rest.rfind(L'.');
    texts[2] = rest.substr(0, dot);
    texts[3] = dot == std::wstring_view::npos ? std::wstring_view() : rest.substr(dot);

    for (int i = 0; i < 4; ++i) {
        if (Fits(parts[i], texts[i])) continue;
        Clear(parts);
        errno = ERANGE;
        return ERANGE;
    }
    for (int i = 0; i < 4; ++i) Store(parts[i], texts[i]);
    return 0;
}
