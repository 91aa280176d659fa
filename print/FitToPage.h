// The fit-to-page arithmetic of the print command: the page orientation that follows the
// picture's shape, and the largest size of the picture that fits the printable area.
#pragma once
#include <cstdint>
#include <optional>

namespace kavlor {

// The printer's orientation codes.
enum class PageOrientation : int16_t { Portrait = 1, Landscape = 2 };

// Portrait for a picture at least as high as it is wide (a square one too), else landscape.
PageOrientation OrientationFor(int32_t widthHimetric, int32_t heightHimetric);

// The printable area as the printer reports it: its size in device pixels and the pixels per
// inch across and down, which may differ.
struct PrintableArea {
    float width = 0;
    float height = 0;
    int dpiX = 0;
    int dpiY = 0;
};

// Lengths between the printer's device pixels and HIMETRIC, single precision, across (X) and
// down (Y).
float HimetricFromDeviceX(float pixels, int dpiX);
float HimetricFromDeviceY(float pixels, int dpiY);
float DeviceFromHimetricX(float himetric, int dpiX);
float DeviceFromHimetricY(float himetric, int dpiY);

// Size in device pixels at which the picture is drawn, from (0, 0) of the printable area.
struct PrintedSize {
    double width = 0;
    double height = 0;
    bool operator==(const PrintedSize&) const = default;
};

// The largest size with the picture's proportions that fits the area: the full printable
// width when the picture is relatively wider than the area (or exactly as wide), else the
// full printable height. The ratios are compared in HIMETRIC, so the printed picture keeps its
// physical proportions on printers whose two resolutions differ. Nothing for an empty picture
// or area, where the arithmetic overflows, or where a side would be under one pixel.
std::optional<PrintedSize> FitPictureToPage(int32_t widthHimetric, int32_t heightHimetric, const PrintableArea& area);

}  // namespace kavlor
