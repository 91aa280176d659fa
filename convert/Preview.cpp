// Previews of the converter, decoded small.
#include "convert/Preview.h"

#include <algorithm>
#include <vector>

#include "convert/codec/Bmp.h"
#include "convert/codec/Codec.h"

namespace kavlor {

Raster ShrinkToFit(const PixelRows& source, int32_t width, int32_t height)
{
    Raster target;
    target.width = std::min(width, source.width);
    target.height = std::min(height, source.height);
    target.stride = (static_cast<uint32_t>(target.width) * 3 + 3) & ~3u;
    target.pixels.resize(static_cast<size_t>(target.stride) * static_cast<size_t>(target.height));
    auto pixel = [&source](int64_t x, int64_t y) {
        return source.top + static_cast<ptrdiff_t>(y) * source.step + static_cast<ptrdiff_t>(x) * source.bytesPerPixel;
    };
    for (int32_t y = 0; y < target.height; ++y) {
        const int64_t sy = (2 * static_cast<int64_t>(y) + 1) * source.height / (2 * target.height);
        const int64_t sy2 = std::min<int64_t>(sy + 1, source.height - 1);
        uint8_t* out = target.Row(y);
        for (int32_t x = 0; x < target.width; ++x) {
            const int64_t sx = (2 * static_cast<int64_t>(x) + 1) * source.width / (2 * target.width);
            const int64_t sx2 = std::min<int64_t>(sx + 1, source.width - 1);
            const uint8_t* near[4] = {pixel(sx, sy), pixel(sx2, sy), pixel(sx, sy2), pixel(sx2, sy2)};
            for (int c = 0; c < 3; ++c) {
                out[x * 3 + c] = static_cast<uint8_t>((near[0][c] + near[1][c] + near[2][c] + near[3][c] + 2) / 4);
            }
        }
    }
    return target;
}

CodecError DecodePreview(std::span<const uint8_t> file, int32_t width, int32_t height, Raster& preview)
{
    if (std::optional<PixelRows> rows = BmpRowsInPlace(file)) {
        preview = ShrinkToFit(*rows, width, height);
        return CodecError::None;
    }
    Raster full;
    if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xD8) {
        std::vector<uint8_t> bmp;
        const ByteSink collect = [&bmp](const uint8_t* data, size_t bytes) {
            bmp.insert(bmp.end(), data, data + bytes);
            return true;
        };
        if (CodecError error = ConvertJpegToSmallBmp(file, collect, width, height); error != CodecError::None) {
            return error;
        }
        if (CodecError error = ReadBmp(bmp, full); error != CodecError::None) {
            return error;
        }
    } else if (CodecError error = ReadBmp(file, full); error != CodecError::None) {
        return error;
    }
    preview = ShrinkToFit(full.Rows(), width, height);
    return CodecError::None;
}

}  // namespace kavlor
