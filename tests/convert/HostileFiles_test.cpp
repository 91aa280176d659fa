// Every hostile file through the codec's three ways in: BMP to JPEG, JPEG to BMP and the
// preview. Each ends in a picture or an error; intact files convert, and what a conversion
// produced reads back.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "codec/Codec.h"
#include "convert/Preview.h"
#include "tests/convert/HostileFiles.h"

namespace kavlor::test {
namespace {

TEST(HostileFiles, EachEndsInAPictureOrAnError)
{
    const std::vector<HostileFile> files = HostileFiles();
    std::array<std::array<int, 4>, kDamageKinds> tally{};  // by damage: converted, damaged, too large, other
    for (const HostileFile& file : files) {
        SCOPED_TRACE(file.label);
        std::vector<uint8_t> out;
        const ByteSink collect = [&out](const uint8_t* data, size_t bytes) {
            out.insert(out.end(), data, data + bytes);
            return true;
        };
        const CodecError converted =
            file.jpeg ? ConvertJpegToBmp(file.bytes, collect) : ConvertBmpToJpeg(file.bytes, collect);
        ++tally[static_cast<size_t>(file.damage)][static_cast<size_t>(converted)];
        EXPECT_TRUE(converted == CodecError::None || converted == CodecError::Damaged ||
                    converted == CodecError::TooLarge);
        EXPECT_EQ(converted == CodecError::None, !out.empty());
        if (file.damage == Damage::None) {
            EXPECT_EQ(converted, CodecError::None);
        }
        if (converted == CodecError::None) {
            const ByteSink ignore = [](const uint8_t*, size_t) { return true; };
            EXPECT_EQ(file.jpeg ? ConvertBmpToJpeg(out, ignore) : ConvertJpegToBmp(out, ignore), CodecError::None);
        }
        Raster preview;
        const CodecError previewed = DecodePreview(file.bytes, 160, 120, preview);
        EXPECT_EQ(previewed == CodecError::None, preview.width > 0 && preview.width <= 160 && preview.height <= 120);
    }
    std::printf("%zu hostile files through the codec:\n", files.size());
    for (int kind = 0; kind < kDamageKinds; ++kind) {
        const auto& t = tally[static_cast<size_t>(kind)];
        std::printf("  %-12s %5d converted, %5d damaged, %5d too large\n", DamageName(static_cast<Damage>(kind)), t[0],
                    t[1], t[2]);
    }
}

}  // namespace
}  // namespace kavlor::test
