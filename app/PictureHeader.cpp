#include "app/PictureHeader.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace kavlor {

namespace {

// Bounds-checked reads: nothing past the end of the file.
struct Reader {
    std::span<const uint8_t> bytes;
    bool bigEndian = false;

    bool Has(uint64_t at, uint64_t count) const { return at <= bytes.size() && count <= bytes.size() - at; }
    uint32_t U8(uint64_t at) const { return Has(at, 1) ? bytes[at] : 0; }
    uint32_t U16(uint64_t at) const { return bigEndian ? U8(at) << 8 | U8(at + 1) : U8(at) | U8(at + 1) << 8; }
    uint32_t U32(uint64_t at) const { return bigEndian ? U16(at) << 16 | U16(at + 2) : U16(at) | U16(at + 2) << 16; }
    bool StartsWith(uint64_t at, const char* magic, size_t count) const
    {
        return Has(at, count) && std::memcmp(bytes.data() + at, magic, count) == 0;
    }
};

void Grow(DeclaredSize& size, uint64_t width, uint64_t height)
{
    size.width = std::max(size.width, width);
    size.height = std::max(size.height, height);
}

constexpr char kPngMagic[] = "\x89PNG\r\n\x1a\n";

// The IHDR chunk follows the signature: width and height, big-endian.
void ReadPng(Reader r, uint64_t at, DeclaredSize& size)
{
    r.bigEndian = true;
    if (r.StartsWith(at + 12, "IHDR", 4) && r.Has(at + 16, 8)) {
        Grow(size, r.U32(at + 16), r.U32(at + 20));
    }
}

// The logical screen, then every frame: extensions and image data are chains of sub-blocks.
void ReadGif(const Reader& r, DeclaredSize& size)
{
    Grow(size, r.U16(6), r.U16(8));
    auto tableBytes = [&](uint64_t flags) { return flags & 0x80 ? uint64_t{3} << ((flags & 7) + 1) : 0; };
    auto skipBlocks = [&](uint64_t at) {
        while (r.Has(at, 1) && r.U8(at) != 0) {
            at += 1 + r.U8(at);
        }
        return at + 1;
    };
    uint64_t at = 13 + tableBytes(r.U8(10));
    while (r.Has(at, 1)) {
        switch (r.U8(at)) {
        case 0x2C:  // image descriptor: position, size, flags, local table, LZW code size, data
            Grow(size, r.U16(at + 5), r.U16(at + 7));
            size.allFramePixels += uint64_t{r.U16(at + 5)} * r.U16(at + 7);
            at = skipBlocks(at + 10 + tableBytes(r.U8(at + 9)) + 1);
            break;
        case 0x21:  // extension: label, then its sub-blocks
            at = skipBlocks(at + 2);
            break;
        default: return;  // the trailer, or damage the decoder will report
        }
    }
}

// Each page (image file directory) of the chain, with its ImageWidth and ImageLength tags. A tag
// given twice counts where it is first given, as libtiff takes it.
void ReadTiff(Reader r, DeclaredSize& size)
{
    r.bigEndian = r.bytes[0] == 'M';
    uint64_t directory = r.U32(4);
    for (int page = 0; page < 1024 && directory != 0 && r.Has(directory, 2); ++page) {
        const uint32_t entries = r.U16(directory);
        std::optional<uint64_t> width;
        std::optional<uint64_t> height;
        for (uint32_t i = 0; i < entries; ++i) {
            const uint64_t entry = directory + 2 + uint64_t{12} * i;
            const uint32_t tag = r.U16(entry);
            const uint32_t value = r.U16(entry + 2) == 3 ? r.U16(entry + 8) : r.U32(entry + 8);  // SHORT or LONG
            if (tag == 256 && !width) {
                width = value;
            } else if (tag == 257 && !height) {
                height = value;
            }
        }
        Grow(size, width.value_or(0), height.value_or(0));
        directory = r.U32(directory + 2 + uint64_t{12} * entries);
    }
}

// Each entry of the directory: one byte a side (0 meaning 256), and its image's own header,
// a PNG or a bitmap header of twice the height (the mask follows the colours).
void ReadIcon(const Reader& r, DeclaredSize& size)
{
    const uint32_t count = r.U16(4);
    for (uint32_t i = 0; i < count && r.Has(6 + uint64_t{16} * i, 16); ++i) {
        const uint64_t entry = 6 + uint64_t{16} * i;
        Grow(size, r.U8(entry) ? r.U8(entry) : 256, r.U8(entry + 1) ? r.U8(entry + 1) : 256);
        const uint64_t image = r.U32(entry + 12);
        if (r.StartsWith(image, kPngMagic, 8)) {
            ReadPng(r, image, size);
        } else if (r.Has(image, 12)) {
            const auto width = static_cast<int32_t>(r.U32(image + 4));
            const auto height = static_cast<int32_t>(r.U32(image + 8));
            Grow(size, width < 0 ? -int64_t{width} : width, (height < 0 ? -int64_t{height} : height) / 2);
        }
    }
}

}  // namespace

DeclaredSize ReadDeclaredSize(std::span<const uint8_t> file)
{
    const Reader r{file};
    DeclaredSize size;
    if (r.StartsWith(0, kPngMagic, 8)) {
        size.format = PictureFormat::Png;
        ReadPng(r, 0, size);
    } else if (r.StartsWith(0, "GIF87a", 6) || r.StartsWith(0, "GIF89a", 6)) {
        size.format = PictureFormat::Gif;
        ReadGif(r, size);
    } else if (r.StartsWith(0, "II*\0", 4) || r.StartsWith(0, "MM\0*", 4)) {
        size.format = PictureFormat::Tiff;
        ReadTiff(r, size);
    } else if (r.Has(0, 6) && r.U16(0) == 0 && (r.U16(2) == 1 || r.U16(2) == 2) && r.U16(4) > 0) {
        size.format = PictureFormat::Icon;
        ReadIcon(r, size);
    }
    return size;
}

}  // namespace kavlor
