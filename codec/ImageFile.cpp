// Image file arithmetic: size limit, BMP layout and headers.
#include "codec/ImageFile.h"

#include <limits>

namespace kavlor {

bool PictureSizeAllowed(uint64_t width, uint64_t height)
{
    return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

std::optional<BmpLayout> PlanBmp(int32_t width, int32_t height, uint16_t bitCount)
{
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: break;
    default: return std::nullopt;
    }
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    constexpr uint64_t kLimit = std::numeric_limits<uint32_t>::max();
    uint64_t stride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
    uint64_t imageBytes = stride * static_cast<uint64_t>(height);
    uint64_t colorCount = bitCount <= 8 ? (uint64_t{1} << bitCount) : 0;
    uint64_t pixelOffset = kBmpFileHeaderBytes + kBmpInfoHeaderBytes + colorCount * 4;
    uint64_t fileBytes = pixelOffset + imageBytes;
    if (fileBytes > kLimit) {
        return std::nullopt;
    }
    return BmpLayout{static_cast<uint32_t>(stride), static_cast<uint32_t>(imageBytes),
                     static_cast<uint32_t>(colorCount), static_cast<uint32_t>(pixelOffset),
                     static_cast<uint32_t>(fileBytes)};
}

namespace {

template <size_t N>
void Put(std::array<uint8_t, N>& bytes, size_t at, uint32_t value, int count)
{
    for (int i = 0; i < count; ++i) {
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

}  // namespace

std::array<uint8_t, kBmpFileHeaderBytes + kBmpInfoHeaderBytes> BmpHeaders(const BmpLayout& layout, int32_t width,
                                                                          int32_t height, uint16_t bitCount,
                                                                          int32_t pixelsPerMetre)
{
    std::array<uint8_t, kBmpFileHeaderBytes + kBmpInfoHeaderBytes> h{};
    h[0] = 'B';
    h[1] = 'M';
    Put(h, 2, layout.fileBytes, 4);
    Put(h, 10, layout.pixelOffset, 4);
    Put(h, 14, kBmpInfoHeaderBytes, 4);
    Put(h, 18, static_cast<uint32_t>(width), 4);
    Put(h, 22, static_cast<uint32_t>(height), 4);  // positive: rows run from the bottom up
    Put(h, 26, 1, 2);                              // planes
    Put(h, 28, bitCount, 2);
    Put(h, 30, 0, 4);  // uncompressed
    Put(h, 34, layout.imageBytes, 4);
    Put(h, 38, static_cast<uint32_t>(pixelsPerMetre), 4);
    Put(h, 42, static_cast<uint32_t>(pixelsPerMetre), 4);
    Put(h, 46, layout.colorCount, 4);
    Put(h, 50, 0, 4);  // every colour matters
    return h;
}

int32_t PixelsPerMetre(int dpi)
{
    return dpi <= 0 ? 0 : static_cast<int32_t>((static_cast<int64_t>(dpi) * 10000 + 127) / 254);
}

}  // namespace kavlor
