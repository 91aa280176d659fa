// Geometry of the region selection: rectangle normalising, the inverted frame's four strips and
// the centred "WxH" size label.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "capture/ScreenRect.h"

namespace kavlor {

void SwapLong(int32_t& a, int32_t& b);
void NormalizeRect(Rect& r);

// One pattern-fill strip of the frame: top-left corner and a positive extent.
struct FrameStrip {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// What DrawSelectionFrame inverts for one rectangle, apart from the label's pixel position,
// which needs the label's size in the current font.
struct SelectionFrameLayout {
    std::array<FrameStrip, 4> strips;  // top, left, right, bottom edge, in drawing order
    std::wstring label;                // "320x240"
};

std::optional<SelectionFrameLayout> LayOutSelectionFrame(const Rect& r);
std::wstring SelectionLabel(Size size);

struct LabelOrigin {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const LabelOrigin&) const = default;
};
LabelOrigin CentreLabel(const Rect& r, Size label);

}  // namespace kavlor
