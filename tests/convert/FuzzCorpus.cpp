// Writes the fuzzer's corpus: into the first folder named on the command line, small BMP files
// of every header, depth and compression the reader takes and JPEG files of every kind; into the
// second, damaged copies of each (cut short, bytes changed); into the third, the hostile files
// (tests/convert/HostileFiles.h). The same files on every run.
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/convert/HostileFiles.h"
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

// Copies of `bytes` cut at lengths spread over the file, and copies with a few bytes changed
// at places a fixed generator picks.
std::vector<std::vector<uint8_t>> Damaged(const std::vector<uint8_t>& bytes, uint32_t variant)
{
    constexpr int kCuts = 40;
    constexpr int kChanged = 60;
    std::vector<std::vector<uint8_t>> copies;
    for (int i = 0; i < kCuts; ++i) {
        copies.emplace_back(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(bytes.size() * i / kCuts));
    }
    std::mt19937 random(variant);
    for (int i = 0; i < kChanged; ++i) {
        std::vector<uint8_t> copy = bytes;
        for (int change = 0; change <= i % 4; ++change) {
            copy[random() % copy.size()] = static_cast<uint8_t>(random());
        }
        copies.push_back(std::move(copy));
    }
    return copies;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s FOLDER DAMAGED-FOLDER HOSTILE-FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    const std::string damagedFolder = argv[2];
    // Files that go on with zeros are written without them: the fuzzer reads whole files.
    for (const HostileFile& file : HostileFiles()) {
        Write(std::string(argv[3]) + "/" + file.label + (file.jpeg ? ".jpg" : ".bmp"), file.bytes);
    }
    auto writeWithDamaged = [&](const std::string& name, const std::vector<uint8_t>& bytes, uint32_t variant) {
        Write(folder + "/" + name, bytes);
        int copy = 0;
        for (const std::vector<uint8_t>& damaged : Damaged(bytes, variant)) {
            Write(damagedFolder + "/" + std::to_string(copy++) + "-" + name, damaged);
        }
    };
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
        const std::string name = "start-" + std::to_string(n) + ".bmp";
        if (format.bits <= 8) {
            const uint32_t colors = format.tableColors ? format.tableColors : 1u << format.bits;
            writeWithDamaged(name, EncodeBmp(MakeIndexed(19, 13, colors), format), static_cast<uint32_t>(n));
        } else {
            writeWithDamaged(name, EncodeBmp(photo, format), static_cast<uint32_t>(n));
        }
        ++n;
    }
    for (JpegKind kind : {JpegKind::Baseline, JpegKind::Progressive, JpegKind::Grey, JpegKind::Restart, JpegKind::Cmyk,
                          JpegKind::Ycck, JpegKind::Subsampled}) {
        writeWithDamaged("start-" + std::to_string(n) + ".jpg", EncodeTestJpeg(photo, kind, 75),
                         static_cast<uint32_t>(n));
        ++n;
    }
    return 0;
}
