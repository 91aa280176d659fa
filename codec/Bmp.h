// Reading Windows bitmap files of every kind a Windows program meets into a raster.
#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "codec/Raster.h"

namespace kavlor {

// What a BMP file's header says of its picture.
struct BmpSize {
    int32_t width = 0;
    int32_t height = 0;
    int32_t xPixelsPerMetre = 0;  // 0 when unknown
    int32_t yPixelsPerMetre = 0;
};

// Checks a BMP file's headers and colour table, and that an uncompressed file holds all its
// pixels, and gives the picture's size: everything but the pixels, before their memory is taken.
CodecError ReadBmpSize(std::span<const uint8_t> file, BmpSize& size);

// Decodes a BMP file's pixels into `canvas`, which has the size ReadBmpSize gave; a file that now
// gives another size is damaged. On failure the canvas holds whatever was decoded before the
// damage was found.
CodecError ReadBmpPixels(std::span<const uint8_t> file, PixelCanvas& canvas);

// Decodes a whole BMP file. Every field is checked against the file's size before it is used,
// and the picture size against PictureSizeAllowed before any pixel memory is taken. On failure
// `raster` is left empty.
CodecError ReadBmp(std::span<const uint8_t> file, Raster& raster);

// The pixels of an uncompressed 24-bit file, or 32-bit file in the usual layout, where they lie in
// the file: such files need no decoding. Nothing for any other file, valid or not.
std::optional<PixelRows> BmpRowsInPlace(std::span<const uint8_t> file);

// Whether the bytes start like a BMP file.
bool LooksLikeBmp(std::span<const uint8_t> file);

}  // namespace kavlor
