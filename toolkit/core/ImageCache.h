// Skin images, decoded once per process and skin source.
#pragma once

#include <memory>
#include <string>

namespace DuiLib {

class CBitmap;

struct TImageEntry {
    std::shared_ptr<CBitmap> bitmap;  // null when the image cannot be read
    int factor = 1;                   // 2 when the @2x file was found
};

// The image named file (a skin file or a res.xml Image id). With hiDpi,
// "name@2x.ext" is taken when the skin has it.
TImageEntry LoadSkinImage(const std::wstring& file, bool hiDpi);

}  // namespace DuiLib
