#include "app/PictureHeader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavlor {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes Le16(uint32_t v)
{
    return {uint8_t(v), uint8_t(v >> 8)};
}
Bytes Le32(uint32_t v)
{
    return Le16(v) + Le16(v >> 16);
}
Bytes Be16(uint32_t v)
{
    return {uint8_t(v >> 8), uint8_t(v)};
}
Bytes Be32(uint32_t v)
{
    return Be16(v >> 16) + Be16(v);
}
Bytes Text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

const Bytes kPng = Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'} + Be32(13) + Text("IHDR");
Bytes Png(uint32_t w, uint32_t h)
{
    return kPng + Be32(w) + Be32(h) + Bytes{8, 2, 0, 0, 0};
}
// A GIF of a logical screen, a global table of two colours, one extension and one frame.
Bytes Gif(uint32_t screenW, uint32_t screenH, uint32_t frameW, uint32_t frameH)
{
    return Text("GIF89a") + Le16(screenW) + Le16(screenH) + Bytes{0x80, 0, 0} + Bytes(6, 0) +
           Bytes{0x21, 0xF9, 4, 0, 0, 0, 0, 0} + Bytes{0x2C} + Le16(0) + Le16(0) + Le16(frameW) + Le16(frameH) +
           Bytes{0, 2, 2, 0x4C, 0x01, 0, 0x3B};
}
// Classic TIFF, little-endian: two pages, the second one larger, its width a SHORT.
Bytes Tiff(uint32_t w1, uint32_t h1, uint32_t w2, uint32_t h2)
{
    auto page = [](uint32_t w, uint32_t h, uint32_t next) {
        return Le16(2) + Le16(256) + Le16(3) + Le32(1) + Le16(w) + Le16(0) + Le16(257) + Le16(4) + Le32(1) + Le32(h) +
               Le32(next);
    };
    return Text("II*") + Bytes{0} + Le32(8) + page(w1, h1, 38) + page(w2, h2, 0);
}
// An icon of two images: a bitmap of 32 x 32 (its header counts the mask's rows too), then a PNG.
Bytes Icon(uint32_t pngW, uint32_t pngH)
{
    const Bytes entry1 = Bytes{32, 32, 0, 0} + Le16(1) + Le16(32) + Le32(40) + Le32(38);
    const Bytes entry2 = Bytes{0, 0, 0, 0} + Le16(1) + Le16(32) + Le32(33) + Le32(78);
    return Le16(0) + Le16(1) + Le16(2) + entry1 + entry2 + Le32(40) + Le32(32) + Le32(64) + Bytes(28, 0) +
           Png(pngW, pngH);
}

TEST(PictureHeader, DeclaredSizeIsTheLargestOfEveryPictureTheFileHolds)
{
    const struct {
        const char* name;
        Bytes file;
        PictureFormat format;
        uint64_t width, height;
    } rows[] = {
        {"png", Png(30000, 20000), PictureFormat::Png, 30000, 20000},
        {"png of the largest sides", Png(0xFFFFFFFF, 1), PictureFormat::Png, 0xFFFFFFFF, 1},
        {"png cut in its header", Bytes(kPng.begin(), kPng.end() - 2), PictureFormat::Png, 0, 0},
        {"gif screen", Gif(65535, 65535, 1, 1), PictureFormat::Gif, 65535, 65535},
        {"gif frame beyond its screen", Gif(1, 1, 40000, 30000), PictureFormat::Gif, 40000, 30000},
        {"tiff second page", Tiff(10, 10, 50000, 40000), PictureFormat::Tiff, 50000, 40000},
        {"icon bitmap and png", Icon(300, 200), PictureFormat::Icon, 300, 256},
        {"icon with a huge png", Icon(30000, 30000), PictureFormat::Icon, 30000, 30000},
        {"jpeg", Bytes{0xFF, 0xD8, 0xFF, 0xE0}, PictureFormat::Other, 0, 0},
        {"bmp", Text("BM") + Bytes(52, 0), PictureFormat::Other, 0, 0},
        {"empty", {}, PictureFormat::Other, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const DeclaredSize size = ReadDeclaredSize(row.file);
        EXPECT_EQ(size.format, row.format);
        EXPECT_EQ(size.width, row.width);
        EXPECT_EQ(size.height, row.height);
    }
    // Every cut of each file is read without reading past its end.
    for (const auto& row : rows) {
        for (size_t size = 0; size < row.file.size(); ++size) {
            ReadDeclaredSize(std::span(row.file.data(), size));
        }
    }
}

}  // namespace
}  // namespace kavlor
