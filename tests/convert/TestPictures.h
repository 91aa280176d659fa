// Pictures and files the codec tests, the fuzz corpus and the benchmark generate: a photo-like
// and a screenshot-like raster, a BMP encoder for every variant the reader takes, and a JPEG
// writer with the options the JPEG reader must handle.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "codec/Raster.h"

namespace kavlor::test {

Raster MakeRaster(int32_t width, int32_t height);
// Smooth shading with fine grain, as a photograph has.
Raster PhotoLike(int32_t width, int32_t height, uint32_t variant = 1);
// Flat areas, one-pixel lines and small coloured text-like strokes, as a screenshot has.
Raster ScreenshotLike(int32_t width, int32_t height);

// An indexed picture: the raster holds the colour of each pixel's index.
struct IndexedPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> indices;                 // row by row from the top
    std::vector<std::array<uint8_t, 3>> palette;  // blue, green, red
    Raster ToRaster() const;
};
// Stretches of index 0, runs, alternating pairs and noise over `colors` colours.
IndexedPicture MakeIndexed(int32_t width, int32_t height, uint32_t colors, uint32_t variant = 1);

enum class BmpHeader { Core, Info, InfoV4, InfoV5 };
enum : uint32_t { kBmpRgb = 0, kBmpRle8 = 1, kBmpRle4 = 2, kBmpBitFields = 3 };
struct BmpFormat {
    BmpHeader header = BmpHeader::Info;
    uint16_t bits = 24;
    uint32_t compression = kBmpRgb;
    std::array<uint32_t, 3> masks{};  // red, green, blue, for kBmpBitFields
    bool topDown = false;
    uint32_t tableColors = 0;  // colour-table entries written; 0 for a full table
    int32_t pixelsPerMetre = 0;
};
// Indexed formats take the picture's indices; the others its colours.
std::vector<uint8_t> EncodeBmp(const IndexedPicture& picture, const BmpFormat& format);
std::vector<uint8_t> EncodeBmp(const Raster& raster, const BmpFormat& format);

// ManyScans: a valid progressive file of 757 scans, one coefficient and one bit each.
enum class JpegKind { Baseline, Progressive, Grey, Restart, Cmyk, Ycck, Subsampled, ManyScans };
std::vector<uint8_t> EncodeTestJpeg(const Raster& raster, JpegKind kind, int quality = 90);

// Peak signal-to-noise ratio of b against a in dB over all channels (same size).
double Psnr(const Raster& a, const Raster& b);

}  // namespace kavlor::test
