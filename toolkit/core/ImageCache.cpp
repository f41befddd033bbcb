// The process-wide image cache; it empties itself when the skin source changes.
#include "toolkit/core/ImageCache.h"

#include <map>
#include <utility>

#include "toolkit/builder/ResourceManager.h"
#include "toolkit/render/Bitmap.h"
#include "toolkit/resources/SkinSource.h"

namespace DuiLib {

namespace {

std::wstring DoubleSizeName(const std::wstring& file) {
    size_t dot = file.find_last_of(L'.');
    size_t slash = file.find_last_of(L"/\\");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return file + L"@2x";
    return file.substr(0, dot) + L"@2x" + file.substr(dot);
}

TImageEntry Decode(const std::wstring& path, bool hiDpi) {
    const CSkinSource& source = CSkinSource::Get();
    std::vector<BYTE> bytes;
    if (hiDpi) {
        std::wstring doubled = DoubleSizeName(path);
        if (source.Exists(doubled) && source.Read(doubled, bytes)) {
            if (auto bitmap = CBitmap::FromPng(bytes)) return TImageEntry{std::move(bitmap), 2};
        }
    }
    if (!source.Read(path, bytes)) return TImageEntry{};
    return TImageEntry{CBitmap::FromPng(bytes), 1};
}

}  // namespace

TImageEntry LoadSkinImage(const std::wstring& file, bool hiDpi) {
    static std::map<std::pair<std::wstring, bool>, TImageEntry> cache;
    static unsigned int generation = 0;
    if (file.empty()) return TImageEntry{};
    if (generation != CSkinSource::Get().Generation()) {
        cache.clear();
        generation = CSkinSource::Get().Generation();
    }
    std::wstring path = CResourceManager::GetInstance()->GetImagePath(file.c_str());
    if (path.empty()) path = file;
    auto key = std::make_pair(path, hiDpi);
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;
    TImageEntry entry = Decode(path, hiDpi);
    cache.emplace(key, entry);
    return entry;
}

}  // namespace DuiLib
