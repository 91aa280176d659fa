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

}  // namespace kavlor
