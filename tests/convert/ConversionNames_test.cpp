// The produced name of a conversion and its direction.
#include "convert/ConversionNames.h"

#include <gtest/gtest.h>

namespace kavlor {
namespace {

TEST(ConversionNames, StemLosesFourCharactersAndTheKeyChoosesTheExtension)
{
    const struct {
        const char* entry;
        const char* produced;
        bool toJpeg;
    } rows[] = {
        {"A.BMP", "A.JPG", true},       {"A.JPG", "A.BMP", false}, {"A.JPEG", "A..BMP", false},
        {"PHOTOBMP", "PHOT.JPG", true}, {"X.GIF", "X.BMP", false}, {"BMP", ".JPG", true},
        {"AB", ".BMP", false},          {"", ".BMP", false},       {"A.B.C.BMP", "A.B.C.JPG", true},
        {"A.bmp", "A.BMP", false},  // the caller upper-cases; lower case is another key
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ProducedName<char>(row.entry), row.produced) << row.entry;
        EXPECT_EQ(ConvertsToJpeg<char>(row.entry), row.toJpeg) << row.entry;
    }
    EXPECT_EQ(ProducedName<wchar_t>(L"图片.BMP"), L"图片.JPG");
}

}  // namespace
}  // namespace kavlor
