// Snap: the region selection's modal drag loop and its inverted frame drawn on the display.
#pragma once
#include <windows.h>

#include <optional>

namespace kavlor::Snap {

// Follows the mouse from a left press until the left button is released and returns the
// selected screen rectangle; nothing when the drag was given up (Esc, the mouse capture lost, or
// a button that is up with no release to come). `start` comes in as client coordinates of
// `window` and goes out converted to screen coordinates.
std::optional<RECT> TrackSelectionRect(HWND window, POINT& start);
// Inverts the frame and the size label of `rect` on `hdc`, a DC with its default colours;
// drawing the same rectangle again restores the pixels.
void DrawSelectionFrame(HDC hdc, const RECT& rect);
void NormalizeRect(RECT& rect);
void SwapLong(LONG& a, LONG& b);

}  // namespace kavlor::Snap
