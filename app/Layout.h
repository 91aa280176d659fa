// The main window's resize rule, as a decision on plain numbers.
#pragma once

namespace kavlor {

// Smallest outer width and height of the main window, in twips (112 pixels at 96 dpi).
inline constexpr double kMinOuterTwips = 1680.0;

enum class ResizeAction {
    None,        // minimised: leave everything as it is
    SnapWidth,   // set the outer width to the minimum; the resize this causes runs the rule again
    SnapHeight,  // the same for the height
    LayOut,      // place the picture box
};

// The outer size is compared as single-precision twips, strictly: exactly the minimum passes.
ResizeAction DecideResize(bool minimized, double outerWidthTwips, double outerHeightTwips);

struct PictureBoxPlacement {
    int left;
    int top;
    int width;
    int height;
};

// The picture box starts under the tool bar and is as high as the whole client area: it runs
// on below the visible area by the tool bar's height, under the status bar.
PictureBoxPlacement PlacePictureBox(int clientWidth, int clientHeight, int toolbarHeight);

// Side in pixels of the tool bar pictures for a display of `dpi`: 32, 48 or 64, the sizes the
// pictures are drawn at.
int ToolPictureSize(int dpi);

struct ToolButtonSize {
    int width;
    int height;
};

// Pixel size of a tool bar button designed as widthTwips x heightTwips around a 32-pixel picture
// at 96 dpi, on a display of `dpi`.
ToolButtonSize SizeToolButton(int dpi, double widthTwips, double heightTwips);

}  // namespace kavlor
