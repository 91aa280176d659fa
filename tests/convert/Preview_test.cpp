// Previews of the converter: pictures decoded small, their colours and places kept.
#include "convert/Preview.h"

#include <gtest/gtest.h>

#include "tests/convert/TestPictures.h"

namespace kavlor {
namespace {

// Four quarters of one colour each, clockwise from the top-left.
constexpr uint32_t kQuarters[4] = {0xC81E28, 0x1E9632, 0x2832C8, 0xDCC814};

Raster Quarters(int32_t width, int32_t height)
{
    Raster raster = test::MakeRaster(width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const int quarter = y < height / 2 ? (x < width / 2 ? 0 : 1) : (x < width / 2 ? 3 : 2);
            uint8_t* pixel = raster.Row(y) + x * 3;
            pixel[0] = static_cast<uint8_t>(kQuarters[quarter]);
            pixel[1] = static_cast<uint8_t>(kQuarters[quarter] >> 8);
            pixel[2] = static_cast<uint8_t>(kQuarters[quarter] >> 16);
        }
    }
    return raster;
}

uint32_t At(const Raster& raster, int32_t x, int32_t y)
{
    const uint8_t* pixel = raster.Row(y) + x * 3;
    return static_cast<uint32_t>(pixel[2]) << 16 | static_cast<uint32_t>(pixel[1]) << 8 | pixel[0];
}

bool Near(uint32_t a, uint32_t b)
{
    for (int shift : {16, 8, 0}) {
        if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > 6) {
            return false;
        }
    }
    return true;
}

// BMP files read where they lie or decoded, JPEG files decoded at a fraction: each preview fits
// the box (never enlarged) and shows every quarter in its place.
TEST(Preview, FitsTheBoxAndKeepsTheQuarters)
{
    const Raster big = Quarters(1920, 1080);
    const Raster small = Quarters(100, 60);
    struct Row {
        const char* what;
        std::vector<uint8_t> file;
        int32_t width;
        int32_t height;
    };
    const Row rows[] = {
        {"24-bit BMP", test::EncodeBmp(big, test::BmpFormat{}), 233, 137},
        {"top-down 32-bit BMP", test::EncodeBmp(big, {test::BmpHeader::Info, 32, test::kBmpRgb, {}, true}), 233, 137},
        {"16-bit BMP", test::EncodeBmp(big, {test::BmpHeader::Info, 16}), 233, 137},
        {"JPEG", test::EncodeTestJpeg(big, test::JpegKind::Baseline), 233, 135},  // decoded at 1/8: 240 x 135
        {"small BMP", test::EncodeBmp(small, test::BmpFormat{}), 100, 60},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Raster preview;
        ASSERT_EQ(DecodePreview(row.file, 233, 137, preview), CodecError::None);
        EXPECT_EQ(preview.width, row.width);
        EXPECT_EQ(preview.height, row.height);
        const int32_t w = preview.width;
        const int32_t h = preview.height;
        EXPECT_TRUE(Near(At(preview, w / 4, h / 4), kQuarters[0]));
        EXPECT_TRUE(Near(At(preview, 3 * w / 4, h / 4), kQuarters[1]));
        EXPECT_TRUE(Near(At(preview, 3 * w / 4, 3 * h / 4), kQuarters[2]));
        EXPECT_TRUE(Near(At(preview, w / 4, 3 * h / 4), kQuarters[3]));
    }
    Raster preview;
    EXPECT_NE(DecodePreview(std::vector<uint8_t>{'B', 'M', 0, 0}, 233, 137, preview), CodecError::None);
    EXPECT_NE(DecodePreview(std::vector<uint8_t>{0xFF, 0xD8, 0xFF}, 233, 137, preview), CodecError::None);
}

}  // namespace
}  // namespace kavlor
