// The picture: one bitmap in the screen's format (a device-dependent bitmap, or a DIB section of
// the screen's own pixel format) and an optional palette, owned and deleted together.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "base/Handles.h"

namespace kavlor {

class Picture {
public:
    // Takes ownership of both handles. Gives no picture (and deletes what it was given) when
    // there is no bitmap.
    static std::shared_ptr<Picture> Create(UniqueBitmap bitmap, UniquePalette palette);

    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    HBITMAP Bitmap() const { return m_bitmap.get(); }
    HPALETTE Palette() const { return m_palette.get(); }
    // The bitmap handle as a 32-bit integer, as shown to the user after a full-screen capture.
    int32_t Handle() const;
    SIZE SizePixels() const { return m_size; }
    // Natural size in HIMETRIC, measured against the screen's logical pixels per inch.
    SIZE SizeHimetric() const;

    // Draws the picture unscaled with its top-left corner at (x, y), realising its palette.
    void Draw(HDC hdc, int x, int y) const;

private:
    Picture(UniqueBitmap bitmap, UniquePalette palette, SIZE size);

    UniqueBitmap m_bitmap;
    UniquePalette m_palette;
    SIZE m_size;
};

using PicturePtr = std::shared_ptr<Picture>;

}  // namespace kavlor
