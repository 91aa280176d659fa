// The two conversions of the codec core: a BMP file to a JPEG file and back, memory to sink.
#pragma once
#include <cstdint>
#include <span>

#include "convert/codec/Raster.h"

namespace kavlor {

// Quality of the JPEG files written; with 4:4:4 sampling screenshots keep their coloured text.
inline constexpr int kJpegQuality = 90;

// Writes the pixels as a baseline JPEG (JFIF, 4:4:4, kJpegQuality) with their resolution.
CodecError EncodeJpeg(const PixelRows& rows, const ByteSink& sink);

// A BMP file of any supported kind to a JPEG file.
CodecError ConvertBmpToJpeg(std::span<const uint8_t> bmp, const ByteSink& sink);

// A JPEG file (baseline, progressive, greyscale, CMYK or YCCK) to a bottom-up BMP file: 24 bits,
// or 8 bits with a grey colour table for a greyscale JPEG.
CodecError ConvertJpegToBmp(std::span<const uint8_t> jpeg, const ByteSink& sink);
// The same for a preview: the picture decoded at the smallest of 1/8, 1/4, 1/2 and the whole of
// its size that still covers three quarters of fitWidth x fitHeight.
CodecError ConvertJpegToSmallBmp(std::span<const uint8_t> jpeg, const ByteSink& sink, int32_t fitWidth,
                                 int32_t fitHeight);

}  // namespace kavlor
