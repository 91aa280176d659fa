// Fit-to-page arithmetic of the print command.
#include "print/FitToPage.h"

#include <cmath>

#include "base/Units.h"

namespace kavlor {

namespace {

// A length that reached the printer as a finite, positive number.
bool Usable(double value)
{
    return std::isfinite(value) && value > 0;
}

}  // namespace

PageOrientation OrientationFor(int32_t widthHimetric, int32_t heightHimetric)
{
    return heightHimetric >= widthHimetric ? PageOrientation::Portrait : PageOrientation::Landscape;
}

float HimetricFromDeviceX(float pixels, int dpiX)
{
    return static_cast<float>(static_cast<double>(pixels) * kHimetricPerInch / dpiX);
}

float HimetricFromDeviceY(float pixels, int dpiY)
{
    return static_cast<float>(static_cast<double>(pixels) * kHimetricPerInch / dpiY);
}

float DeviceFromHimetricX(float himetric, int dpiX)
{
    return static_cast<float>(static_cast<double>(himetric) * dpiX / kHimetricPerInch);
}

float DeviceFromHimetricY(float himetric, int dpiY)
{
    return static_cast<float>(static_cast<double>(himetric) * dpiY / kHimetricPerInch);
}

// Every quotient and product is checked as it is made: a zero height or width, or a printer
// reporting no resolution, ends the fitting before anything is drawn.
std::optional<PrintedSize> FitPictureToPage(int32_t widthHimetric, int32_t heightHimetric, const PrintableArea& area)
{
    if (widthHimetric <= 0 || heightHimetric <= 0 || area.dpiX <= 0 || area.dpiY <= 0) {
        return std::nullopt;
    }
    double pictureRatio = static_cast<double>(widthHimetric) / heightHimetric;
    double printableWidth = HimetricFromDeviceX(area.width, area.dpiX);
    double printableHeight = HimetricFromDeviceY(area.height, area.dpiY);
    if (!Usable(printableWidth) || !Usable(printableHeight)) {
        return std::nullopt;
    }
    double printerRatio = printableWidth / printableHeight;
    if (!Usable(printerRatio)) {
        return std::nullopt;
    }
    PrintedSize size;
    if (pictureRatio >= printerRatio) {
        auto fittedHeight = static_cast<float>(printableWidth / pictureRatio);
        size.width = DeviceFromHimetricX(static_cast<float>(printableWidth), area.dpiX);
        size.height = DeviceFromHimetricY(fittedHeight, area.dpiY);
    } else {
        auto fittedWidth = static_cast<float>(printableHeight * pictureRatio);
        size.height = DeviceFromHimetricY(static_cast<float>(printableHeight), area.dpiY);
        size.width = DeviceFromHimetricX(fittedWidth, area.dpiX);
    }
    // A picture so thin that one side would round to no pixel at all cannot be drawn either.
    if (!Usable(size.width - 0.5) || !Usable(size.height - 0.5)) {
        return std::nullopt;
    }
    return size;
}

}  // namespace kavlor
