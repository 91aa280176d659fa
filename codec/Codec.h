// The two conversions of the codec core: a BMP file to a JPEG file and back, memory to sink.
#pragma once
#include <cstdint>
#include <span>

#include "codec/Raster.h"

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
// The same, written band by band to its place in the file, so that the picture is never held
// whole; with a size to fit as below.
CodecError ConvertJpegToPlacedBmp(std::span<const uint8_t> jpeg, const PlacedSink& sink, int32_t fitWidth,
                                  int32_t fitHeight);
// The same for a preview: the picture decoded at the smallest of 1/8, 1/4, 1/2 and the whole of
// its size that still covers three quarters of fitWidth x fitHeight.
CodecError ConvertJpegToSmallBmp(std::span<const uint8_t> jpeg, const ByteSink& sink, int32_t fitWidth,
                                 int32_t fitHeight);

// Whether the bytes start like a JPEG file (a start-of-image marker and the next marker).
bool LooksLikeJpeg(std::span<const uint8_t> file);
// Reads a JPEG file's headers up to its first scan and gives the picture's size: nothing is
// decoded and no pixel memory taken. TooLarge over PictureSizeAllowed, Damaged when the headers
// are no JPEG's or are cut short.
CodecError ReadJpegSize(std::span<const uint8_t> jpeg, int32_t& width, int32_t& height);
// Decodes a JPEG file into `canvas`, which has the size ReadJpegSize gave (a file that now gives
// another size is damaged), with the same limits and rules for damaged data as the conversion.
// On failure the canvas holds whatever was decoded before the damage was found. A large picture
// is decoded in two parts at once, on two threads: `canvas.Row` must give each row its own memory.
CodecError ReadJpegPixels(std::span<const uint8_t> jpeg, PixelCanvas& canvas);

}  // namespace kavlor
