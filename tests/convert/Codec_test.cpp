// The codec core on generated pictures: every BMP variant read exactly, BMP to JPEG to BMP
// within the quality's error, every kind of JPEG read, and damaged or hostile files refused.
#include "codec/Bmp.h"
#include "codec/Codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "convert/Preview.h"
#include "tests/convert/TestPictures.h"

namespace kavlor {
namespace {

using namespace kavlor::test;

std::vector<uint8_t> Collect(CodecError (*convert)(std::span<const uint8_t>, const ByteSink&),
                             const std::vector<uint8_t>& input, CodecError& error)
{
    std::vector<uint8_t> out;
    error = convert(input, [&out](const uint8_t* data, size_t bytes) {
        out.insert(out.end(), data, data + bytes);
        return true;
    });
    return out;
}

// Largest difference of any channel of any pixel.
int MaxDifference(const Raster& a, const Raster& b)
{
    int worst = 0;
    for (int32_t y = 0; y < a.height; ++y) {
        for (int32_t i = 0; i < a.width * 3; ++i) {
            worst = std::max(worst, std::abs(a.Row(y)[i] - b.Row(y)[i]));
        }
    }
    return worst;
}

struct Variant {
    const char* name;
    BmpFormat format;
    int tolerance;  // channels of fewer than 8 bits cannot be exact
};

const Variant kVariants[] = {
    {"core 1", {BmpHeader::Core, 1}, 0},
    {"core 4", {BmpHeader::Core, 4}, 0},
    {"core 8 short table", {BmpHeader::Core, 8, kBmpRgb, {}, false, 20}, 0},
    {"core 24", {BmpHeader::Core, 24}, 0},
    {"v3 1", {BmpHeader::Info, 1}, 0},
    {"v3 4 short table", {BmpHeader::Info, 4, kBmpRgb, {}, false, 5}, 0},
    {"v3 8", {BmpHeader::Info, 8, kBmpRgb, {}, false, 0, 3780}, 0},
    {"v3 8 short table top-down", {BmpHeader::Info, 8, kBmpRgb, {}, true, 37}, 0},
    {"v3 rle8", {BmpHeader::Info, 8, kBmpRle8}, 0},
    {"v3 rle8 short table", {BmpHeader::Info, 8, kBmpRle8, {}, false, 7}, 0},
    {"v3 rle4", {BmpHeader::Info, 4, kBmpRle4}, 0},
    {"v3 rle8 top-down", {BmpHeader::Info, 8, kBmpRle8, {}, true}, 0},
    {"v3 16 555", {BmpHeader::Info, 16}, 4},
    {"v3 16 565", {BmpHeader::Info, 16, kBmpBitFields, {0xF800, 0x07E0, 0x001F}}, 4},
    {"v3 16 444", {BmpHeader::Info, 16, kBmpBitFields, {0x0F00, 0x00F0, 0x000F}}, 8},
    {"v3 24", {BmpHeader::Info, 24, kBmpRgb, {}, false, 0, 2835}, 0},
    {"v3 24 top-down", {BmpHeader::Info, 24, kBmpRgb, {}, true}, 0},
    {"v3 32", {BmpHeader::Info, 32}, 0},
    {"v3 32 bit fields", {BmpHeader::Info, 32, kBmpBitFields, {0xFF0000, 0xFF00, 0xFF}}, 0},
    {"v3 32 10-10-10", {BmpHeader::Info, 32, kBmpBitFields, {0x3FF00000, 0xFFC00, 0x3FF}}, 0},
    {"v3 32 red low", {BmpHeader::Info, 32, kBmpBitFields, {0xFF, 0xFF00, 0xFF000000}}, 0},
    {"v4 16 565", {BmpHeader::InfoV4, 16, kBmpBitFields, {0xF800, 0x07E0, 0x001F}}, 4},
    {"v4 24", {BmpHeader::InfoV4, 24}, 0},
    {"v5 32 bit fields top-down", {BmpHeader::InfoV5, 32, kBmpBitFields, {0xFF00, 0xFF0000, 0xFF000000}, true}, 0},
    {"v5 8", {BmpHeader::InfoV5, 8}, 0},
    {"v5 rle4 short table", {BmpHeader::InfoV5, 4, kBmpRle4, {}, false, 3}, 0},
};

std::vector<uint8_t> EncodeVariant(const Variant& v, Raster& expected)
{
    const bool indexed = v.format.bits <= 8;
    const uint32_t colors = indexed ? (v.format.tableColors ? v.format.tableColors : 1u << v.format.bits) : 0;
    IndexedPicture indexedPicture = MakeIndexed(37, 23, indexed ? colors : 2);
    expected = indexed ? indexedPicture.ToRaster() : PhotoLike(37, 23);
    return indexed ? EncodeBmp(indexedPicture, v.format) : EncodeBmp(expected, v.format);
}

// Rows of four bytes a pixel, as a DIB section in the screen's format holds them; every byte
// starts as 0xAB, so a pixel the decoder skipped shows.
class WideCanvas : public PixelCanvas {
public:
    WideCanvas(int32_t width, int32_t height)
        : PixelCanvas(4, width, height), rowBytes(static_cast<size_t>(width) * 4), pixels(rowBytes * height, 0xAB)
    {
    }
    uint8_t* Row(int32_t y) override { return pixels.data() + rowBytes * y; }

