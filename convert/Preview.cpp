// Previews of the converter, decoded small.
#include "convert/Preview.h"

#include <algorithm>
#include <vector>

#include "codec/Bmp.h"
#include "codec/Codec.h"

namespace kavlor {

namespace {

// The source row that target row y of `targets` samples first; the row below it is the second.
int64_t SampledRow(int32_t y, int32_t sources, int32_t targets)
{
    return (2 * static_cast<int64_t>(y) + 1) * sources / (2 * static_cast<int64_t>(targets));
}

// Shrinks a picture whose rows rowOf(y) gives, `bytesPerPixel` bytes a pixel.
template <typename RowOf>
Raster Shrink(int32_t sourceWidth, int32_t sourceHeight, int bytesPerPixel, RowOf rowOf, int32_t width, int32_t height)
{
    Raster target;
    target.width = std::min(width, sourceWidth);
    target.height = std::min(height, sourceHeight);
    target.stride = (static_cast<uint32_t>(target.width) * 3 + 3) & ~3u;
    target.pixels.resize(static_cast<size_t>(target.stride) * static_cast<size_t>(target.height));
    for (int32_t y = 0; y < target.height; ++y) {
        const int64_t sy = SampledRow(y, sourceHeight, target.height);
        const uint8_t* upper = rowOf(sy);
        const uint8_t* lower = rowOf(std::min<int64_t>(sy + 1, sourceHeight - 1));
        uint8_t* out = target.Row(y);
        for (int32_t x = 0; x < target.width; ++x) {
            const int64_t sx = SampledRow(x, sourceWidth, target.width) * bytesPerPixel;
            const int64_t sx2 = std::min<int64_t>(sx + bytesPerPixel, int64_t{sourceWidth - 1} * bytesPerPixel);
            for (int c = 0; c < 3; ++c) {
                out[x * 3 + c] =
                    static_cast<uint8_t>((upper[sx + c] + upper[sx2 + c] + lower[sx + c] + lower[sx2 + c] + 2) / 4);
            }
        }
    }
    return target;
}

// Keeps only the rows that shrinking to `height` rows samples; all others share one scratch row.
// A preview of a large compressed picture so needs a few hundred rows of memory, not the picture.
class SampledRows : public PixelCanvas {
public:
    SampledRows(const BmpSize& size, int32_t height)
        : PixelCanvas(3, size.width, size.height), m_slot(static_cast<size_t>(size.height), 0)
    {
        const int32_t targets = std::min(height, size.height);
        for (int32_t y = 0; y < targets; ++y) {
            const int64_t sy = SampledRow(y, size.height, targets);
            for (int64_t row : {sy, std::min<int64_t>(sy + 1, size.height - 1)}) {
                if (m_slot[static_cast<size_t>(row)] == 0) {
                    m_slot[static_cast<size_t>(row)] = ++m_kept;
                }
            }
        }
        m_rowBytes = static_cast<size_t>(size.width) * 3;
        m_rows.resize(m_rowBytes * (m_kept + 1));
    }
    // Slot 0 is the scratch row.
    uint8_t* Row(int32_t y) override { return m_rows.data() + m_rowBytes * m_slot[static_cast<size_t>(y)]; }

private:
    std::vector<uint32_t> m_slot;
    uint32_t m_kept = 0;
    size_t m_rowBytes = 0;
    std::vector<uint8_t> m_rows;
};

}  // namespace

Raster ShrinkToFit(const PixelRows& source, int32_t width, int32_t height)
{
    return Shrink(
        source.width, source.height, source.bytesPerPixel,
        [&source](int64_t y) { return source.top + static_cast<ptrdiff_t>(y) * source.step; }, width, height);
}

CodecError DecodePreview(std::span<const uint8_t> file, int32_t width, int32_t height, Raster& preview)
{
    if (std::optional<PixelRows> rows = BmpRowsInPlace(file)) {
        preview = ShrinkToFit(*rows, width, height);
        return CodecError::None;
    }
    if (file.size() >= 2 && file[0] == 0xFF && file[1] == 0xD8) {
        std::vector<uint8_t> bmp;
        const ByteSink collect = [&bmp](const uint8_t* data, size_t bytes) {
            bmp.insert(bmp.end(), data, data + bytes);
            return true;
        };
        if (CodecError error = ConvertJpegToSmallBmp(file, collect, width, height); error != CodecError::None) {
            return error;
        }
        return DecodePreview(bmp, width, height, preview);  // a BMP, so no further round
    }
    BmpSize size;
    if (CodecError error = ReadBmpSize(file, size); error != CodecError::None) {
        return error;
    }
    SampledRows rows(size, height);
    if (CodecError error = ReadBmpPixels(file, rows); error != CodecError::None) {
        return error;
    }
    preview = Shrink(
        size.width, size.height, 3, [&rows](int64_t y) { return rows.Row(static_cast<int32_t>(y)); }, width, height);
    return CodecError::None;
}

}  // namespace kavlor
