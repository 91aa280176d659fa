// Unit conversions between twips, pixels and HIMETRIC.
#include "base/Units.h"

#include <cmath>
#include <limits>

namespace kavlor {

std::optional<int32_t> RoundHalfEven(double value)
{
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    double whole = std::floor(value);
    double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) {
        whole += 1.0;
    }
    if (whole < static_cast<double>(std::numeric_limits<int32_t>::min()) ||
        whole > static_cast<double>(std::numeric_limits<int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<int32_t>(whole);
}

double TwipsPerPixel(int dpi)
{
    return kTwipsPerInch / (dpi > 0 ? dpi : 96);
}

int32_t PixelsFromTwips(double twips, int dpi)
{
    return RoundHalfEven(twips / TwipsPerPixel(dpi)).value_or(0);
}

double TwipsFromPixels(int32_t pixels, int dpi)
{
    return pixels * TwipsPerPixel(dpi);
}

// Divided as they are: rounding the twips per pixel first (7.5 at 192 dpi becomes 8) would cut
// the screen short wherever the display's dpi does not divide 1440.
int32_t ScreenPixelsFromTwips(double screenTwips, double twipsPerPixel)
{
    return twipsPerPixel > 0 ? RoundHalfEven(screenTwips / twipsPerPixel).value_or(0) : 0;
}

int32_t HimetricFromPixels(int32_t pixels, int dpi)
{
    return RoundHalfEven(pixels * kHimetricPerInch / (dpi > 0 ? dpi : 96)).value_or(0);
}

}  // namespace kavlor
