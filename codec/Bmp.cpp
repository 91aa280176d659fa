// BMP reading: core (OS/2 1.x) and information headers of versions 3 to 5; 1, 4 and 8 bits
// with colour tables, RLE4 and RLE8, 16 and 32 bits with or without bit fields, 24 bits.
#include "codec/Bmp.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

#include "codec/ImageFile.h"

namespace kavlor {

namespace {

constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kAlphaBitFields = 6;

uint16_t U16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t U32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

struct Header {
    uint32_t headerBytes = 0;
    int64_t width = 0;
    int64_t height = 0;  // always positive here; topDown says which way the rows run
    bool topDown = false;
    uint16_t bitCount = 0;
    uint32_t compression = kRgb;
    uint32_t imageBytes = 0;
    int32_t xPixelsPerMetre = 0;
    int32_t yPixelsPerMetre = 0;
    uint32_t colorsUsed = 0;
    std::array<uint32_t, 3> masks{};  // red, green, blue
    uint64_t tableOffset = 0;         // where the colour table starts
    uint32_t pixelOffset = 0;
};

// One colour channel of a bit-field pixel, scaled to eight bits.
class Channel {
public:
    bool Set(uint32_t mask)
    {
        m_mask = mask;
        if (mask == 0) {
            return true;
        }
        m_shift = std::countr_zero(mask);
        m_bits = std::popcount(mask);
        if (((mask >> m_shift) & ((mask >> m_shift) + 1)) != 0) {
            return false;  // the bits of a channel must be contiguous
        }
        if (m_bits <= 8) {
            const uint32_t top = (uint32_t{1} << m_bits) - 1;
            for (uint32_t v = 0; v <= top; ++v) {
                m_scale[v] = static_cast<uint8_t>((v * 255 + top / 2) / top);
            }
        }
        return true;
    }
    uint8_t operator()(uint32_t pixel) const
    {
        if (m_mask == 0) {
            return 0;
        }
        const uint32_t v = (pixel & m_mask) >> m_shift;
        return m_bits <= 8 ? m_scale[v] : static_cast<uint8_t>(v >> (m_bits - 8));
    }

private:
    uint32_t m_mask = 0;
    int m_shift = 0;
    int m_bits = 0;
    std::array<uint8_t, 256> m_scale{};
};

// The picture's colours as blue, green, red; an index at or past `count` has no colour.
struct Palette {
    std::array<std::array<uint8_t, 3>, 256> colors{};
    uint32_t count = 0;
};

CodecError ParseHeader(std::span<const uint8_t> file, Header& h)
{
    const uint64_t size = file.size();
    if (size < kBmpFileHeaderBytes + 4 || !LooksLikeBmp(file)) {
        return CodecError::Damaged;
    }
    h.pixelOffset = U32(&file[10]);
    h.headerBytes = U32(&file[14]);
    const uint8_t* p = &file[kBmpFileHeaderBytes];
    switch (h.headerBytes) {
    case kCoreHeaderBytes:
    case 40:
    case 52:
    case 56:
    case 108:
    case 124: break;
    default: return CodecError::Damaged;  // OS/2 2.x and unknown headers
    }
    if (size < kBmpFileHeaderBytes + uint64_t{h.headerBytes}) {
        return CodecError::Damaged;
    }
    if (h.headerBytes == kCoreHeaderBytes) {
        h.width = U16(p + 4);
        h.height = U16(p + 6);
        if (U16(p + 8) != 1) {
            return CodecError::Damaged;
        }
        h.bitCount = U16(p + 10);
        if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 24) {
            return CodecError::Damaged;
        }
    } else {
        h.width = static_cast<int32_t>(U32(p + 4));
        const int64_t height = static_cast<int32_t>(U32(p + 8));
        h.topDown = height < 0;
        h.height = height < 0 ? -height : height;
        if (U16(p + 12) != 1) {
            return CodecError::Damaged;
        }
        h.bitCount = U16(p + 14);
        h.compression = U32(p + 16);
        h.imageBytes = U32(p + 20);
        h.xPixelsPerMetre = std::max(0, static_cast<int32_t>(U32(p + 24)));
        h.yPixelsPerMetre = std::max(0, static_cast<int32_t>(U32(p + 28)));
        h.colorsUsed = U32(p + 32);
    }
    h.tableOffset = kBmpFileHeaderBytes + uint64_t{h.headerBytes};

