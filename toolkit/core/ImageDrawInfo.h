// An image attribute value: a file name or res.xml id, or
//   file='x.png' source='l,t,r,b' corner='l,t,r,b' dest='l,t,r,b'
// source is the part of the image (its 1x pixels), corner the 9-slice
// borders, dest where inside the control it goes (96 dpi).
#pragma once

#include <windows.h>

#include <string>

namespace DuiLib {

struct TDrawInfo {
    std::wstring sFile;
    RECT rcSource{};
    bool bHasSource = false;
    RECT rcCorner{};
    RECT rcDest{};
    bool bHasDest = false;
};

TDrawInfo ParseDrawInfo(const std::wstring& value);

}  // namespace DuiLib
