// Writes the fuzzer's seed corpus into the folder named on the command line: small BMP files of
// every header, depth and compression the reader takes, and JPEG files of every kind.
#include <cstdio>
#include <string>

#include "tests/convert/TestPictures.h"

using namespace kavlor;
using namespace kavlor::test;

namespace {

void Write(const std::string& path, const std::vector<uint8_t>& bytes)
{
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const Raster photo = PhotoLike(19, 13);
    const BmpFormat formats[] = {
        {BmpHeader::Core, 1},
        {BmpHeader::Core, 8, kBmpRgb, {}, false, 12},
        {BmpHeader::Core, 24},
        {BmpHeader::Info, 4, kBmpRgb, {}, false, 5},
        {BmpHeader::Info, 8, kBmpRle8, {}, false, 9},
        {BmpHeader::Info, 4, kBmpRle4},
        {BmpHeader::Info, 16, kBmpBitFields, {0xF800, 0x07E0, 0x001F}},
        {BmpHeader::Info, 16},
        {BmpHeader::Info, 24, kBmpRgb, {}, true, 0, 3780},
        {BmpHeader::Info, 32, kBmpBitFields, {0x3FF00000, 0xFFC00, 0x3FF}},
        {BmpHeader::InfoV4, 32},
        {BmpHeader::InfoV5, 8, kBmpRle8, {}, true},
    };
    int n = 0;
    for (const BmpFormat& format : formats) {
        const std::string name = folder + "/seed-" + std::to_string(n++) + ".bmp";
        if (format.bits <= 8) {
            const uint32_t colors = format.tableColors ? format.tableColors : 1u << format.bits;
            Write(name, EncodeBmp(MakeIndexed(19, 13, colors), format));
        } else {
            Write(name, EncodeBmp(photo, format));
        }
    }
    for (JpegKind kind : {JpegKind::Baseline, JpegKind::Progressive, JpegKind::Grey, JpegKind::Restart, JpegKind::Cmyk,
                          JpegKind::Ycck, JpegKind::Subsampled}) {
        Write(folder + "/seed-" + std::to_string(n++) + ".jpg", EncodeTestJpeg(photo, kind, 75));
    }
    return 0;
}