    switch (h.compression) {
    case kRgb:
        if (h.bitCount != 1 && h.bitCount != 4 && h.bitCount != 8 && h.bitCount != 16 && h.bitCount != 24 &&
            h.bitCount != 32) {
            return CodecError::Damaged;
        }
        if (h.bitCount == 16) {
            h.masks = {0x7C00, 0x03E0, 0x001F};
        } else if (h.bitCount == 32) {
            h.masks = {0xFF0000, 0x00FF00, 0x0000FF};
        }
        break;
    case kRle8:
    case kRle4:
        if (h.bitCount != (h.compression == kRle8 ? 8 : 4)) {
            return CodecError::Damaged;
        }
        break;
    case kBitFields:
    case kAlphaBitFields: {
        if (h.bitCount != 16 && h.bitCount != 32) {
            return CodecError::Damaged;
        }
        // A version 3 header is followed by the masks; later versions hold them.
        const uint64_t masksAt = h.headerBytes == 40 ? h.tableOffset : kBmpFileHeaderBytes + 40;
        if (h.headerBytes == 40) {
            h.tableOffset += h.compression == kAlphaBitFields ? 16 : 12;
        }
        if (masksAt + 12 > size) {
            return CodecError::Damaged;
        }
        h.masks = {U32(&file[masksAt]), U32(&file[masksAt + 4]), U32(&file[masksAt + 8])};
        const uint32_t limit = h.bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        if ((h.masks[0] | h.masks[1] | h.masks[2]) > limit || (h.masks[0] & h.masks[1]) != 0 ||
            (h.masks[0] & h.masks[2]) != 0 || (h.masks[1] & h.masks[2]) != 0) {
            return CodecError::Damaged;
        }
        break;
    }
    default: return CodecError::Damaged;  // embedded JPEG or PNG, or no known compression
    }
    if (h.width == 0 || h.height == 0 || h.width < 0) {
        return CodecError::Damaged;
    }
    if (!PictureSizeAllowed(static_cast<uint64_t>(h.width), static_cast<uint64_t>(h.height))) {
        return CodecError::TooLarge;
    }
    // The pixels start after the headers and inside the file.
    if (h.pixelOffset < h.tableOffset || h.pixelOffset >= size) {
        return CodecError::Damaged;
    }
    return CodecError::None;
}

uint64_t FileStride(const Header& h)
{
    return (static_cast<uint64_t>(h.width) * h.bitCount + 31) / 32 * 4;
}

CodecError ReadPalette(std::span<const uint8_t> file, const Header& h, Palette& palette)
{
    if (h.bitCount > 8) {
        return CodecError::None;  // a table beside true-colour pixels only suggests a palette
    }
    const uint32_t full = uint32_t{1} << h.bitCount;
    const uint32_t entryBytes = h.headerBytes == kCoreHeaderBytes ? 3 : 4;
    // The table ends where the pixels start at the latest. Core headers give no count: theirs
    // fills that room. An index past the table's end makes the pixels damaged.
    uint64_t count = std::min<uint64_t>(full, (h.pixelOffset - h.tableOffset) / entryBytes);
    if (h.headerBytes != kCoreHeaderBytes && h.colorsUsed != 0) {
        count = std::min<uint64_t>(count, h.colorsUsed);
    }
    if (count == 0) {
        return CodecError::Damaged;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* entry = &file[h.tableOffset + uint64_t{i} * entryBytes];
        palette.colors[i] = {entry[0], entry[1], entry[2]};
    }
    palette.count = static_cast<uint32_t>(count);
    return CodecError::None;
}

// A colour from the table at pixel x of a row of kBytes a pixel.
template <int kBytes>
void PutColor(uint8_t* row, int64_t x, const std::array<uint8_t, 3>& color)
{
    uint8_t* out = row + kBytes * x;
    std::memcpy(out, color.data(), 3);
    if constexpr (kBytes == 4) {
        out[3] = 0;
    }
}

// Uncompressed rows of 1, 4 or 8 bits: indices into the palette.
template <int kBytes>
bool ReadIndexedRow(const uint8_t* src, int32_t width, uint16_t bits, const Palette& palette, uint8_t* out)
{
    const uint32_t perByte = 8u / bits;
    const uint32_t mask = (1u << bits) - 1;
    bool inTable = true;
    for (int32_t x = 0; x < width; ++x) {
        const uint32_t shift = (perByte - 1 - static_cast<uint32_t>(x) % perByte) * bits;
        const uint32_t index = (src[static_cast<uint32_t>(x) / perByte] >> shift) & mask;
        inTable &= index < palette.count;
        PutColor<kBytes>(out, x, palette.colors[index & 0xFF]);
    }
    return inTable;
}

template <int kBytes>
CodecError ReadUncompressed(std::span<const uint8_t> file, const Header& h, const Palette& palette, PixelCanvas& canvas)
{
    const uint64_t fileStride = FileStride(h);
    std::array<Channel, 3> channels;
    for (int c = 0; c < 3; ++c) {
        if (!channels[c].Set(h.masks[c])) {
            return CodecError::Damaged;
        }
    }
    const bool plain32 = h.bitCount == 32 && h.masks == std::array<uint32_t, 3>{0xFF0000, 0x00FF00, 0x0000FF};
    const auto width = static_cast<int32_t>(h.width);
    const auto height = static_cast<int32_t>(h.height);
    for (int32_t y = 0; y < height; ++y) {
        const int32_t fileRow = h.topDown ? y : height - 1 - y;
        const uint8_t* src = &file[h.pixelOffset + fileStride * static_cast<uint64_t>(fileRow)];
        uint8_t* out = canvas.Row(y);
        auto put = [out](int32_t x, uint8_t blue, uint8_t green, uint8_t red) {
            PutColor<kBytes>(out, x, {blue, green, red});
        };
        switch (h.bitCount) {
        case 1:
        case 4:
        case 8:
            if (!ReadIndexedRow<kBytes>(src, width, h.bitCount, palette, out)) {
                return CodecError::Damaged;  // an index with no colour in the table
            }
            break;
        case 24:
            if constexpr (kBytes == 3) {
                std::memcpy(out, src, static_cast<size_t>(width) * 3);
            } else {
                for (int32_t x = 0; x < width; ++x) {
                    put(x, src[3 * x], src[3 * x + 1], src[3 * x + 2]);
                }
            }
            break;
        case 16:
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t v = U16(src + 2 * x);
                put(x, channels[2](v), channels[1](v), channels[0](v));
            }
            break;
        default:
            if (plain32) {
                for (int32_t x = 0; x < width; ++x) {
                    put(x, src[4 * x], src[4 * x + 1], src[4 * x + 2]);
                }
                break;
            }
            for (int32_t x = 0; x < width; ++x) {
                const uint32_t v = U32(src + 4 * x);
                put(x, channels[2](v), channels[1](v), channels[0](v));
            }
            break;
        }
    }
    return CodecError::None;
}

