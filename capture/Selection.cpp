// Geometry of the region selection's frame and size label.
#include "capture/Selection.h"

#include <limits>
#include <utility>

#include "base/Units.h"

namespace kavlor {

// A temporary rather than the XOR trick: the same variable given twice stays intact.
void SwapLong(int32_t& a, int32_t& b)
{
    std::swap(a, b);
}

// Puts the corners in order so that left <= right and top <= bottom; equal values stay.
void NormalizeRect(Rect& r)
{
    if (r.right < r.left) {
        SwapLong(r.right, r.left);
    }
    if (r.bottom < r.top) {
        SwapLong(r.bottom, r.top);
    }
}

// Nothing for a rectangle without pixels (width or height not above zero), and nothing for one
// whose extent does not fit 32 bits, which no screen can show. The strips are one pixel thick:
// the top and bottom rows from left to right - 1, the left and right columns from top to
// bottom - 1, so each corner pixel lies in two strips and comes out inverted twice, i.e.
// unchanged. Every strip starts at its top-left pixel with a positive extent: a fill with a
// negative extent covers x + width + 1 to x (mirrored), one pixel off the half-open range,
// and the frame would stick out of the selection at two corners.
std::optional<SelectionFrameLayout> LayOutSelectionFrame(const Rect& r)
{
    std::optional<Size> size = Extent(r);
    if (!size || size->cx <= 0 || size->cy <= 0) {
        return std::nullopt;
    }
    SelectionFrameLayout layout;
    layout.strips = {{
        {r.left, r.top, size->cx, 1},
        {r.left, r.top, 1, size->cy},
        {r.right - 1, r.top, 1, size->cy},
        {r.left, r.bottom - 1, size->cx, 1},
    }};
    layout.label = SelectionLabel(*size);
    return layout;
}

std::wstring SelectionLabel(Size size)
{
    return std::to_wstring(size.cx) + L"x" + std::to_wstring(size.cy);
}

// The label's centre sits on the rectangle's centre, also when the label is the larger of the
// two and spreads beyond the frame. Half pixels round to the even neighbour.
LabelOrigin CentreLabel(const Rect& r, Size label)
{
    auto centred = [](int32_t low, int32_t high, int32_t extent) {
        double origin = (static_cast<double>(high) + static_cast<double>(low) - static_cast<double>(extent)) / 2.0;
        // Only rectangles at the very ends of the 32-bit range fall outside it.
        return RoundHalfEven(origin).value_or(origin < 0 ? std::numeric_limits<int32_t>::min()
                                                         : std::numeric_limits<int32_t>::max());
    };
    return LabelOrigin{centred(r.left, r.right, label.cx), centred(r.top, r.bottom, label.cy)};
}

}  // namespace kavlor
