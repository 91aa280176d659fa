// libFuzzer target over both conversions, the converter's preview and the main window's open of
// a JPEG: every input goes through BMP to JPEG, through JPEG to BMP, into a preview and into
// memory as Open decodes it, and a JPEG that BMP to JPEG produced is read back. Sanitizers catch
// the faults; a conversion may only succeed or report an error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "codec/Codec.h"
#include "convert/Preview.h"

namespace {

// Rows of four bytes a pixel, as Open decodes into.
class WideCanvas : public kavlor::PixelCanvas {
public:
    WideCanvas(int32_t width, int32_t height)
        : PixelCanvas(4, width, height), m_pixels(static_cast<size_t>(width) * 4 * static_cast<size_t>(height))
    {
    }
    uint8_t* Row(int32_t y) override
    {
        return m_pixels.data() + static_cast<size_t>(width) * 4 * static_cast<size_t>(y);
    }

private:
    std::vector<uint8_t> m_pixels;
};

bool Known(kavlor::CodecError error)
{
    return error == kavlor::CodecError::None || error == kavlor::CodecError::Damaged ||
           error == kavlor::CodecError::TooLarge;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> input(data, size);
    std::vector<uint8_t> jpeg;
    const kavlor::CodecError toJpeg = kavlor::ConvertBmpToJpeg(input, [&jpeg](const uint8_t* bytes, size_t count) {
        jpeg.insert(jpeg.end(), bytes, bytes + count);
        return true;
    });
    size_t bmpBytes = 0;
    const kavlor::ByteSink count = [&bmpBytes](const uint8_t*, size_t bytes) {
        bmpBytes += bytes;
        return true;
    };
    const kavlor::CodecError toBmp = kavlor::ConvertJpegToBmp(input, count);
    kavlor::Raster preview;
    const kavlor::CodecError previewed = kavlor::DecodePreview(input, 160, 120, preview);
    if (!Known(toJpeg) || !Known(toBmp) || !Known(previewed) || (toJpeg == kavlor::CodecError::None) == jpeg.empty()) {
        std::abort();
    }
    if (toJpeg == kavlor::CodecError::None && kavlor::ConvertJpegToBmp(jpeg, count) != kavlor::CodecError::None) {
        std::abort();  // our own JPEG must read back
    }
    // Open decodes a large picture in two parts at once: it must judge the file as JPEG to BMP does.
    int32_t width = 0;
    int32_t height = 0;
    if (kavlor::ReadJpegSize(input, width, height) == kavlor::CodecError::None &&
        int64_t{width} * height <= (1 << 22)) {
        WideCanvas canvas(width, height);
        if ((kavlor::ReadJpegPixels(input, canvas) == kavlor::CodecError::None) !=
            (toBmp == kavlor::CodecError::None)) {
            std::abort();
        }
    }
    return 0;
}
