// A skin font: <Font id="0" name="Noto Sans CJK SC" size="14" bold="false" default="true"/>.
#pragma once

#include <string>

namespace DuiLib {

struct TFontInfo {
    std::wstring sFontName = L"Noto Sans CJK SC";
    int iSize = 12;  // pixel height at 96 dpi, scaled for the display when drawn
    bool bBold = false;
    bool bUnderline = false;
    bool bItalic = false;
};

}  // namespace DuiLib