    const size_t rowBytes;
    std::vector<uint8_t> pixels;
};

// The same pixels as three bytes a pixel, each followed by a 0.
std::vector<uint8_t> Widened(const Raster& raster)
{
    std::vector<uint8_t> wide;
    for (int32_t y = 0; y < raster.height; ++y) {
        for (int32_t x = 0; x < raster.width; ++x) {
            wide.insert(wide.end(), raster.Row(y) + 3 * x, raster.Row(y) + 3 * x + 3);
            wide.push_back(0);
        }
    }
    return wide;
}

// Every variant decodes alike into a raster, into rows of four bytes a pixel and into a preview
// (which keeps only the rows it samples), and every cut of the file is damage.
TEST(Bmp, EveryVariantReadsAsWrittenAndEveryTruncationIsDamage)
{
    for (const Variant& v : kVariants) {
        SCOPED_TRACE(v.name);
        Raster expected;
        const std::vector<uint8_t> file = EncodeVariant(v, expected);
        Raster read;
        ASSERT_EQ(ReadBmp(file, read), CodecError::None);
        ASSERT_EQ(read.width, expected.width);
        ASSERT_EQ(read.height, expected.height);
        EXPECT_LE(MaxDifference(read, expected), v.tolerance);
        EXPECT_EQ(read.xPixelsPerMetre, v.format.pixelsPerMetre);
        WideCanvas wide(read.width, read.height);
        ASSERT_EQ(ReadBmpPixels(file, wide), CodecError::None);
        EXPECT_EQ(wide.pixels, Widened(read));
        // A header that changed since the size was checked: a canvas one row too short.
        WideCanvas shorter(read.width, read.height - 1);
        EXPECT_EQ(ReadBmpPixels(file, shorter), CodecError::Damaged);
        Raster preview;
        ASSERT_EQ(DecodePreview(file, 13, 7, preview), CodecError::None);
        EXPECT_EQ(preview.pixels, ShrinkToFit(read.Rows(), 13, 7).pixels);
        for (size_t size = 0; size < file.size(); ++size) {
            ASSERT_EQ(ReadBmp(std::span(file.data(), size), read), CodecError::Damaged) << "cut at " << size;
            ASSERT_TRUE(read.pixels.empty());
        }
    }
}

void PutU32(std::vector<uint8_t>& file, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        file[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

TEST(Bmp, HostileHeadersAreRefusedBeforeAnyPixelIsRead)
{
    const struct {
        const char* name;
        BmpFormat format;
        size_t at;
        uint64_t value;
        int bytes;
        CodecError expected;
    } rows[] = {
        {"width past the side limit", {}, 18, 32768, 4, CodecError::TooLarge},
        {"height past the side limit", {}, 22, 32768, 4, CodecError::TooLarge},
        {"over 100 megapixels", {}, 18, 20000 | uint64_t{20000} << 32, 8, CodecError::TooLarge},
        {"most negative height", {}, 22, 0x80000000u, 4, CodecError::TooLarge},
        {"zero width", {}, 18, 0, 4, CodecError::Damaged},
        {"negative width", {}, 18, 0xFFFFFFFBu, 4, CodecError::Damaged},
        {"two planes", {}, 26, 2, 2, CodecError::Damaged},
        {"seven bits", {}, 28, 7, 2, CodecError::Damaged},
        {"embedded JPEG", {}, 30, 4, 4, CodecError::Damaged},
        {"OS/2 2.x header", {}, 14, 64, 4, CodecError::Damaged},
        {"header past the file", {}, 14, 0xFFFFFFF0u, 4, CodecError::Damaged},
        {"pixels past the file", {}, 10, 0xFFFFFFFFu, 4, CodecError::Damaged},
        {"pixels inside the header", {}, 10, 20, 4, CodecError::Damaged},
        {"not BM", {}, 0, 'B' | 'A' << 8, 2, CodecError::Damaged},
        {"RLE size past the file", {BmpHeader::Info, 8, kBmpRle8}, 34, 0x7FFFFFFF, 4, CodecError::Damaged},
        {"RLE8 of four bits", {BmpHeader::Info, 8, kBmpRle8}, 28, 4, 2, CodecError::Damaged},
        {"overlapping masks",
         {BmpHeader::Info, 32, kBmpBitFields, {0xFF0000, 0xFF00, 0xFF}},
         54,
         0xFFFF00,
         4,
         CodecError::Damaged},
        {"split mask",
         {BmpHeader::Info, 32, kBmpBitFields, {0xFF0000, 0xFF00, 0xFF}},
         54,
         0x0F000F00,
         4,
         CodecError::Damaged},
        {"16-bit mask past 16 bits",
         {BmpHeader::Info, 16, kBmpBitFields, {0xF800, 0x7E0, 0x1F}},
         62,
         0x1F0000,
         4,
         CodecError::Damaged},
        {"index past the colour table", {BmpHeader::Info, 8, kBmpRgb, {}, false, 4}, 46, 3, 4, CodecError::Damaged},
        {"RLE index past the colour table",
         {BmpHeader::Info, 8, kBmpRle8, {}, false, 4},
         46,
         3,
         4,
         CodecError::Damaged},
        {"4-bit index past the colour table",
         {BmpHeader::Info, 4, kBmpRgb, {}, false, 5},
         46,
         2,
         4,
         CodecError::Damaged},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Variant v{row.name, row.format, 0};
        Raster expected;
        std::vector<uint8_t> file = EncodeVariant(v, expected);
        for (int i = 0; i < row.bytes; ++i) {
            file[row.at + i] = static_cast<uint8_t>(row.value >> (8 * i));
        }
        Raster read;
        EXPECT_EQ(ReadBmp(file, read), row.expected);
    }
}

TEST(Bmp, RleStreamsOutsideTheirPictureAreDamage)
{
    const struct {
        const char* name;
        std::vector<uint8_t> codes;
        CodecError expected;
    } rows[] = {
        {"runs, end of line, delta", {4, 1, 0, 0, 0, 2, 2, 0, 2, 2, 0, 1}, CodecError::None},
        {"absolute run", {0, 3, 1, 2, 1, 0, 0, 1}, CodecError::None},
        {"run past the row", {5, 1, 0, 1}, CodecError::Damaged},
        {"absolute run past the row", {0, 5, 1, 1, 1, 1, 1, 0, 0, 1}, CodecError::Damaged},
        {"delta past the right", {0, 2, 5, 0, 0, 1}, CodecError::Damaged},
        {"delta past the top", {0, 2, 0, 3, 0, 1}, CodecError::Damaged},
        {"pixels past the last row", {0, 0, 0, 0, 1, 1, 0, 1}, CodecError::Damaged},
        {"absolute run cut short", {0, 4, 1, 1}, CodecError::Damaged},
        {"no end of bitmap", {4, 1}, CodecError::Damaged},
    };
    IndexedPicture blank{4, 2, std::vector<uint8_t>(8, 0), {{0, 0, 0}, {9, 9, 9}, {7, 7, 7}}};
    const std::vector<uint8_t> base = EncodeBmp(blank, {BmpHeader::Info, 8, kBmpRle8, {}, false, 3});
    const size_t pixelOffset = base[10];  // the headers and the three-colour table
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> file(base.begin(), base.begin() + static_cast<ptrdiff_t>(pixelOffset));
        file.insert(file.end(), row.codes.begin(), row.codes.end());
        PutU32(file, 34, static_cast<uint32_t>(row.codes.size()));
        Raster read;
        EXPECT_EQ(ReadBmp(file, read), row.expected);
    }
    // The first row: four pixels of index 1 in the bottom row, then two of index 2 after a
    // delta of two in the top row; skipped pixels keep index 0.
    std::vector<uint8_t> file(base.begin(), base.begin() + static_cast<ptrdiff_t>(pixelOffset));
    file.insert(file.end(), rows[0].codes.begin(), rows[0].codes.end());
    PutU32(file, 34, 0);  // no size given: the codes run to the end of the file
    Raster read;
    ASSERT_EQ(ReadBmp(file, read), CodecError::None);
    EXPECT_EQ(read.Row(1)[0], 9);
    EXPECT_EQ(read.Row(1)[9], 9);
    EXPECT_EQ(read.Row(0)[0], 0);
    EXPECT_EQ(read.Row(0)[6], 7);
    EXPECT_EQ(read.Row(0)[9], 7);
}

// The markers of a JPEG file in order: (position, marker byte), up to the first scan's data.
std::vector<std::pair<size_t, uint8_t>> Segments(const std::vector<uint8_t>& jpeg)
{
    std::vector<std::pair<size_t, uint8_t>> found{{0, 0xD8}};
    size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
        found.emplace_back(at, jpeg[at + 1]);
        if (jpeg[at + 1] == 0xDA) {
            break;
        }
        at += 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
    }
    return found;
}

size_t SegmentAt(const std::vector<uint8_t>& jpeg, uint8_t marker)
{
    for (auto [at, m] : Segments(jpeg)) {
        if (m == marker) {
            return at;
        }
    }
    return 0;
}

TEST(Jpeg, BmpToJpegIsBaseline444AtHighQualityWithTheResolution)
{
    const BmpFormat plain{BmpHeader::Info, 24, kBmpRgb, {}, false, 0, 3780};
    const struct {
        const char* name;
        Raster picture;
        BmpFormat format;
        double minimumPsnr;
    } rows[] = {
        {"photo", PhotoLike(256, 192), plain, 38},
        {"screenshot", ScreenshotLike(320, 200), plain, 30},
        {"photo, 32 bits top-down", PhotoLike(250, 190), {BmpHeader::InfoV5, 32, kBmpRgb, {}, true, 0, 3780}, 38},
        {"photo, 565",
         PhotoLike(256, 192),
         {BmpHeader::Info, 16, kBmpBitFields, {0xF800, 0x7E0, 0x1F}, false, 0, 3780},
         38},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CodecError error;
        const std::vector<uint8_t> bmp = EncodeBmp(row.picture, row.format);
        Raster original;
        ASSERT_EQ(ReadBmp(bmp, original), CodecError::None);
        const std::vector<uint8_t> jpeg = Collect(ConvertBmpToJpeg, bmp, error);
        ASSERT_EQ(error, CodecError::None);
        const size_t sof = SegmentAt(jpeg, 0xC0);  // baseline; a progressive file has 0xC2
        ASSERT_NE(sof, 0u);
        for (int c = 0; c < 3; ++c) {
            EXPECT_EQ(jpeg[sof + 11 + 3 * c], 0x11) << "component " << c << " is subsampled";
        }
        EXPECT_EQ(jpeg[0x0D], 1);  // JFIF density in dots per inch: 96
        EXPECT_EQ(jpeg[0x0F], 96);
        const std::vector<uint8_t> back = Collect(ConvertJpegToBmp, jpeg, error);
        ASSERT_EQ(error, CodecError::None);
        Raster read;
        ASSERT_EQ(ReadBmp(back, read), CodecError::None);
        EXPECT_EQ(read.xPixelsPerMetre, 3780);
        EXPECT_GE(Psnr(original, read), row.minimumPsnr);
    }
}

// Every kind reads, and the main window's open gives the same pixels as JPEG to BMP.
void ExpectEveryKindRead(const Raster& photo)
{
    SCOPED_TRACE(photo.width);
    Raster grey = photo;
    for (int32_t y = 0; y < grey.height; ++y) {
        for (int32_t x = 0; x < grey.width; ++x) {
            uint8_t* p = grey.Row(y) + 3 * x;
            const auto luma = static_cast<uint8_t>(0.114 * p[0] + 0.587 * p[1] + 0.299 * p[2] + 0.5);
            p[0] = p[1] = p[2] = luma;
        }
    }
    const struct {
        JpegKind kind;
        const Raster& expected;
        uint16_t bits;
    } rows[] = {
        {JpegKind::Baseline, photo, 24},   {JpegKind::Progressive, photo, 24}, {JpegKind::Grey, grey, 8},
        {JpegKind::Restart, photo, 24},    {JpegKind::Cmyk, photo, 24},        {JpegKind::Ycck, photo, 24},
        {JpegKind::Subsampled, photo, 24},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.kind));
        CodecError error;
        const std::vector<uint8_t> jpeg = EncodeTestJpeg(photo, row.kind);
        const std::vector<uint8_t> bmp = Collect(ConvertJpegToBmp, jpeg, error);
        ASSERT_EQ(error, CodecError::None);
        EXPECT_EQ(bmp[28], row.bits);
        Raster read;
        ASSERT_EQ(ReadBmp(bmp, read), CodecError::None);
        EXPECT_GE(Psnr(row.expected, read), 35);
        // The main window's open: the size from the header alone, then the same pixels in the
        // screen's four bytes.
        int32_t width = 0;
        int32_t height = 0;
        ASSERT_TRUE(LooksLikeJpeg(jpeg));
        const size_t sos = SegmentAt(jpeg, 0xDA);
        const size_t headers = sos + 2 + (jpeg[sos + 2] << 8 | jpeg[sos + 3]);
        ASSERT_EQ(ReadJpegSize(std::span(jpeg.data(), headers), width, height), CodecError::None);
        ASSERT_EQ(width, photo.width);
        ASSERT_EQ(height, photo.height);
        WideCanvas wide(width, height);
        ASSERT_EQ(ReadJpegPixels(jpeg, wide), CodecError::None);
        EXPECT_EQ(wide.pixels, Widened(read));
        WideCanvas shorter(width, height - 1);
        EXPECT_EQ(ReadJpegPixels(jpeg, shorter), CodecError::Damaged);
    }
}

