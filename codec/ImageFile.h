// Arithmetic of image files: the size limit for pictures read from files, and the layout and
// headers of the BMP files that the save command and conversion.dll write.
#pragma once
#include <array>
#include <cstdint>
#include <optional>

namespace kavlor {

inline constexpr uint32_t kMaxPictureSide = 32767;
inline constexpr uint64_t kMaxPicturePixels = 100'000'000;

// Whether a picture of this size may be read from a file: at least one pixel, at most 32,767
// pixels a side and 100 megapixels in all. Checked before any pixel memory is taken.
bool PictureSizeAllowed(uint64_t width, uint64_t height);

// Where everything lies in a bottom-up, uncompressed BMP file.
struct BmpLayout {
    uint32_t stride = 0;  // bytes per pixel row, padded to four bytes
    uint32_t imageBytes = 0;
    uint32_t colorCount = 0;   // colour-table entries: 2, 16 or 256 up to 8 bits, else 0
    uint32_t pixelOffset = 0;  // headers plus colour table
    uint32_t fileBytes = 0;
    bool operator==(const BmpLayout&) const = default;
};

inline constexpr uint32_t kBmpFileHeaderBytes = 14;
inline constexpr uint32_t kBmpInfoHeaderBytes = 40;

// Layout of a width x height BMP of 1, 4, 8, 16, 24 or 32 bits per pixel; nothing for another
// depth, an empty size, or a file that would not fit the format's 32-bit sizes.
std::optional<BmpLayout> PlanBmp(int32_t width, int32_t height, uint16_t bitCount);

// The file header and the information header (54 bytes, little-endian) of that layout.
std::array<uint8_t, kBmpFileHeaderBytes + kBmpInfoHeaderBytes> BmpHeaders(const BmpLayout& layout, int32_t width,
                                                                          int32_t height, uint16_t bitCount,
                                                                          int32_t pixelsPerMetre);

// Resolution for the BMP header from dots per inch, rounded to the nearest whole number.
int32_t PixelsPerMetre(int dpi);

}  // namespace kavlor
