// Supplies control texts from outside the skin (translations).
#pragma once

#include <windows.h>

namespace DuiLib {

class IQueryControlText {
public:
    virtual ~IQueryControlText() = default;
    virtual LPCWSTR QueryControlText(LPCWSTR lpstrId, LPCWSTR lpstrType) = 0;
};

}  // namespace DuiLib
