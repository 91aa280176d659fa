// Main window resize rule.
#include "app/Layout.h"

#include "base/Units.h"

namespace kavlor {

ResizeAction DecideResize(bool minimized, double outerWidthTwips, double outerHeightTwips)
{
    if (minimized) {
        return ResizeAction::None;
    }
    if (static_cast<float>(outerWidthTwips) < static_cast<float>(kMinOuterTwips)) {
        return ResizeAction::SnapWidth;
    }
    if (static_cast<float>(outerHeightTwips) < static_cast<float>(kMinOuterTwips)) {
        return ResizeAction::SnapHeight;
    }
    return ResizeAction::LayOut;
}

PictureBoxPlacement PlacePictureBox(int clientWidth, int clientHeight, int toolbarHeight)
{
    return {0, toolbarHeight, clientWidth, clientHeight};
}

// The pictures are 32 pixels at 96 dpi and drawn again at 1.5x and 2x. The display's scale is
// rounded up to the next drawn size (96 and below: 32; up to 144: 48; above: 64), so a picture
// is never smaller than the text set beside it, and a second size is never made by stretching.
int ToolPictureSize(int dpi)
{
    if (dpi <= 96) {
        return 32;
    }
    return dpi <= 144 ? 48 : 64;
}

// The twips scale with the display; the picture, rounded up to a drawn size, can be larger than
// the scaled design (48 instead of 40 pixels at 120 dpi), and the button grows by as much so that
// the caption under it keeps its room.
ToolButtonSize SizeToolButton(int dpi, double widthTwips, double heightTwips)
{
    constexpr double kDesignPictureTwips = 32 * 15;
    int extra = ToolPictureSize(dpi) - PixelsFromTwips(kDesignPictureTwips, dpi);
    return {PixelsFromTwips(widthTwips, dpi) + extra, PixelsFromTwips(heightTwips, dpi) + extra};
}

}  // namespace kavlor
