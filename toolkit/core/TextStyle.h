// How a control places its text inside its text rectangle.
#pragma once

namespace DuiLib {

enum UITextStyle : unsigned int {
    UITEXT_LEFT = 0x00,
    UITEXT_CENTER = 0x01,
    UITEXT_RIGHT = 0x02,
    UITEXT_HMASK = 0x03,
    UITEXT_TOP = 0x00,
    UITEXT_VCENTER = 0x04,
    UITEXT_BOTTOM = 0x08,
    UITEXT_VMASK = 0x0C,
    UITEXT_WORDWRAP = 0x10,  // several lines, broken between words
    UITEXT_ELLIPSIS = 0x20,  // a text too long ends in "…"
};

}  // namespace DuiLib
