// Previews of the converter: a picture file decoded at about the size of its preview box.
#pragma once
#include <cstdint>
#include <span>

#include "codec/Raster.h"

namespace kavlor {

// The pixels shrunk to at most width x height (never enlarged). Each target pixel averages the
// four source pixels nearest its centre: a preview reads a few rows of a large picture, not all.
Raster ShrinkToFit(const PixelRows& source, int32_t width, int32_t height);

// A BMP or JPEG file as a raster of at most width x height. An uncompressed BMP is read where
// its pixels lie, a JPEG is decoded at a fraction of its size, then the picture is shrunk. Other
// BMPs are decoded keeping only the rows the shrinking samples.
CodecError DecodePreview(std::span<const uint8_t> file, int32_t width, int32_t height, Raster& preview);

}  // namespace kavlor
