// Reading Windows bitmap files of every kind a Windows program meets into a raster.
#pragma once
#include <cstdint>
#include <optional>
#include <span>

#include "convert/codec/Raster.h"

namespace kavlor {

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