// The larger picture is decoded into memory in two parts at once; a progressive one still whole.
TEST(Jpeg, EveryKindOfJpegReads)
{
    ExpectEveryKindRead(PhotoLike(67, 45));
    ExpectEveryKindRead(PhotoLike(1031, 517));
}

TEST(Jpeg, DamagedJpegsEndInAnErrorNeverInAGuess)
{
    const std::vector<uint8_t> good = EncodeTestJpeg(PhotoLike(64, 48), JpegKind::Restart);
    const size_t sos = SegmentAt(good, 0xDA);
    const size_t sof = SegmentAt(good, 0xC0);
    CodecError error;
    // Cut anywhere up to the middle of the compressed data.
    for (size_t size = 0; size < sos + (good.size() - sos) / 2; ++size) {
        Collect(ConvertJpegToBmp, std::vector<uint8_t>(good.begin(), good.begin() + static_cast<ptrdiff_t>(size)),
                error);
        ASSERT_EQ(error, CodecError::Damaged) << "cut at " << size;
    }
    // Bytes after the end marker are never read.
    std::vector<uint8_t> trailing = good;
    trailing.insert(trailing.end(), 100, 0xFF);
    Collect(ConvertJpegToBmp, trailing, error);
    EXPECT_EQ(error, CodecError::None);

    const struct {
        const char* name;
        size_t at;
        std::vector<uint8_t> bytes;
        CodecError expected;
    } rows[] = {
        {"height 0", sof + 5, {0, 0}, CodecError::Damaged},
        {"width past the side limit", sof + 7, {0x9C, 0x40}, CodecError::TooLarge},
        {"over 100 megapixels", sof + 5, {0x75, 0x30, 0x75, 0x30}, CodecError::TooLarge},
        {"no components", sof + 9, {0}, CodecError::Damaged},
        {"12-bit samples", sof + 4, {12}, CodecError::Damaged},
        {"quantisation table 9", sof + 12, {9}, CodecError::Damaged},
        {"scan of an unknown component", sos + 5, {77}, CodecError::Damaged},
        {"segment length past the file", sof + 2, {0xFF, 0xF0}, CodecError::Damaged},
        {"Huffman table of class 7", SegmentAt(good, 0xC4) + 4, {0x70}, CodecError::Damaged},
        {"restart markers lost", good.size() - 40, std::vector<uint8_t>(30, 0x00), CodecError::Damaged},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<uint8_t> file = good;
        std::copy(row.bytes.begin(), row.bytes.end(), file.begin() + static_cast<ptrdiff_t>(row.at));
        Collect(ConvertJpegToBmp, file, error);
        EXPECT_EQ(error, row.expected);
        WideCanvas wide(64, 48);
        EXPECT_EQ(ReadJpegPixels(file, wide), row.expected);
    }
    // A valid progressive file with far more scans than any real one: refused, as a hostile file
    // of many scans over a large picture would keep the decoder busy for minutes.
    Collect(ConvertJpegToBmp, EncodeTestJpeg(PhotoLike(16, 16), JpegKind::ManyScans), error);
    EXPECT_EQ(error, CodecError::Damaged);
    // Flipped bits in the compressed data: a picture or damage, nothing else.
    std::mt19937 random(5);
    for (int i = 0; i < 300; ++i) {
        std::vector<uint8_t> file = good;
        file[sos + 20 + random() % (good.size() - sos - 22)] ^= static_cast<uint8_t>(1 << (random() % 8));
        Collect(ConvertJpegToBmp, file, error);
        ASSERT_TRUE(error == CodecError::None || error == CodecError::Damaged);
    }
    // A large picture decoded into memory in two parts at once is judged as a single decoder
    // judges it, wherever the damage lies, and what decodes gives the same pixels.
    for (JpegKind kind : {JpegKind::Restart, JpegKind::Subsampled}) {
        const std::vector<uint8_t> large = EncodeTestJpeg(PhotoLike(1031, 517), kind);
        const size_t data = SegmentAt(large, 0xDA) + 20;
        for (size_t i = 0; i < 60; ++i) {
            std::vector<uint8_t> file = large;
            if (i < 20) {
                file.resize(data + (large.size() - data) * i / 20);
            } else {
                file[data + random() % (large.size() - data - 2)] ^= static_cast<uint8_t>(1 << (random() % 8));
            }
            const std::vector<uint8_t> bmp = Collect(ConvertJpegToBmp, file, error);
            WideCanvas wide(1031, 517);
            ASSERT_EQ(ReadJpegPixels(file, wide), error) << static_cast<int>(kind) << " " << i;
            Raster read;
            if (error == CodecError::None && ReadBmp(bmp, read) == CodecError::None) {
                EXPECT_EQ(wide.pixels, Widened(read)) << static_cast<int>(kind) << " " << i;
            }
        }
    }
}

TEST(Codec, AnOutputThatRefusesBytesEndsBothDirections)
{
    const std::vector<uint8_t> bmp = EncodeBmp(PhotoLike(300, 200), {});
    const std::vector<uint8_t> jpeg = EncodeTestJpeg(PhotoLike(30, 20), JpegKind::Baseline);
    const ByteSink refuse = [](const uint8_t*, size_t) { return false; };
    EXPECT_EQ(ConvertBmpToJpeg(bmp, refuse), CodecError::WriteFailed);
    EXPECT_EQ(ConvertJpegToBmp(jpeg, refuse), CodecError::WriteFailed);
    EXPECT_EQ(ConvertJpegToBmp(bmp, refuse), CodecError::Damaged);
    EXPECT_EQ(ConvertBmpToJpeg(jpeg, refuse), CodecError::Damaged);
}

}  // namespace
}  // namespace kavlor