// RLE8 and RLE4: runs of one index (two alternating indices for RLE4), absolute runs, end of
// line, end of bitmap and deltas. Pixels the data skips keep the colour of index 0. A run past
// its row, a delta out of the picture, an index past the table or data ending before the end of
// bitmap make the file damaged.
template <int kBytes>
CodecError ReadRle(std::span<const uint8_t> file, const Header& h, const Palette& palette, PixelCanvas& canvas)
{
    uint64_t end = file.size();
    if (h.imageBytes != 0) {
        if (h.pixelOffset + uint64_t{h.imageBytes} > end) {
            return CodecError::Damaged;
        }
        end = h.pixelOffset + uint64_t{h.imageBytes};
    }
    const bool rle4 = h.compression == kRle4;
    const int64_t width = h.width;
    const int64_t height = h.height;
    // One row of index 0 copied to the others: a few bytes of RLE may stand for a large blank
    // picture, which a pixel-by-pixel fill would keep busy for seconds.
    uint8_t* first = canvas.Row(0);
    for (int64_t x = 0; x < width; ++x) {
        PutColor<kBytes>(first, x, palette.colors[0]);
    }
    const auto rowBytes = static_cast<size_t>(width) * kBytes;
    for (int32_t y = 1; y < height; ++y) {
        uint8_t* row = canvas.Row(y);
        if (row != first) {
            std::memcpy(row, first, rowBytes);
        }
    }
    int64_t rowAt = -1;
    uint8_t* row = nullptr;
    auto put = [&](int64_t x, int64_t y, uint32_t index) {
        if (y != rowAt) {
            rowAt = y;
            row = canvas.Row(static_cast<int32_t>(h.topDown ? y : height - 1 - y));
        }
        PutColor<kBytes>(row, x, palette.colors[index & 0xFF]);
        return index < palette.count;
    };
    uint64_t at = h.pixelOffset;
    int64_t x = 0;
    int64_t y = 0;
    for (;;) {
        if (at + 2 > end) {
            return CodecError::Damaged;
        }
        const uint32_t count = file[at];
        const uint32_t value = file[at + 1];
        at += 2;
        if (count > 0) {
            if (y >= height || x + count > width) {
                return CodecError::Damaged;
            }
            for (uint32_t i = 0; i < count; ++i) {
                const uint32_t index = rle4 ? (i % 2 == 0 ? value >> 4 : value & 0x0F) : value;
                if (!put(x++, y, index)) {
                    return CodecError::Damaged;
                }
            }
            continue;
        }
        switch (value) {
        case 0:  // end of line
            x = 0;
            ++y;
            break;
        case 1: return CodecError::None;  // end of bitmap
        case 2:                           // delta: right and up (in file order)
            if (at + 2 > end) {
                return CodecError::Damaged;
            }
            x += file[at];
            y += file[at + 1];
            at += 2;
            if (x > width || y > height) {
                return CodecError::Damaged;
            }
            break;
        default: {  // absolute run of `value` indices, padded to a whole 16-bit word
            const uint64_t bytes = rle4 ? (value + 1) / 2 : value;
            if (at + bytes + bytes % 2 > end || y >= height || x + value > width) {
                return CodecError::Damaged;
            }
            for (uint32_t i = 0; i < value; ++i) {
                const uint8_t byte = file[at + (rle4 ? i / 2 : i)];
                const uint32_t index = rle4 ? (i % 2 == 0 ? byte >> 4 : byte & 0x0F) : byte;
                if (!put(x++, y, index)) {
                    return CodecError::Damaged;
                }
            }
            at += bytes + bytes % 2;
            break;
        }
        }
    }
}

