// The flow is computed on a "main" axis (along the flow) and a "cross" axis,
// so the vertical and the horizontal layout share one algorithm.
#include "toolkit/layout/FlowLayout.h"

#include <algorithm>

#include "toolkit/core/ControlUI.h"

namespace DuiLib {

namespace {

struct AxisView {
    bool vertical;
    LONG Main(SIZE size) const { return vertical ? size.cy : size.cx; }
    LONG Cross(SIZE size) const { return vertical ? size.cx : size.cy; }
    LONG MainBefore(const RECT& r) const { return vertical ? r.top : r.left; }
    LONG MainAfter(const RECT& r) const { return vertical ? r.bottom : r.right; }
    LONG CrossBefore(const RECT& r) const { return vertical ? r.left : r.top; }
    LONG CrossAfter(const RECT& r) const { return vertical ? r.right : r.bottom; }
    int MinMain(const CControlUI* c) const { return vertical ? c->GetMinHeight() : c->GetMinWidth(); }
    int MinCross(const CControlUI* c) const { return vertical ? c->GetMinWidth() : c->GetMinHeight(); }
    RECT Make(LONG main, LONG cross, LONG mainLength, LONG crossLength) const {
        if (vertical) return RECT{cross, main, cross + crossLength, main + mainLength};
        return RECT{main, cross, main + mainLength, cross + crossLength};
    }
};

bool Flows(const CControlUI* item) { return item->IsVisible() && !item->IsFloat(); }

}  // namespace

void FlowChildren(const std::vector<CControlUI*>& items, const RECT& client, int childPadding, FlowAxis axis) {
    const AxisView view{axis == FlowAxis::Vertical};
    const SIZE available{client.right - client.left, client.bottom - client.top};
    const LONG mainRoom = view.Main(available);
    const LONG crossRoom = view.Cross(available);

    // First pass: what the fixed children and the margins take.
    LONG taken = 0;
    int flexible = 0;
    int flowing = 0;
    for (CControlUI* item : items) {
        if (!Flows(item)) continue;
        RECT padding = item->GetPadding();
        LONG wanted = view.Main(item->EstimateSize(available));
        if (wanted > 0) {
            taken += std::max<LONG>(wanted, view.MinMain(item));
        } else {
            ++flexible;
        }
        taken += view.MainBefore(padding) + view.MainAfter(padding);
        ++flowing;
    }
    if (flowing > 1) taken += childPadding * (flowing - 1);
    LONG left = std::max<LONG>(0, mainRoom - taken);

    // Second pass: place them; the last flexible child takes what rounding left.
    LONG position = view.MainBefore(client);
    for (CControlUI* item : items) {
        if (!Flows(item)) continue;
        RECT padding = item->GetPadding();
        SIZE wanted = item->EstimateSize(available);
        LONG length = view.Main(wanted);
        if (length <= 0) {
            length = flexible > 1 ? left / flexible : left;
            left -= length;
            --flexible;
        }
        length = std::max<LONG>(length, view.MinMain(item));
        LONG crossLength = view.Cross(wanted);
        if (crossLength <= 0) crossLength = crossRoom - view.CrossBefore(padding) - view.CrossAfter(padding);
        crossLength = std::max<LONG>(crossLength, view.MinCross(item));
        position += view.MainBefore(padding);
        LONG cross = view.CrossBefore(client) + view.CrossBefore(padding);
        item->SetPos(view.Make(position, cross, length, std::max<LONG>(0, crossLength)));
        position += length + view.MainAfter(padding) + childPadding;
    }
}

}  // namespace DuiLib
