#include "app/PictureHeader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace kavlor {
namespace {

using Bytes = std::vector<uint8_t>;

// PNG, GIF (a screen of 1 x 1 with a frame of 40000 x 30000), TIFF (two pages, the second
// larger) and an icon (a 32 x 32 bitmap, then a PNG of 300 x 200), sides little-endian but PNG's.
const Bytes kPng = {0x89, 'P', 'N', 'G',  '\r', '\n', 0x1A, '\n', 0,    0, 0, 13, 'I', 'H', 'D',
                    'R',  0,   0,   0x75, 0x30, 0,    0,    0x4E, 0x20, 8, 2, 0,  0,   0};
const Bytes kGif = {'G', 'I', 'F',  '8', '9', 'a', 1, 0,    1,    0,    0,    0, 0, 0x21, 0xF9, 4,    0, 0,   0,
                    0,   0,   0x2C, 0,   0,   0,   0, 0x40, 0x9C, 0x30, 0x75, 0, 2, 2,    0x4C, 0x01, 0, 0x3B};
const Bytes kTiff = {'I',  'I',  '*', 0, 8, 0, 0,  0,  // header
                     2,    0,    0,   1, 3, 0, 1,  0, 0, 0, 10, 0, 0,    0,    1, 1, 4, 0, 1, 0,
                     0,    0,    10,  0, 0, 0, 38, 0, 0, 0, 2,  0, 0,    1,    3, 0, 1, 0, 0, 0,
                     0x50, 0xC3, 0,   0, 1, 1, 4,  0, 1, 0, 0,  0, 0x40, 0x9C, 0, 0, 0, 0, 0, 0};
Bytes Icon()
{
    Bytes icon = {0, 0, 1, 0,  2, 0,  32, 32, 0, 0,  1, 0, 32, 0,  40, 0, 0, 0,  38, 0, 0, 0,  0, 0, 0,
                  0, 1, 0, 32, 0, 33, 0,  0,  0, 78, 0, 0, 0,  40, 0,  0, 0, 32, 0,  0, 0, 64, 0, 0, 0};
    icon.resize(78);
    Bytes png = kPng;
    const uint8_t sides[] = {0, 0, 0x01, 0x2C, 0, 0, 0, 200};  // 300 x 200
    std::copy(sides, sides + 8, png.begin() + 16);
    icon.insert(icon.end(), png.begin(), png.end());
    return icon;
}

// A TIFF whose page gives its ImageWidth and ImageLength twice, 30000 first and 16 second.
const Bytes kSidesTwice = {'I', 'I', '*',  0,    8, 0, 0, 0, 4,    0,  // header, four entries
                           0,   1,   3,    0,    1, 0, 0, 0, 0x30, 0x75, 0, 0, 1, 1, 3,  0, 1, 0,
                           0,   0,   0x30, 0x75, 0, 0, 0, 1, 3,    0,    1, 0, 0, 0, 16, 0, 0, 0,
                           1,   1,   3,    0,    1, 0, 0, 0, 16,   0,    0, 0, 0, 0, 0,  0};

TEST(PictureHeader, DeclaredSizeIsTheLargestOfEveryPictureTheFileHolds)
{
    const struct {
        const char* name;
        Bytes file;
        PictureFormat format;
        uint64_t width, height;
        uint64_t allFramePixels = 0;
    } rows[] = {
        {"png", kPng, PictureFormat::Png, 30000, 20000},
        {"png cut in its header", Bytes(kPng.begin(), kPng.end() - 8), PictureFormat::Png, 0, 0},
        {"gif frame beyond its screen", kGif, PictureFormat::Gif, 40000, 30000, 1'200'000'000},
        {"tiff second page", kTiff, PictureFormat::Tiff, 50000, 40000},
        {"tiff sides given twice", kSidesTwice, PictureFormat::Tiff, 30000, 30000},
        {"icon bitmap and png", Icon(), PictureFormat::Icon, 300, 256},
        {"jpeg", {0xFF, 0xD8, 0xFF, 0xE0}, PictureFormat::Other, 0, 0},
        {"empty", {}, PictureFormat::Other, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const DeclaredSize size = ReadDeclaredSize(row.file);
        EXPECT_EQ(size.format, row.format);
        EXPECT_EQ(size.width, row.width);
        EXPECT_EQ(size.height, row.height);
        EXPECT_EQ(size.allFramePixels, row.allFramePixels);
        for (size_t cut = 0; cut < row.file.size(); ++cut) {
            ReadDeclaredSize(std::span(row.file.data(), cut));  // never past the end
        }
    }
}

}  // namespace
}  // namespace kavlor
