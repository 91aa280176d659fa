// Damaged and hostile picture files for every place the program reads pictures: BMP and JPEG
// files cut at each header field and segment, with bits flipped, extreme sizes and offsets,
// abused colour tables and RLE streams, broken JPEG segments, empty and huge files. The same
// files on every run; the host fuzz replay, the open command and the converter all take them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kavlor::test {

enum class Damage {
    None,        // an intact picture among the damaged ones
    Truncated,   // cut at a field or segment boundary, or inside one
    BitFlip,     // one bit flipped
    FieldValue,  // a header field set to an extreme value
    Palette,     // colour-table count, position or indices abused
    Rle,         // RLE runs, deltas and ends past the row, the picture or the data
    Segment,     // a JPEG marker segment with a bad length or garbage contents, dropped or doubled
    Odd,         // empty, a few bytes, text, other formats, a huge or mislabelled file
};
inline constexpr int kDamageKinds = 8;
const char* DamageName(Damage damage);

struct HostileFile {
    std::string label;  // what was done, unique, ASCII
    Damage damage = Damage::None;
    bool jpeg = false;  // the extension the file goes by
    std::vector<uint8_t> bytes;
    uint64_t fileBytes = 0;  // when larger than `bytes`: the file goes on with zeros to this size
};

// The largest picture allowed as a plain 24-bit BMP: a 300 MB file, zeros after the header.
HostileFile LargestPlainBmp();
// Every hostile file, thousands of them.
std::vector<HostileFile> HostileFiles();
// About `count` of them: every odd file, the rest spread evenly over every kind of damage.
std::vector<HostileFile> HostileSample(size_t count);
// A unique file name for the index-th file of a set: in turn plain, with spaces, in Chinese,
// and with a character that no ANSI code page holds (U+2603). The extension is .bmp or .jpg.
std::wstring HostileFileName(size_t index, const HostileFile& file);

}  // namespace kavlor::test
