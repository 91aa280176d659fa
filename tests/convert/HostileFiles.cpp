// The hostile picture files: intact BMP and JPEG files of every kind, damaged field by field and
// segment by segment from tables, plus odd files.
#include "tests/convert/HostileFiles.h"

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <set>

#include "tests/convert/TestPictures.h"

namespace kavlor::test {

namespace {

using Bytes = std::vector<uint8_t>;

struct Field {
    const char* name;
    uint32_t offset;
    uint32_t size;
};

constexpr Field kFileHeader[] = {
    {"bfType", 0, 2}, {"bfSize", 2, 4}, {"bfReserved1", 6, 2}, {"bfReserved2", 8, 2}, {"bfOffBits", 10, 4},
};
constexpr Field kCoreHeader[] = {
    {"bcSize", 14, 4}, {"bcWidth", 18, 2}, {"bcHeight", 20, 2}, {"bcPlanes", 22, 2}, {"bcBitCount", 24, 2},
};
constexpr Field kInfoHeader[] = {
    {"biSize", 14, 4},          {"biWidth", 18, 4},       {"biHeight", 22, 4},       {"biPlanes", 26, 2},
    {"biBitCount", 28, 2},      {"biCompression", 30, 4}, {"biSizeImage", 34, 4},    {"biXPelsPerMeter", 38, 4},
    {"biYPelsPerMeter", 42, 4}, {"biClrUsed", 46, 4},     {"biClrImportant", 50, 4},
};
constexpr Field kV4Header[] = {
    {"redMask", 54, 4},    {"greenMask", 58, 4}, {"blueMask", 62, 4},    {"alphaMask", 66, 4},  {"csType", 70, 4},
    {"endpoints", 74, 36}, {"gammaRed", 110, 4}, {"gammaGreen", 114, 4}, {"gammaBlue", 118, 4},
};
constexpr Field kV5Header[] = {
    {"intent", 122, 4},
    {"profileData", 126, 4},
    {"profileSize", 130, 4},
    {"reserved", 134, 4},
};
// The masks that follow a version 3 header of a bit-field file.
constexpr Field kMasksAfterInfo[] = {{"redMask", 54, 4}, {"greenMask", 58, 4}, {"blueMask", 62, 4}};

constexpr uint32_t kExtremes[] = {0,      1,      2,       0x7F,       0xFF,       0x7FFF,
                                  0x8000, 0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};

struct BmpBase {
    const char* label;
    BmpFormat format;
};

const BmpBase kBmpBases[] = {
    {"core1", {BmpHeader::Core, 1}},
    {"core8", {BmpHeader::Core, 8, kBmpRgb, {}, false, 12}},
    {"core24", {BmpHeader::Core, 24}},
    {"info4", {BmpHeader::Info, 4, kBmpRgb, {}, false, 5}},
    {"info8", {BmpHeader::Info, 8}},
    {"rle8", {BmpHeader::Info, 8, kBmpRle8, {}, false, 9}},
    {"rle4", {BmpHeader::Info, 4, kBmpRle4}},
    {"bf16", {BmpHeader::Info, 16, kBmpBitFields, {0xF800, 0x07E0, 0x001F}}},
    {"info24td", {BmpHeader::Info, 24, kBmpRgb, {}, true, 0, 3780}},
    {"bf32", {BmpHeader::Info, 32, kBmpBitFields, {0x3FF00000, 0xFFC00, 0x3FF}}},
    {"v4-32", {BmpHeader::InfoV4, 32}},
    {"v5rle8td", {BmpHeader::InfoV5, 8, kBmpRle8, {}, true}},
};
constexpr int32_t kWidth = 19;
constexpr int32_t kHeight = 13;

uint32_t Get(const Bytes& b, uint32_t at, uint32_t size)
{
    uint32_t v = 0;
    for (uint32_t i = 0; i < size && i < 4 && at + i < b.size(); ++i) {
        v |= static_cast<uint32_t>(b[at + i]) << (8 * i);
    }
    return v;
}

void Set(Bytes& b, uint32_t at, uint32_t size, uint32_t value)
{
    for (uint32_t i = 0; i < size && i < 4 && at + i < b.size(); ++i) {
        b[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// A fixed sequence of bytes that looks random, for garbage contents.
uint8_t Noise(size_t i)
{
    uint32_t x = static_cast<uint32_t>(i) * 2654435761u + 0x9E3779B9u;
    x ^= x >> 15;
    x *= 0x2C1B3C6Du;
    return static_cast<uint8_t>(x >> 24);
}

class Collector {
public:
    void Add(Damage damage, bool jpeg, std::string label, Bytes bytes, uint64_t fileBytes = 0)
    {
        if (m_labels.insert(label).second) {
            m_files.push_back({std::move(label), damage, jpeg, std::move(bytes), fileBytes});
        }
    }
    // Copies of `bytes` cut at each length given, each once.
    void Cuts(bool jpeg, const std::string& label, const Bytes& bytes, const std::map<size_t, std::string>& cuts)
    {
        for (const auto& [length, where] : cuts) {
            if (length < bytes.size()) {
                Add(Damage::Truncated, jpeg, label + "-cut-" + std::to_string(length) + "-" + where,
                    Bytes(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length)));
            }
        }
    }
    void Flips(bool jpeg, const std::string& label, const Bytes& bytes, size_t headerEnd)
    {
        for (size_t at = 0; at < bytes.size(); ++at) {
            // The top bit and one other of each byte of the first 54, one bit of each later
            // header byte (of every 16th past 160: colour tables are long) and of every 23rd
            // byte of the pixel data.
            const bool header = at < headerEnd && (at < 160 || at % 16 == 0);
            for (int bit = 0; bit < 8; ++bit) {
                const bool wanted =
                    (bit == static_cast<int>(at % 7) && (header || at % 23 == 0)) || (bit == 7 && at < 54);
                if (wanted) {
                    Bytes copy = bytes;
                    copy[at] ^= static_cast<uint8_t>(1u << bit);
                    Add(Damage::BitFlip, jpeg, label + "-flip-" + std::to_string(at) + "." + std::to_string(bit),
                        std::move(copy));
                }
            }
        }
    }
    std::vector<HostileFile> Take() { return std::move(m_files); }

private:
    std::set<std::string> m_labels;
    std::vector<HostileFile> m_files;
};

std::vector<Field> FieldsOf(const BmpFormat& format)
{
    std::vector<Field> fields(std::begin(kFileHeader), std::end(kFileHeader));
    if (format.header == BmpHeader::Core) {
        fields.insert(fields.end(), std::begin(kCoreHeader), std::end(kCoreHeader));
        return fields;
    }
    fields.insert(fields.end(), std::begin(kInfoHeader), std::end(kInfoHeader));
    if (format.header == BmpHeader::Info && format.compression == kBmpBitFields) {
        fields.insert(fields.end(), std::begin(kMasksAfterInfo), std::end(kMasksAfterInfo));
    }
    if (format.header != BmpHeader::Info) {
        fields.insert(fields.end(), std::begin(kV4Header), std::end(kV4Header));
    }
    if (format.header == BmpHeader::InfoV5) {
        fields.insert(fields.end(), std::begin(kV5Header), std::end(kV5Header));
    }
    return fields;
}

// A file of the base's format with its pixel data replaced, its sizes made to agree.
Bytes WithPixels(const Bytes& bmp, const Bytes& pixels)
{
    const uint32_t offset = Get(bmp, 10, 4);
    Bytes out(bmp.begin(), bmp.begin() + offset);
    out.insert(out.end(), pixels.begin(), pixels.end());
    Set(out, 2, 4, static_cast<uint32_t>(out.size()));
    if (Get(out, 14, 4) != 12) {
        Set(out, 34, 4, static_cast<uint32_t>(pixels.size()));
    }
    return out;
}

// RLE streams for a 19 x 13 picture that break the rules in one way each.
std::vector<std::pair<const char*, Bytes>> RleStreams()
{
    Bytes absolutePastRow = {0, 21};
    for (uint8_t i = 0; i < 22; ++i) {
        absolutePastRow.push_back(i % 4);
    }
    absolutePastRow.insert(absolutePastRow.end(), {0, 1});
    Bytes linesPastBottom;
    for (int i = 0; i < 15; ++i) {
        linesPastBottom.insert(linesPastBottom.end(), {0, 0});
    }
    linesPastBottom.insert(linesPastBottom.end(), {1, 1, 0, 1});
    Bytes longRuns;
    for (int i = 0; i < 40; ++i) {
        longRuns.insert(longRuns.end(), {255, 1});
    }
    return {
        {"run-past-row", {25, 1, 0, 1}},
        {"run-then-more", {19, 1, 3, 1, 0, 1}},
        {"absolute-past-row", absolutePastRow},
        {"absolute-past-data", {0, 200, 1, 2}},
        {"absolute-odd-cut", {0, 3, 1, 2}},
        {"delta-past-right", {0, 2, 20, 0, 0, 1}},
        {"delta-past-bottom", {0, 2, 0, 14, 0, 1}},
        {"delta-to-corner-then-run", {0, 2, 18, 12, 2, 1, 0, 1}},
        {"delta-cut", {0, 2, 1}},
        {"lines-past-bottom", linesPastBottom},
        {"no-end", {19, 1, 0, 0, 19, 1}},
        {"escape-cut", {0}},
        {"empty", {}},
        {"index-past-table", {19, 250, 0, 1}},
        {"only-end", {0, 1}},
        {"runs-of-255", longRuns},
    };
}

void AddBmp(Collector& out, const BmpBase& base)
{
    const BmpFormat& f = base.format;
    const bool indexed = f.bits <= 8;
    const Bytes bmp = indexed ? EncodeBmp(MakeIndexed(kWidth, kHeight, f.tableColors ? f.tableColors : 1u << f.bits), f)
                              : EncodeBmp(PhotoLike(kWidth, kHeight), f);
    const std::string label = std::string("bmp-") + base.label;
    const std::vector<Field> fields = FieldsOf(f);
    const uint32_t headerEnd = fields.back().offset + fields.back().size;
    const uint32_t pixelOffset = Get(bmp, 10, 4);
    const uint32_t entryBytes = f.header == BmpHeader::Core ? 3 : 4;
    out.Add(Damage::None, false, label + "-intact", bmp);

    // Cut at the start of every field and inside it, at colour-table entries, and in the pixels.
    std::map<size_t, std::string> cuts;
    for (const Field& field : fields) {
        cuts.emplace(field.offset, field.name);
        cuts.emplace(field.offset + 1, std::string("in-") + field.name);
    }
    const uint32_t entries = (pixelOffset - headerEnd) / entryBytes;
    for (uint32_t entry : {0u, 1u, entries / 2, entries - 1}) {
        if (entry < entries) {
            cuts.emplace(headerEnd + entry * entryBytes, "table" + std::to_string(entry));
            cuts.emplace(headerEnd + entry * entryBytes + 1, "in-table" + std::to_string(entry));
        }
    }
    for (size_t at : {size_t{pixelOffset}, size_t{pixelOffset} + 1, (pixelOffset + bmp.size()) / 2, bmp.size() - 1}) {
        cuts.emplace(at, "pixels");
    }
    out.Cuts(false, label, bmp, cuts);
    out.Flips(false, label, bmp, pixelOffset);

    for (const Field& field : fields) {
        if (field.offset == 0) {
            continue;  // the magic: a changed one is just another kind of file
        }
        const uint32_t size = std::min<uint32_t>(field.size, 4);
        const uint32_t mask = size == 4 ? 0xFFFFFFFFu : (1u << (8 * size)) - 1;
        const uint32_t own = Get(bmp, field.offset, size);
        const auto fileSize = static_cast<uint32_t>(bmp.size());
        std::vector<uint32_t> values(std::begin(kExtremes), std::end(kExtremes));
        values.insert(values.end(), {fileSize, fileSize + 1});
        for (uint32_t value : values) {
            if ((value & mask) != own) {
                Bytes copy = bmp;
                Set(copy, field.offset, size, value & mask);
                out.Add(Damage::FieldValue, false, label + "-" + field.name + "-" + std::to_string(value & mask),
                        std::move(copy));
            }
        }
    }
    // Sizes and offsets together: the largest pictures allowed and just past them, negative
    // and minimal sides, offsets at and past the end of the file.
    if (f.header != BmpHeader::Core) {
        const std::pair<int32_t, int32_t> sizes[] = {
            {32767, 32767},        {32768, 1}, {1, 32768}, {10000, 10000}, {10001, 10000}, {0x7FFFFFFF, 1}, {-19, 13},
            {19, -2147483647 - 1}, {19, -13},  {1, 1},     {4000, 3000},   {65536, 65536},
        };
        for (auto [w, h] : sizes) {
            if (f.compression != kBmpRgb && static_cast<int64_t>(w) * h > 20'000'000) {
                continue;  // a valid picture that large from a few bytes of RLE: once, among the odd files
            }
            Bytes copy = bmp;
            Set(copy, 18, 4, static_cast<uint32_t>(w));
            Set(copy, 22, 4, static_cast<uint32_t>(h));
            out.Add(Damage::FieldValue, false, label + "-size-" + std::to_string(w) + "x" + std::to_string(h),
                    std::move(copy));
        }
    }
    for (uint32_t offset : {0u, 13u, 14u, headerEnd - 1, headerEnd, pixelOffset - 1, pixelOffset + 1,
                            static_cast<uint32_t>(bmp.size()) - 1, static_cast<uint32_t>(bmp.size())}) {
        Bytes copy = bmp;
        Set(copy, 10, 4, offset);
        out.Add(Damage::FieldValue, false, label + "-offset-" + std::to_string(offset), std::move(copy));
    }

    if (indexed) {
        const uint32_t full = 1u << f.bits;
        if (f.header != BmpHeader::Core) {
            for (uint32_t used : {1u, full - 1, full + 1, 256u, 257u, 65536u, 0xFFFFFFFFu}) {
                Bytes copy = bmp;
                Set(copy, 46, 4, used);
                out.Add(Damage::Palette, false, label + "-colors-used-" + std::to_string(used), std::move(copy));
            }
        }
        // The pixels start inside the table, or where it should start.
        for (uint32_t offset : {headerEnd, headerEnd + entryBytes + 2, headerEnd + entryBytes * (entries / 2)}) {
            Bytes copy = bmp;
            Set(copy, 10, 4, offset);
            out.Add(Damage::Palette, false, label + "-table-cut-to-" + std::to_string(offset), std::move(copy));
        }
        if (f.compression == kBmpRgb) {
            // Every index past a short table.
            Bytes copy = bmp;
            std::fill(copy.begin() + pixelOffset, copy.end(), uint8_t{0xFF});
            if (f.header != BmpHeader::Core) {
                Set(copy, 46, 4, 2);
            }
            out.Add(Damage::Palette, false, label + "-indices-past-table", std::move(copy));
        } else {
            for (const auto& [name, stream] : RleStreams()) {
                out.Add(Damage::Rle, false, label + "-" + name, WithPixels(bmp, stream));
            }
            const auto streamBytes = static_cast<uint32_t>(bmp.size()) - pixelOffset;
            for (uint32_t imageBytes : {1u, 2u, streamBytes - 2, streamBytes + 100, 0xFFFFFFFFu}) {
                Bytes copy = bmp;
                Set(copy, 34, 4, imageBytes);
                out.Add(Damage::Rle, false, label + "-image-bytes-" + std::to_string(imageBytes), std::move(copy));
            }
        }
    }
}

// A JPEG's marker segments in order: the marker's position and the segment's length with the
// marker. Entropy-coded data after a scan header counts as a segment of marker 0.
struct Segment {
    uint8_t marker;
    size_t at;
    size_t bytes;
};

std::vector<Segment> Segments(const Bytes& jpeg)
{
    std::vector<Segment> segments;
    size_t at = 0;
    while (at + 1 < jpeg.size() && jpeg[at] == 0xFF) {
        const uint8_t marker = jpeg[at + 1];
        const bool bare = marker == 0xD8 || marker == 0xD9 || (marker >= 0xD0 && marker <= 0xD7);
        const size_t bytes = bare ? 2 : 2 + (size_t{jpeg[at + 2]} << 8 | jpeg[at + 3]);
        segments.push_back({marker, at, bytes});
        at += bytes;
        if (marker == 0xDA) {
            size_t end = at;
            while (end + 1 < jpeg.size() &&
                   !(jpeg[end] == 0xFF && jpeg[end + 1] != 0 && (jpeg[end + 1] < 0xD0 || jpeg[end + 1] > 0xD7))) {
                ++end;
            }
            segments.push_back({0, at, end - at});
            at = end;
        }
    }
    return segments;
}

std::string MarkerName(uint8_t marker)
{
    switch (marker) {
    case 0: return "scan-data";
    case 0xD8: return "SOI";
    case 0xD9: return "EOI";
    case 0xC0: return "SOF0";
    case 0xC2: return "SOF2";
    case 0xC4: return "DHT";
    case 0xDB: return "DQT";
    case 0xDA: return "SOS";
    case 0xDD: return "DRI";
    case 0xE0: return "APP0";
    case 0xEE: return "APP14";
    default: break;
    }
    std::string name = "M";
    return name += std::to_string(marker);
}

// Fields of particular segments and the values that break them: offset from the marker, size
// in bytes (big-endian), values.
struct SegmentField {
    uint8_t marker;
    const char* name;
    uint32_t offset;
    uint32_t size;
    std::vector<uint32_t> values;
};

const std::vector<SegmentField>& SegmentFields()
{
    static const std::vector<SegmentField> fields = {
        {0xC0, "precision", 4, 1, {0, 12, 16, 255}},
        {0xC0, "height", 5, 2, {0, 1, 0xFFFF}},
        {0xC0, "width", 7, 2, {0, 1, 0xFFFF}},
        {0xC0, "components", 9, 1, {0, 2, 4, 255}},
        {0xC0, "sampling", 11, 1, {0x00, 0xFF, 0x44, 0x41, 0x14}},
        {0xC0, "quant-table", 12, 1, {4, 255}},
        {0xC0, "second-id", 13, 1, {1, 255}},
        {0xC2, "height", 5, 2, {0, 0xFFFF}},
        {0xC2, "width", 7, 2, {0, 0xFFFF}},
        {0xC2, "sampling", 11, 1, {0x00, 0xFF}},
        {0xC4, "class-id", 4, 1, {0x1F, 0xFF, 0x04, 0x20}},
        {0xC4, "counts", 5, 16, {0xFF}},
        {0xC4, "first-count", 5, 1, {0xFF, 0}},
        {0xDB, "precision-id", 4, 1, {0x1F, 0xF0, 0x14, 0x04}},
        {0xDB, "values", 5, 64, {0}},
        {0xDA, "components", 4, 1, {0, 5, 255}},
        {0xDA, "component-id", 5, 1, {0, 0xFF}},
        {0xDA, "tables", 6, 1, {0xFF, 0x44}},
        {0xDD, "interval", 4, 2, {0, 1, 0xFFFF}},
    };
    return fields;
}

void AddJpeg(Collector& out, const char* name, const Bytes& jpeg)
{
    const std::string label = std::string("jpg-") + name;
    out.Add(Damage::None, true, label + "-intact", jpeg);
    const std::vector<Segment> segments = Segments(jpeg);
    size_t headerEnd = jpeg.size();
    std::map<uint8_t, int> seen;
    for (const Segment& s : segments) {
        const std::string where = MarkerName(s.marker) + "-" + std::to_string(seen[s.marker]++);
        if (s.marker == 0 && headerEnd == jpeg.size()) {
            headerEnd = s.at;
        }
        std::map<size_t, std::string> cuts;
        for (size_t into : {size_t{0}, size_t{1}, size_t{2}, size_t{3}, size_t{4}, s.bytes / 2, s.bytes - 1}) {
            if (into < s.bytes) {
                cuts.emplace(s.at + into, where + "+" + std::to_string(into));
            }
        }
        out.Cuts(true, label, jpeg, cuts);

        auto with = [&](const std::string& what, const std::function<void(Bytes&)>& change) {
            Bytes copy = jpeg;
            change(copy);
            out.Add(Damage::Segment, true, label + "-" + where + "-" + what, std::move(copy));
        };
        const auto begin = static_cast<ptrdiff_t>(s.at);
        const auto end = static_cast<ptrdiff_t>(s.at + s.bytes);
        with("dropped", [&](Bytes& b) { b.erase(b.begin() + begin, b.begin() + end); });
        with("doubled", [&](Bytes& b) { b.insert(b.begin() + end, jpeg.begin() + begin, jpeg.begin() + end); });
        const bool hasLength = s.marker != 0 && s.bytes >= 4;
        const size_t payload = s.marker == 0 ? 0 : hasLength ? 4 : 2;
        if (s.bytes > payload) {
            for (uint8_t fill : {uint8_t{0x00}, uint8_t{0xFF}, uint8_t{0x5A}}) {
                with("filled-" + std::to_string(fill), [&](Bytes& b) {
                    for (size_t i = s.at + payload; i < s.at + s.bytes; ++i) {
                        b[i] = fill == 0x5A ? Noise(i) : fill;
                    }
                });
            }
        }
        if (hasLength) {
            const size_t length = s.bytes - 2;
            for (size_t bad : {size_t{0}, size_t{1}, size_t{2}, length - 1, length + 1, size_t{0xFFFF}}) {
                with("length-" + std::to_string(bad), [&](Bytes& b) {
                    b[s.at + 2] = static_cast<uint8_t>(bad >> 8);
                    b[s.at + 3] = static_cast<uint8_t>(bad);
                });
            }
        }
        for (const SegmentField& field : SegmentFields()) {
            if (field.marker != s.marker || field.offset + field.size > s.bytes) {
                continue;
            }
            for (uint32_t value : field.values) {
                with(std::string(field.name) + "-" + std::to_string(value), [&](Bytes& b) {
                    for (uint32_t i = 0; i < field.size; ++i) {
                        const uint32_t shift = field.size <= 4 ? 8 * (field.size - 1 - i) : 0;
                        b[s.at + field.offset + i] = static_cast<uint8_t>(value >> shift);
                    }
                });
            }
        }
    }
    out.Flips(true, label, jpeg, headerEnd);
    // A claim of 65,500 x 65,500 pixels in a small file; no end; junk after the end.
    for (const Segment& s : segments) {
        if (s.marker == 0xC0 || s.marker == 0xC2) {
            Bytes copy = jpeg;
            copy[s.at + 5] = copy[s.at + 7] = 0xFF;
            copy[s.at + 6] = copy[s.at + 8] = 0xDC;
            out.Add(Damage::FieldValue, true, label + "-claims-65500x65500", copy);
            // Sides within the limit, but 900 megapixels.
            if (label == "jpg-baseline" || label == "jpg-progressive") {
                copy[s.at + 5] = copy[s.at + 7] = 0x75;
                copy[s.at + 6] = copy[s.at + 8] = 0x30;
                out.Add(Damage::Odd, true, label + "-claiming-30000x30000", std::move(copy));
            }
        }
    }
    // Quirks that every viewer takes: no end marker, junk after it, stray bytes before a marker.
    Bytes noEnd(jpeg.begin(), jpeg.end() - 2);
    out.Add(Damage::None, true, label + "-no-EOI", noEnd);
    Bytes junk = jpeg;
    for (size_t i = 0; i < 300; ++i) {
        junk.push_back(Noise(i));
    }
    out.Add(Damage::None, true, label + "-junk-after-EOI", std::move(junk));
    Bytes stray = jpeg;
    stray.insert(stray.begin() + static_cast<ptrdiff_t>(segments.at(1).at), {0x00, 0x17, 0x00});
    out.Add(Damage::None, true, label + "-stray-bytes-before-a-marker", std::move(stray));
}

void AddOdd(Collector& out)
{
    const Bytes bmp = EncodeBmp(PhotoLike(64, 64), BmpFormat{});
    const Bytes jpeg = EncodeTestJpeg(PhotoLike(64, 64), JpegKind::Baseline);
    for (bool asJpeg : {false, true}) {
        const std::string kind = asJpeg ? "jpg" : "bmp";
        out.Add(Damage::Odd, asJpeg, kind + "-empty", {});
        out.Add(Damage::Odd, asJpeg, kind + "-one-byte", {'B'});
        out.Add(Damage::Odd, asJpeg, kind + "-magic-only", asJpeg ? Bytes{0xFF, 0xD8} : Bytes{'B', 'M'});
        out.Add(Damage::Odd, asJpeg, kind + "-text", {'h', 'e', 'l', 'l', 'o', '\r', '\n'});
        out.Add(Damage::Odd, asJpeg, kind + "-all-ff", Bytes(4096, 0xFF));
        out.Add(Damage::Odd, asJpeg, kind + "-all-zero", Bytes(4096, 0x00));
        out.Add(Damage::Odd, asJpeg, kind + "-gif", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0});
        out.Add(Damage::Odd, asJpeg, kind + "-png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13});
        out.Add(Damage::Odd, asJpeg, kind + "-program", {'M', 'Z', 0x90, 0, 3, 0, 0, 0, 4, 0, 0, 0, 0xFF, 0xFF});
        // The other format's bytes under this name.
        out.Add(Damage::Odd, asJpeg, kind + "-holding-the-other-format", asJpeg ? bmp : jpeg);
        // Intact pictures in files far larger than they are, the rest zeros (sparse on disk).
        out.Add(Damage::Odd, asJpeg, kind + "-huge-file-3GB", asJpeg ? jpeg : bmp, uint64_t{3} << 30);
    }
    out.Add(Damage::Odd, false, "bmp-only-file-header", {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0});
    out.Add(Damage::Odd, true, "jpg-SOI-EOI", {0xFF, 0xD8, 0xFF, 0xD9});
    out.Add(Damage::Odd, true, "jpg-SOI-SOI", {0xFF, 0xD8, 0xFF, 0xD8, 0xFF, 0xD8});
    // PNG and GIF headers claiming 30,000 x 30,000 pixels in a few dozen bytes.
    out.Add(Damage::Odd, false, "png-claiming-30000x30000",
            {0x89, 'P',  'N',  'G',  '\r', '\n', 0x1A, '\n', 0,    0,   0,   13,   'I',  'H',  'D',
             'R',  0,    0,    0x75, 0x30, 0,    0,    0x75, 0x30, 8,   2,   0,    0,    0,    0xE9,
             0x45, 0x6F, 0xED, 0,    0,    0,    0,    'I',  'E',  'N', 'D', 0xAE, 0x42, 0x60, 0x82});
    out.Add(Damage::Odd, false, "gif-claiming-30000x30000",
            {'G', 'I',  'F', '8', '9', 'a', 0x30, 0x75, 0x30, 0x75, 0x80, 0, 0, 0,    0,    0, 255, 255,
             255, 0x2C, 0,   0,   0,   0,   0x30, 0x75, 0x30, 0x75, 0,    2, 2, 0x4C, 0x01, 0, 0x3B});
    // A BMP header claiming 30,000 x 30,000 pixels over a file of the size that takes: too large.
    Bytes claim = bmp;
    Set(claim, 18, 4, 30000);
    Set(claim, 22, 4, 30000);
    out.Add(Damage::Odd, false, "bmp-huge-file-claiming-30000x30000", claim, 54 + uint64_t{90000} * 30000);
    // BMP files holding JPEG or PNG data.
    for (uint32_t compression : {4u, 5u}) {
        Bytes embedded(bmp.begin(), bmp.begin() + 54);
        embedded.insert(embedded.end(), jpeg.begin(), jpeg.end());
        Set(embedded, 30, 4, compression);
        Set(embedded, 34, 4, static_cast<uint32_t>(jpeg.size()));
        out.Add(Damage::Odd, false, "bmp-compression-" + std::to_string(compression), std::move(embedded));
    }
    // A blank picture of 100 megapixels, the most allowed, in a few dozen bytes of RLE8: valid,
    // and large once read.
    Bytes bomb = EncodeBmp(MakeIndexed(kWidth, kHeight, 4), {BmpHeader::Info, 8, kBmpRle8, {}, false, 4});
    Set(bomb, 18, 4, 10000);
    Set(bomb, 22, 4, 10000);
    out.Add(Damage::Odd, false, "bmp-rle8-blank-10000x10000", WithPixels(bomb, {0, 1}));
    // A valid progressive file of more scans than any real one has.
    out.Add(Damage::Odd, true, "jpg-757-scans", EncodeTestJpeg(PhotoLike(64, 64), JpegKind::ManyScans));
    // Its first two restart markers swapped: the decoder finds its place again, as viewers do.
    Bytes restarts = EncodeTestJpeg(PhotoLike(64, 64), JpegKind::Restart);
    std::vector<size_t> numbers;
    for (size_t at = Segments(restarts).back().at; at-- > 1;) {
        if (restarts[at - 1] == 0xFF && restarts[at] >= 0xD0 && restarts[at] <= 0xD7) {
            numbers.push_back(at);
        }
    }
    std::swap(restarts.at(numbers.at(numbers.size() - 1)), restarts.at(numbers.at(numbers.size() - 2)));
    out.Add(Damage::None, true, "jpg-restarts-out-of-order", std::move(restarts));
}

}  // namespace

HostileFile LargestPlainBmp()
{
    Bytes header = EncodeBmp(PhotoLike(1, 1), BmpFormat{});
    header.resize(54);
    Set(header, 18, 4, 10000);
    Set(header, 22, 4, 10000);
    Set(header, 34, 4, 0);  // no image size: it follows from the sides
    return {"bmp-plain-10000x10000", Damage::None, false, header, 54 + uint64_t{30000} * 10000};
}

const char* DamageName(Damage damage)
{
    constexpr std::array<const char*, kDamageKinds> kNames = {"intact",  "truncated", "bit flip", "field value",
                                                              "palette", "rle",       "segment",  "odd file"};
    return kNames[static_cast<size_t>(damage)];
}

std::vector<HostileFile> HostileFiles()
{
    Collector out;
    for (const BmpBase& base : kBmpBases) {
        AddBmp(out, base);
    }
    const Raster photo = PhotoLike(kWidth, kHeight);
    const std::pair<const char*, JpegKind> jpegs[] = {
        {"baseline", JpegKind::Baseline}, {"progressive", JpegKind::Progressive}, {"grey", JpegKind::Grey},
        {"restart", JpegKind::Restart},   {"subsampled", JpegKind::Subsampled},   {"cmyk", JpegKind::Cmyk},
    };
    for (const auto& [name, kind] : jpegs) {
        AddJpeg(out, name, EncodeTestJpeg(photo, kind, 75));
    }
    AddOdd(out);
    return out.Take();
}

std::vector<HostileFile> HostileSample(size_t count)
{
    std::vector<HostileFile> all = HostileFiles();
    std::array<std::vector<size_t>, kDamageKinds> byKind;
    for (size_t i = 0; i < all.size(); ++i) {
        byKind[static_cast<size_t>(all[i].damage)].push_back(i);
    }
    // The odd files, each made by hand, all come; then small kinds give all they have, and the
    // rest is shared evenly among the larger ones.
    std::array<size_t, kDamageKinds> order{};
    for (size_t k = 0; k < kDamageKinds; ++k) {
        order[k] = k;
    }
    const size_t odd = static_cast<size_t>(Damage::Odd);
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return (a == odd) != (b == odd) ? a == odd : byKind[a].size() < byKind[b].size();
    });
    std::vector<size_t> chosen;
    size_t left = count;
    for (size_t n = 0; n < kDamageKinds; ++n) {
        const std::vector<size_t>& kind = byKind[order[n]];
        const size_t take = std::min(kind.size(), n == 0 ? left : left / (kDamageKinds - n));
        for (size_t j = 0; j < take; ++j) {
            chosen.push_back(kind[j * kind.size() / take]);
        }
        left -= take;
    }
    std::sort(chosen.begin(), chosen.end());
    std::vector<HostileFile> sample;
    for (size_t i : chosen) {
        sample.push_back(std::move(all[i]));
    }
    return sample;
}

std::wstring HostileFileName(size_t index, const HostileFile& file)
{
    std::wstring number = std::to_wstring(index);
    number.insert(0, number.size() < 4 ? 4 - number.size() : 0, L'0');
    static const wchar_t* const kMiddles[] = {L"-", L" with spaces ", L" 损坏的图片 ", L" 雪人\u2603 "};
    std::wstring name = L"h" + number + kMiddles[index % 4];
    for (char c : file.label.substr(0, 40)) {
        name.push_back(static_cast<wchar_t>(c));
    }
    static const wchar_t* const kBmp[] = {L".bmp", L".BMP"};
    static const wchar_t* const kJpeg[] = {L".jpg", L".JPG"};
    return name + (file.jpeg ? kJpeg : kBmp)[index / 4 % 2];
}

}  // namespace kavlor::test
