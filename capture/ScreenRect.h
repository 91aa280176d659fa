// Screen rectangles (right and bottom exclusive) and overflow-safe extents.
#pragma once
#include <cstdint>
#include <optional>

namespace kavlor {

// Same layout as the platform RECT; the Win32 half checks that with a static_assert.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const Rect&) const = default;
};

struct Size {
    int32_t cx = 0;
    int32_t cy = 0;
    bool operator==(const Size&) const = default;
};

// a - b, or nothing when the difference does not fit 32 bits.
std::optional<int32_t> CheckedSub(int32_t a, int32_t b);
// Width and height of a rectangle, or nothing when either subtraction would overflow.
std::optional<Size> Extent(const Rect& r);

// What a capture of a whole window takes: the frame the compositor shows, when it reported one
// with an area inside the window's rectangle, else the window's rectangle itself.
Rect VisibleWindowRect(const Rect& windowRect, const std::optional<Rect>& shownFrame);

}  // namespace kavlor
