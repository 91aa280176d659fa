// The picture type of the codec core, how a conversion step ends, and where output bytes go.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace kavlor {

enum class CodecError {
    None,
    Damaged,      // not a picture of the expected format, or truncated or inconsistent contents
    TooLarge,     // over the picture size limit, or more memory than the system gives
    WriteFailed,  // the output refused bytes
};

// Rows of pixels in memory, read only: blue, green, red and, with four bytes a pixel, one unused
// byte. A raster, or the pixel area of an uncompressed BMP file used where it lies.
struct PixelRows {
    int32_t width = 0;
    int32_t height = 0;
    int bytesPerPixel = 3;
    const uint8_t* top = nullptr;  // the top row
    ptrdiff_t step = 0;            // from a row to the one below it; negative for bottom-up files
    int32_t xPixelsPerMetre = 0;
    int32_t yPixelsPerMetre = 0;
};

// A decoded picture: blue, green, red bytes per pixel, rows from the top down, each row padded
// to four bytes. This is the layout of a top-down 24-bit DIB, so a raster can be handed to GDI
// as it is.
struct Raster {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t stride = 0;
    int32_t xPixelsPerMetre = 0;  // resolution, 0 when unknown
    int32_t yPixelsPerMetre = 0;
    std::vector<uint8_t> pixels;

    uint8_t* Row(int32_t y) { return pixels.data() + static_cast<size_t>(stride) * static_cast<size_t>(y); }
    const uint8_t* Row(int32_t y) const { return pixels.data() + static_cast<size_t>(stride) * static_cast<size_t>(y); }
    PixelRows Rows() const
    {
        return {width, height, 3, pixels.data(), static_cast<ptrdiff_t>(stride), xPixelsPerMetre, yPixelsPerMetre};
    }
};

// Where a decoder writes a picture's rows, in memory its caller owns: blue, green, red and, with
// four bytes a pixel, a fourth byte of 0. The decoder writes every pixel of each row. A canvas
// that keeps only some rows may hand out one scratch row for all the others.
class PixelCanvas {
public:
    PixelCanvas(int bytesPerPixel, int32_t width, int32_t height)
        : bytesPerPixel(bytesPerPixel), width(width), height(height)
    {
    }
    virtual ~PixelCanvas() = default;
    PixelCanvas(const PixelCanvas&) = delete;
    PixelCanvas& operator=(const PixelCanvas&) = delete;

    virtual uint8_t* Row(int32_t y) = 0;  // y counted from the top

    const int bytesPerPixel;  // 3 or 4
    // The size that was checked: a reader whose file now gives another size reports damage.
    const int32_t width;
    const int32_t height;
};

// A raster's rows as a decoder's canvas, three bytes a pixel.
class RasterCanvas : public PixelCanvas {
public:
    explicit RasterCanvas(Raster& raster) : PixelCanvas(3, raster.width, raster.height), m_raster(raster) {}
    uint8_t* Row(int32_t y) override { return m_raster.Row(y); }

private:
    Raster& m_raster;
};

// Receives output bytes in order; returning false stops the conversion with WriteFailed.
using ByteSink = std::function<bool(const uint8_t* data, size_t bytes)>;
// Receives output bytes at their place from the start of the file, in any order; returning
// false stops the conversion with WriteFailed.
using PlacedSink = std::function<bool(size_t at, const uint8_t* data, size_t bytes)>;

}  // namespace kavlor
