// Placing children one after another along an axis: fixed sizes first, the
// space left shared among the children without one.
#pragma once

#include <windows.h>

#include <vector>

namespace DuiLib {

class CControlUI;

enum class FlowAxis { Vertical, Horizontal };

// Lays out the visible, non-float items inside client (device pixels).
void FlowChildren(const std::vector<CControlUI*>& items, const RECT& client, int childPadding, FlowAxis axis);

}  // namespace DuiLib
