// libFuzzer target over both conversions and the converter's preview: every input goes through
// BMP to JPEG, through JPEG to BMP and into a preview, and a JPEG that BMP to JPEG produced is
// read back. Sanitizers catch the faults; a conversion may only succeed or report an error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "codec/Codec.h"
#include "convert/Preview.h"

namespace {

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
    return 0;
}
