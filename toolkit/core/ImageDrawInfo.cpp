// Image attribute values: either a bare name or a list of name='value' parts.
#include "toolkit/core/ImageDrawInfo.h"

#include "toolkit/core/AttributeValues.h"

namespace DuiLib {

TDrawInfo ParseDrawInfo(const std::wstring& value) {
    TDrawInfo info;
    if (value.find(L'=') == std::wstring::npos) {
        info.sFile = value;
        return info;
    }
    for (const auto& [name, part] : ParseAttributeList(value.c_str())) {
        if (name == L"file" || name == L"res") {
            info.sFile = part;
        } else if (name == L"source") {
            info.rcSource = ParseRect(part.c_str());
            info.bHasSource = true;
        } else if (name == L"corner") {
            info.rcCorner = ParseRect(part.c_str());
        } else if (name == L"dest") {
            info.rcDest = ParseRect(part.c_str());
            info.bHasDest = true;
        }
    }
    return info;
}

}  // namespace DuiLib
