// The picture size that files of the formats left to the system's decoders (PNG, GIF, TIFF,
// icons) declare in their headers. Those decoders decode a whole picture before they tell its
// size, so a few kilobytes claiming a huge picture would cost minutes and gigabytes before the
// size limit could refuse it: the header is read here first.
#pragma once
#include <cstdint>
#include <span>

namespace kavlor {

enum class PictureFormat { Png, Gif, Tiff, Icon, Other };

struct DeclaredSize {
    PictureFormat format = PictureFormat::Other;
    // The largest width and height any picture of the file declares (a GIF's screen and each
    // frame, each page of a TIFF, each image of an icon); 0 where the headers are cut short.
    uint64_t width = 0;
    uint64_t height = 0;
    // A GIF's frames together: the system's decoder decodes every frame when it opens the file.
    uint64_t allFramePixels = 0;
};

// The file's format by its first bytes, and what its headers declare.
DeclaredSize ReadDeclaredSize(std::span<const uint8_t> file);

}  // namespace kavlor
