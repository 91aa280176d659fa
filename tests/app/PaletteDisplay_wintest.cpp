// Opening and saving pictures on a 256-colour palette display.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/ImageFile_win.h"
#include "tests/app/DocumentTestSupport_win.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

TEST(PaletteDisplayFiles, OpenedPictureCarriesAPaletteAndSavesAsAnEightBitBmpOfItsColours)
{
    TempDir dir;
    WriteBytes(dir.file(L"in.bmp"), MakeBmp(6, 4));
    ImageLoad load = LoadPictureFile(dir.file(L"in.bmp"));
    ASSERT_TRUE(load.picture);
    EXPECT_TRUE(load.picture->Palette());
    ASSERT_EQ(SavePictureFile(*load.picture, dir.file(L"out.bmp")), ImageSaveError::None);

    std::vector<uint8_t> out = ReadBytes(dir.file(L"out.bmp"));
    ASSERT_EQ(out.size(), 54u + 256 * 4 + 8 * 4);
    ASSERT_EQ(out[28], 8);
    ASSERT_EQ(Get32(out, 10), 1078u);
    // Each pixel's colour-table entry is the nearest the palette has: within one step of the
    // halftone palette's colour cube.
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 6; ++x) {
            const uint8_t* entry = &out[54 + 4 * out[1078 + (3 - y) * 8 + x]];
            uint32_t expected = ColorAt(x, y);
            EXPECT_LE(std::abs(entry[2] - static_cast<int>(expected >> 16 & 0xFF)), 0x33) << x << "," << y;
            EXPECT_LE(std::abs(entry[1] - static_cast<int>(expected >> 8 & 0xFF)), 0x33) << x << "," << y;
            EXPECT_LE(std::abs(entry[0] - static_cast<int>(expected & 0xFF)), 0x33) << x << "," << y;
        }
    }
    // As a PNG of the palette's colours, which comes back exactly, and as a JPEG; a smooth picture,
    // as JPEG is meant for.
    WriteBytes(dir.file(L"smooth.bmp"), MakeBmp(64, 48, [](int x, int y) {
                   return static_cast<uint32_t>(x * 4 << 16 | y * 5 << 8 | (x + y) * 2);
               }));
    load = LoadPictureFile(dir.file(L"smooth.bmp"));
    ASSERT_TRUE(load.picture);
    const Pixels shown = ReadBitmap(load.picture->Bitmap());
    for (SaveType type : {SaveType::Png, SaveType::Jpeg}) {
        const std::wstring name = dir.file(type == SaveType::Png ? L"out.png" : L"out.jpg");
        ASSERT_EQ(SavePictureFile(*load.picture, name, type), ImageSaveError::None);
        ImageLoad back = LoadPictureFile(name);
        ASSERT_TRUE(back.picture);
        if (type == SaveType::Png) {
            EXPECT_EQ(ReadBytes(name).at(25), 3) << "a palette PNG";
            EXPECT_EQ(ReadBitmap(back.picture->Bitmap()), shown);
        } else {
            EXPECT_GE(Psnr(ReadBitmap(back.picture->Bitmap()), shown), 40);
        }
    }
}

}  // namespace
}  // namespace kavlor::test
