// The PNG writer of the codec core: rows in, a PNG file out to a sink.
#pragma once
#include <cstdint>
#include <functional>
#include <span>

#include "codec/Raster.h"

namespace kavlor {

// The picture a PNG file is written of. With no colours, each row holds blue, green and red (and
// with four bytes a pixel one unused byte); with colours (at most 256, 0x00RRGGBB), each row holds
// one index a pixel into them.
struct PngPicture {
    int32_t width = 0;
    int32_t height = 0;
    int bytesPerPixel = 3;  // 3 or 4 without colours, 1 with them
    std::span<const uint32_t> colors;
    int32_t xPixelsPerMetre = 0;  // written as the file's resolution when both are known
    int32_t yPixelsPerMetre = 0;
};

// Gives the row `y` counted from the top; asked for each row once, from the top down. A null
// row stops the writing with Damaged.
using PngRowSource = std::function<const uint8_t*(int32_t y)>;

// Writes the picture as a PNG file: with a palette when it has at most 256 colours (its own, or
// the colours met in its rows in the order met), in 24-bit RGB otherwise, each RGB row filtered by
// the filter that libpng's heuristic chooses, the whole compressed at the end into one zlib
// stream by libdeflate. TooLarge when there is not the memory for the filtered and compressed
// picture, which are held whole.
CodecError EncodePng(const PngPicture& picture, const PngRowSource& rows, const ByteSink& sink);

}  // namespace kavlor
