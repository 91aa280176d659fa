// Twips, pixels and HIMETRIC, and the rounding the program uses to go between them.
#pragma once
#include <cstdint>
#include <optional>

namespace kavlor {

inline constexpr double kTwipsPerInch = 1440.0;
inline constexpr double kHimetricPerInch = 2540.0;

// Rounds to the nearest integer, ties to the even neighbour (2.5 -> 2, 3.5 -> 4).
// Values outside the 32-bit range give nothing.
std::optional<int32_t> RoundHalfEven(double value);

// Twips per pixel for a display of `dpi` logical pixels per inch (15 at 96, 12 at 120).
double TwipsPerPixel(int dpi);
// A length in twips as a whole number of pixels, rounded ties-to-even.
int32_t PixelsFromTwips(double twips, int dpi);
double TwipsFromPixels(int32_t pixels, int dpi);

// Screen size in pixels from its size in twips: exactly the screen's pixels at every dpi.
int32_t ScreenPixelsFromTwips(double screenTwips, double twipsPerPixel);

// Size of a bitmap in HIMETRIC (hundredths of a millimetre) on a display of `dpi`.
int32_t HimetricFromPixels(int32_t pixels, int dpi);

}  // namespace kavlor
