// Rectangle arithmetic for the capture engine.
#include "capture/ScreenRect.h"

namespace kavlor {

std::optional<int32_t> CheckedSub(int32_t a, int32_t b)
{
    int64_t difference = static_cast<int64_t>(a) - static_cast<int64_t>(b);
    if (difference < INT32_MIN || difference > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int32_t>(difference);
}

std::optional<Size> Extent(const Rect& r)
{
    auto width = CheckedSub(r.right, r.left);
    auto height = CheckedSub(r.bottom, r.top);
    if (!width || !height) {
        return std::nullopt;
    }
    return Size{*width, *height};
}

// A composing desktop counts invisible resize borders into the window's rectangle, and a capture
// of that rectangle carries a strip of whatever lies behind them. The frame it reports instead is
// used only when it is plausible: something odd from it must not cut the window or reach beyond.
Rect VisibleWindowRect(const Rect& windowRect, const std::optional<Rect>& shownFrame)
{
    if (!shownFrame) {
        return windowRect;
    }
    const Rect& f = *shownFrame;
    const bool hasArea = f.left < f.right && f.top < f.bottom;
    const bool inside = f.left >= windowRect.left && f.top >= windowRect.top && f.right <= windowRect.right &&
                        f.bottom <= windowRect.bottom;
    return hasArea && inside ? f : windowRect;
}

}  // namespace kavlor
