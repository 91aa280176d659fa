// Main window resize rule.
#include "app/Layout.h"

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

}  // namespace kavlor