// The headers and colour table, checked, with all pixels of an uncompressed file present.
CodecError Prepare(std::span<const uint8_t> file, Header& h, Palette& palette)
{
    if (CodecError error = ParseHeader(file, h); error != CodecError::None) {
        return error;
    }
    if (CodecError error = ReadPalette(file, h, palette); error != CodecError::None) {
        return error;
    }
    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    if (!rle && h.pixelOffset + FileStride(h) * static_cast<uint64_t>(h.height) > file.size()) {
        return CodecError::Damaged;
    }
    return CodecError::None;
}

template <int kBytes>
CodecError ReadPixels(std::span<const uint8_t> file, const Header& h, const Palette& palette, PixelCanvas& canvas)
{
    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    return rle ? ReadRle<kBytes>(file, h, palette, canvas) : ReadUncompressed<kBytes>(file, h, palette, canvas);
}

}  // namespace

bool LooksLikeBmp(std::span<const uint8_t> file)
{
    return file.size() >= 2 && file[0] == 'B' && file[1] == 'M';
}

std::optional<PixelRows> BmpRowsInPlace(std::span<const uint8_t> file)
{
    Header h;
    if (ParseHeader(file, h) != CodecError::None || h.compression != kRgb || (h.bitCount != 24 && h.bitCount != 32) ||
        h.pixelOffset + FileStride(h) * static_cast<uint64_t>(h.height) > file.size()) {
        return std::nullopt;
    }
    const auto stride = static_cast<ptrdiff_t>(FileStride(h));
    const uint8_t* first = &file[h.pixelOffset];
    const uint8_t* top = h.topDown ? first : first + stride * static_cast<ptrdiff_t>(h.height - 1);
    return PixelRows{static_cast<int32_t>(h.width),
                     static_cast<int32_t>(h.height),
                     h.bitCount / 8,
                     top,
                     h.topDown ? stride : -stride,
                     h.xPixelsPerMetre,
                     h.yPixelsPerMetre};
}

CodecError ReadBmpSize(std::span<const uint8_t> file, BmpSize& size)
{
    Header h;
    Palette palette;
    if (CodecError error = Prepare(file, h, palette); error != CodecError::None) {
        return error;
    }
    size = {static_cast<int32_t>(h.width), static_cast<int32_t>(h.height), h.xPixelsPerMetre, h.yPixelsPerMetre};
    return CodecError::None;
}

CodecError ReadBmpPixels(std::span<const uint8_t> file, PixelCanvas& canvas)
{
    Header h;
    Palette palette;
    if (CodecError error = Prepare(file, h, palette); error != CodecError::None) {
        return error;
    }
    if (h.width != canvas.width || h.height != canvas.height) {
        return CodecError::Damaged;
    }
    return canvas.bytesPerPixel == 4 ? ReadPixels<4>(file, h, palette, canvas)
                                     : ReadPixels<3>(file, h, palette, canvas);
}

CodecError ReadBmp(std::span<const uint8_t> file, Raster& raster)
{
    raster = Raster{};
    BmpSize size;
    if (CodecError error = ReadBmpSize(file, size); error != CodecError::None) {
        return error;
    }
    raster.width = size.width;
    raster.height = size.height;
    raster.stride = (static_cast<uint32_t>(raster.width) * 3 + 3) & ~3u;
    raster.xPixelsPerMetre = size.xPixelsPerMetre;
    raster.yPixelsPerMetre = size.yPixelsPerMetre;
    try {
        raster.pixels.resize(static_cast<size_t>(raster.stride) * static_cast<size_t>(raster.height));
    } catch (const std::bad_alloc&) {
        raster = Raster{};
        return CodecError::TooLarge;
    }
    RasterCanvas canvas(raster);
    const CodecError error = ReadBmpPixels(file, canvas);
    if (error != CodecError::None) {
        raster = Raster{};
    }
    return error;
}

}  // namespace kavlor
