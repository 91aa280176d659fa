// The capture engine: window grabs wrapped as pictures, and screen rectangles via the clipboard.
#pragma once
#include <windows.h>

#include <cstdint>

#include "base/Picture.h"
#include "capture/ScreenRect.h"

namespace kavlor {

// Why a capture gave no picture.
enum class CaptureFailure {
    None,
    NothingToCapture,  // no window, or one without area (a minimised client area, say)
    NoBitmap,          // the bitmap could not be made: out of memory or drawing objects
};
// The picture of a capture, or why there is none.
struct Captured {
    PicturePtr picture;
    CaptureFailure failure = CaptureFailure::None;
};

// Copies WidthSrc x HeightSrc pixels at (LeftSrc, TopSrc) of a window's client area (Client
// true) or of the whole window with its frame (false) into a new picture. On a 256-colour
// palette display the picture also carries a copy of the system palette.
Captured CaptureWindow(HWND hWndSrc, bool Client, int32_t LeftSrc, int32_t TopSrc, int32_t WidthSrc, int32_t HeightSrc);
// Wraps a captured bitmap and its palette (or none) into a picture that owns both.
PicturePtr CreateBitmapPicture(UniqueBitmap hBmp, UniquePalette hPal);

Captured CaptureScreen();
Captured CaptureForm(HWND frmSrc);
Captured CaptureClient(HWND frmSrc);
Captured CaptureActiveWindow();

enum class ClipboardCopy {
    Copied,    // the clipboard holds the new bitmap
    Empty,     // a rectangle without area: nothing was copied, the clipboard is unchanged
    NoBitmap,  // no bitmap of that size could be made; the clipboard is unchanged
    Overflow,  // the rectangle's extent does not fit 32 bits
    NoOwner,   // the application has no active window to own the clipboard
    Busy,      // another program held the clipboard open for longer than kClipboardWaitMs
    Failed,    // the clipboard refused the bitmap
};
// How long the clipboard copy waits for another program to close the clipboard.
inline constexpr unsigned long kClipboardWaitMs = 1000;
// Copies a screen rectangle into a bitmap and puts it on the clipboard.
ClipboardCopy CopyScreenRectToClipboard(const Rect& rect);
// A picture made from a copy of the clipboard's bitmap, or nothing when it holds none.
PicturePtr PictureFromClipboard(HWND owner);

}  // namespace kavlor
