// JPEG through libjpeg-turbo: writing a raster as a baseline 4:4:4 JFIF file, and reading any
// common JPEG into a BMP file. libjpeg reports errors through a callback that must not return;
// ours jumps back to the call (setjmp/longjmp), so no error can end the process. Nothing with a
// destructor is created between a setjmp and the libjpeg calls that may jump back to it.
#include <algorithm>
#include <atomic>
#include <bit>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstring>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "codec/Bmp.h"
#include "codec/Codec.h"
#include "codec/ImageFile.h"

namespace kavlor {

namespace {

// More scans than any real progressive file has; many tiny scans over a large picture would
// otherwise keep the decoder busy for minutes.
constexpr int kMaxScans = 500;
// libjpeg's own memory (coefficient buffers of progressive files, at most two bytes per sample
// of four components at the largest picture allowed), beside the output BMP.
constexpr long kMaxDecoderMemory = static_cast<long>(kMaxPicturePixels) * 8 + (16L << 20);
constexpr size_t kOutputChunkBytes = 64 * 1024;
// From this size up a picture decoded into memory is decoded in two parts at once.
constexpr int64_t kTwoPartPixels = 1 << 19;

struct ErrorHandler {
    jpeg_error_mgr pub;  // first: libjpeg passes its address as cinfo->err
    std::jmp_buf jump;
    bool writeFailed;
    bool dataEnded;  // the data ended before the end marker
    bool resynced;   // a restart marker was out of order
};

// Warnings about damaged compressed data make the whole file damaged: libjpeg would otherwise
// fill what it could not decode with grey and call the picture complete. Not so three quirks that
// every viewer takes: the data ending where the end marker should be, stray bytes before a
// marker, and restart markers out of order. After one of those the decoder finds its place at
// the next restart marker, which ends the interval in work early; that early end (also what data
// cut short inside a scan gives) is damage only where no resync explains it. Warnings about
// metadata only (JFIF version, Adobe transform code, ICC profile) are ignored.
bool WarningMeansDamage(ErrorHandler& handler, int code)
{
    switch (code) {
    case JWRN_JPEG_EOF: handler.dataEnded = true; return false;
    case JWRN_MUST_RESYNC: handler.resynced = true; return false;
    case JWRN_HIT_MARKER: return handler.dataEnded || !handler.resynced;
    case JWRN_EXTRANEOUS_DATA:
    case JWRN_JFIF_MAJOR:
    case JWRN_ADOBE_XFORM:
    case JWRN_BOGUS_ICC: return false;
    default: return true;
    }
}

[[noreturn]] void JumpBack(j_common_ptr cinfo)
{
    std::longjmp(reinterpret_cast<ErrorHandler*>(cinfo->err)->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level)
{
    if (level < 0 && WarningMeansDamage(*reinterpret_cast<ErrorHandler*>(cinfo->err), cinfo->err->msg_code)) {
        JumpBack(cinfo);
    }
}

void Silent(j_common_ptr) {}

void InitErrors(ErrorHandler& handler)
{
    jpeg_std_error(&handler.pub);
    handler.pub.error_exit = JumpBack;
    handler.pub.emit_message = EmitMessage;
    handler.pub.output_message = Silent;
    handler.writeFailed = false;
    handler.dataEnded = false;
    handler.resynced = false;
}

CodecError ErrorOf(const ErrorHandler& handler)
{
    if (handler.writeFailed) {
        return CodecError::WriteFailed;
    }
    switch (handler.pub.msg_code) {
    case JERR_OUT_OF_MEMORY:
    case JERR_NO_BACKING_STORE:
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW: return CodecError::TooLarge;
    default: return CodecError::Damaged;
    }
}

// Output in chunks to the sink.
struct Destination {
    jpeg_destination_mgr pub;  // first: libjpeg passes its address as cinfo->dest
    const ByteSink* sink;
    ErrorHandler* errors;
    uint8_t* buffer;
};

void InitDestination(j_compress_ptr cinfo)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    dest->pub.next_output_byte = dest->buffer;
    dest->pub.free_in_buffer = kOutputChunkBytes;
}

void Flush(j_compress_ptr cinfo, size_t bytes)
{
    auto* dest = reinterpret_cast<Destination*>(cinfo->dest);
    if (bytes > 0 && !(*dest->sink)(dest->buffer, bytes)) {
        dest->errors->writeFailed = true;
        ERREXIT(cinfo, JERR_FILE_WRITE);
    }
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo)
{
    Flush(cinfo, kOutputChunkBytes);
    InitDestination(cinfo);
    return TRUE;
}

void TermDestination(j_compress_ptr cinfo)
{
    Flush(cinfo, kOutputChunkBytes - cinfo->dest->free_in_buffer);
}

struct ScanLimit {
    jpeg_progress_mgr pub;  // first: libjpeg passes its address as cinfo->progress
};

void CheckScans(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
        cinfo->err->msg_code = JERR_BAD_SCAN_SCRIPT;
        JumpBack(cinfo);
    }
}

// JFIF density from pixels per metre: dots per inch, or no unit when the resolution is unknown.
void SetDensity(jpeg_compress_struct& cinfo, int32_t xPixelsPerMetre, int32_t yPixelsPerMetre)
{
    auto dpi = [](int32_t ppm) {
        const int64_t value = (static_cast<int64_t>(ppm) * 254 + 5000) / 10000;
        return static_cast<UINT16>(value < 1 ? 1 : value > 65535 ? 65535 : value);
    };
    cinfo.write_JFIF_header = TRUE;
    if (xPixelsPerMetre <= 0 || yPixelsPerMetre <= 0) {
        cinfo.density_unit = 0;
        cinfo.X_density = 1;
        cinfo.Y_density = 1;
    } else {
        cinfo.density_unit = 1;
        cinfo.X_density = dpi(xPixelsPerMetre);
        cinfo.Y_density = dpi(yPixelsPerMetre);
    }
}

int32_t PixelsPerMetreFromDensity(int unit, UINT16 density)
{
    switch (unit) {
    case 1: return PixelsPerMetre(density);
    case 2: return static_cast<int32_t>(density) * 100;
    default: return 0;  // only an aspect ratio, or nothing
    }
}

void PutU32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        p[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

// CMYK as Adobe writes it (inverted, flagged by its APP14 marker) or plain, to blue-green-red,
// with a fourth byte of 0 when the output has four bytes a pixel.
void CmykToBgr(const uint8_t* cmyk, int width, bool inverted, uint8_t* out, int outBytes)
{
    for (int x = 0; x < width; ++x, out += outBytes) {
        uint32_t c = cmyk[4 * x];
        uint32_t m = cmyk[4 * x + 1];
        uint32_t y = cmyk[4 * x + 2];
        uint32_t k = cmyk[4 * x + 3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        out[0] = static_cast<uint8_t>((y * k + 127) / 255);
        out[1] = static_cast<uint8_t>((m * k + 127) / 255);
        out[2] = static_cast<uint8_t>((c * k + 127) / 255);
        if (outBytes == 4) {
            out[3] = 0;
        }
    }
}

// Whole pixels at a time, which compilers turn into a few vector instructions a row.
void ClearFourthBytes(uint8_t* row, int32_t width)
{
    for (int32_t x = 0; x < width; ++x) {
        uint32_t pixel;
        std::memcpy(&pixel, row + 4 * x, 4);
        pixel &= std::endian::native == std::endian::little ? 0x00FFFFFFu : 0xFFFFFF00u;
        std::memcpy(row + 4 * x, &pixel, 4);
    }
}

// What a decode is told once the header is read: the output's size and kind, and the resolution.
struct JpegPicture {
    int32_t width = 0;
    int32_t height = 0;
    bool grey = false;
    int32_t xPixelsPerMetre = 0;
    int32_t yPixelsPerMetre = 0;
    bool singleScan = false;  // every row can come out before the rest of the file is read
    int32_t mcuRows = 8;      // output rows a row of MCUs gives
};

// The decoding that every reader of JPEG shares: the limits, the rules for damaged data, and
// greyscale, CMYK and YCCK files. `pixelBytes` is what the output takes a pixel: 0 for the
// file's own kind (one byte of grey, or blue-green-red), 3 or 4 for blue-green-red always (and
// a zero byte). `begin(picture)` takes the output's memory once its size is known and must not
// throw; `rowAt(y)` then gives where each output row from the top goes. A size to fit lets the
// decoder scale in the frequency domain, which costs a fraction of a full decode. A null row
// stops the decode with WriteFailed. Only the output rows from `firstRow` up to `endRow` are
// given out: those above are skipped, which decodes their compressed data but nothing more.
template <typename Begin, typename RowAt>
CodecError DecodeJpeg(std::span<const uint8_t> jpeg, int32_t fitWidth, int32_t fitHeight, int pixelBytes, Begin begin,
                      RowAt rowAt, int32_t firstRow = 0, int32_t endRow = INT32_MAX)
{
    std::vector<uint8_t> cmykRow;
    jpeg_decompress_struct cinfo;
    std::memset(&cinfo, 0, sizeof(cinfo));
    ErrorHandler errors;
    InitErrors(errors);
    ScanLimit progress{};
    progress.pub.progress_monitor = CheckScans;
    cinfo.err = &errors.pub;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return ErrorOf(errors);
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    cinfo.progress = &progress.pub;
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (!PictureSizeAllowed(cinfo.image_width, cinfo.image_height)) {
        jpeg_destroy_decompress(&cinfo);
        return CodecError::TooLarge;
    }
    const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    const int outBytes = pixelBytes != 0 ? pixelBytes : grey ? 1 : 3;
    cinfo.out_color_space = cmyk            ? JCS_CMYK
                            : outBytes == 1 ? JCS_GRAYSCALE
                            : outBytes == 4 ? JCS_EXT_BGRX
                                            : JCS_EXT_BGR;
    for (unsigned denominator = 8; denominator > 1 && fitWidth > 0 && fitHeight > 0; denominator /= 2) {
        // Three quarters of the size asked for is near enough for a picture that is stretched.
        if (cinfo.image_width / denominator * 4 >= static_cast<JDIMENSION>(fitWidth) * 3 &&
            cinfo.image_height / denominator * 4 >= static_cast<JDIMENSION>(fitHeight) * 3) {
            cinfo.scale_num = 1;
            cinfo.scale_denom = denominator;
            break;
        }
    }
    jpeg_calc_output_dimensions(&cinfo);
    const JpegPicture picture{static_cast<int32_t>(cinfo.output_width),
                              static_cast<int32_t>(cinfo.output_height),
                              outBytes == 1,
                              PixelsPerMetreFromDensity(cinfo.density_unit, cinfo.X_density),
                              PixelsPerMetreFromDensity(cinfo.density_unit, cinfo.Y_density),
                              !jpeg_has_multiple_scans(&cinfo),
                              cinfo.max_v_samp_factor * cinfo.min_DCT_scaled_size};
    CodecError begun = begin(picture);
    if (begun == CodecError::None && cmyk) {
        try {
            cmykRow.resize(static_cast<size_t>(picture.width) * 4);
        } catch (const std::bad_alloc&) {
            begun = CodecError::TooLarge;
        }
    }
    if (begun != CodecError::None) {
        jpeg_destroy_decompress(&cinfo);
        return begun;
    }
    jpeg_start_decompress(&cinfo);
    if (firstRow > 0) {
        jpeg_skip_scanlines(&cinfo, static_cast<JDIMENSION>(firstRow));
    }
    const auto end = static_cast<JDIMENSION>(std::clamp(endRow, 0, picture.height));
    while (cinfo.output_scanline < end) {
        uint8_t* row = rowAt(static_cast<int32_t>(cinfo.output_scanline));
        if (!row) {
            jpeg_destroy_decompress(&cinfo);
            return CodecError::WriteFailed;
        }
        JSAMPROW target = cmyk ? cmykRow.data() : row;
        jpeg_read_scanlines(&cinfo, &target, 1);
        if (cmyk) {
            CmykToBgr(cmykRow.data(), picture.width, cinfo.saw_Adobe_marker != FALSE, row, outBytes);
        } else if (outBytes == 4) {
            ClearFourthBytes(row, picture.width);  // libjpeg-turbo fills them with 255
        }
    }
    // Every pixel asked for is decoded: whatever follows is not read.
    jpeg_destroy_decompress(&cinfo);
    return CodecError::None;
}

}  // namespace

CodecError EncodeJpeg(const PixelRows& pixels, const ByteSink& sink)
{
    std::vector<uint8_t> buffer(kOutputChunkBytes);
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof(cinfo));
    ErrorHandler errors;
    InitErrors(errors);
    Destination dest{{}, &sink, &errors, buffer.data()};
    dest.pub.init_destination = InitDestination;
    dest.pub.empty_output_buffer = EmptyOutputBuffer;
    dest.pub.term_destination = TermDestination;
    cinfo.err = &errors.pub;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return ErrorOf(errors);
    }
    jpeg_create_compress(&cinfo);
    cinfo.dest = &dest.pub;
    cinfo.image_width = static_cast<JDIMENSION>(pixels.width);
    cinfo.image_height = static_cast<JDIMENSION>(pixels.height);
    cinfo.input_components = pixels.bytesPerPixel;
    cinfo.in_color_space = pixels.bytesPerPixel == 4 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, kJpegQuality, TRUE);
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;  // 4:4:4, no chroma subsampling
        cinfo.comp_info[i].v_samp_factor = 1;
    }
    SetDensity(cinfo, pixels.xPixelsPerMetre, pixels.yPixelsPerMetre);
    jpeg_start_compress(&cinfo, TRUE);
    JSAMPROW rows[16];
    while (cinfo.next_scanline < cinfo.image_height) {
        JDIMENSION count = 0;
        for (; count < 16 && cinfo.next_scanline + count < cinfo.image_height; ++count) {
            rows[count] =
                const_cast<JSAMPROW>(pixels.top + pixels.step * static_cast<ptrdiff_t>(cinfo.next_scanline + count));
        }
        jpeg_write_scanlines(&cinfo, rows, count);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return CodecError::None;
}

// Uncompressed 24- and 32-bit files, most of those met, go to the encoder straight from the file.
CodecError ConvertBmpToJpeg(std::span<const uint8_t> bmp, const ByteSink& sink)
{
    if (std::optional<PixelRows> rows = BmpRowsInPlace(bmp)) {
        return EncodeJpeg(*rows, sink);
    }
    Raster raster;
    if (CodecError error = ReadBmp(bmp, raster); error != CodecError::None) {
        return error;
    }
    return EncodeJpeg(raster.Rows(), sink);
}

// The JPEG's rows come from the top and the BMP file's from the bottom: a band of rows is
// decoded into memory in the file's order and placed where it lies in the file, so that no more
// than the band is ever held.
CodecError ConvertJpegToPlacedBmp(std::span<const uint8_t> jpeg, const PlacedSink& sink, int32_t fitWidth,
                                  int32_t fitHeight)
{
    constexpr size_t kBandBytes = 1024 * 1024;
    std::vector<uint8_t> band;
    BmpLayout layout{};
    int32_t height = 0;
    int32_t bandRows = 0;
    int32_t bandTop = 0;  // the first picture row of the band in work
    // The band's rows from bandTop, bottom row first, at their place in the file.
    auto place = [&](int32_t rows) {
        const size_t at = layout.pixelOffset + size_t{layout.stride} * static_cast<size_t>(height - bandTop - rows);
        const size_t skipped = size_t{layout.stride} * static_cast<size_t>(bandRows - rows);
        return sink(at, band.data() + skipped, band.size() - skipped);
    };
    auto begin = [&](const JpegPicture& picture) {
        const uint16_t bitCount = picture.grey ? 8 : 24;
        const std::optional<BmpLayout> planned = PlanBmp(picture.width, picture.height, bitCount);
        if (!planned) {
            return CodecError::TooLarge;
        }
        layout = *planned;
        height = picture.height;
        bandRows = static_cast<int32_t>(std::clamp<size_t>(kBandBytes / layout.stride, 1, static_cast<size_t>(height)));
        std::vector<uint8_t> headers;
        try {
            headers.resize(layout.pixelOffset);
            band.resize(size_t{layout.stride} * static_cast<size_t>(bandRows));  // zero: the rows' padding
        } catch (const std::bad_alloc&) {
            return CodecError::TooLarge;
        }
        const auto fixed = BmpHeaders(layout, picture.width, picture.height, bitCount, picture.xPixelsPerMetre);
        std::memcpy(headers.data(), fixed.data(), fixed.size());
        PutU32(&headers[42], static_cast<uint32_t>(picture.yPixelsPerMetre));
        for (uint32_t i = 0; i < layout.colorCount; ++i) {
            uint8_t* entry = &headers[fixed.size() + 4 * i];
            entry[0] = entry[1] = entry[2] = static_cast<uint8_t>(i);
        }
        return sink(0, headers.data(), headers.size()) ? CodecError::None : CodecError::WriteFailed;
    };
    auto rowAt = [&](int32_t y) -> uint8_t* {
        if (y == bandTop + bandRows) {
            if (!place(bandRows)) {
                return nullptr;
            }
            bandTop = y;
        }
        const int32_t rows = std::min(bandRows, height - bandTop);
        return band.data() + size_t{layout.stride} * static_cast<size_t>(bandRows - rows + (rows - 1 - (y - bandTop)));
    };
    if (CodecError error = DecodeJpeg(jpeg, fitWidth, fitHeight, 0, begin, rowAt); error != CodecError::None) {
        return error;
    }
    return place(height - bandTop) ? CodecError::None : CodecError::WriteFailed;
}

// Collected in memory, where the bands find their places, and given out in order.
CodecError ConvertJpegToSmallBmp(std::span<const uint8_t> jpeg, const ByteSink& sink, int32_t fitWidth,
                                 int32_t fitHeight)
{
    std::vector<uint8_t> file;
    bool tooLarge = false;
    const PlacedSink collect = [&](size_t at, const uint8_t* data, size_t bytes) {
        try {
            if (file.size() < at + bytes) {
                file.resize(at + bytes);
            }
        } catch (const std::bad_alloc&) {
            tooLarge = true;
            return false;
        }
        std::memcpy(file.data() + at, data, bytes);
        return true;
    };
    if (CodecError error = ConvertJpegToPlacedBmp(jpeg, collect, fitWidth, fitHeight); error != CodecError::None) {
        return tooLarge ? CodecError::TooLarge : error;
    }
    return sink(file.data(), file.size()) ? CodecError::None : CodecError::WriteFailed;
}

CodecError ConvertJpegToBmp(std::span<const uint8_t> jpeg, const ByteSink& sink)
{
    return ConvertJpegToSmallBmp(jpeg, sink, 0, 0);
}

}  // namespace kavlor

namespace kavlor {

bool LooksLikeJpeg(std::span<const uint8_t> file)
{
    return file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF;
}

// Where a second decoder takes over a picture decoded in two parts at once: at the start of a row
// of MCUs some three fifths of the way down, for a large picture in a single scan on a machine of
// two processors or more. The second skips the rows above by decoding their compressed data
// alone, a fraction of the whole work, so the two parts take about as long. A file of several
// scans is read whole before any row comes out, which would be done twice: it gets one decoder,
// as does any picture whose header cannot be read here. The picture's height means one decoder.
int32_t LowerPartStart(std::span<const uint8_t> jpeg, int32_t width, int32_t height)
{
    if (int64_t{width} * height < kTwoPartPixels || std::thread::hardware_concurrency() < 2) {
        return height;
    }
    int32_t split = height;
    auto begin = [&](const JpegPicture& picture) {
        const int32_t upper = height * 3 / 5 / picture.mcuRows * picture.mcuRows;
        split = picture.singleScan && upper > 0 ? upper : height;
        return CodecError::Damaged;  // any error ends the decode here
    };
    DecodeJpeg(jpeg, 0, 0, 3, begin, [](int32_t) -> uint8_t* { return nullptr; });
    return split;
}

// The decode stops once the header has given the size, before any pixel memory is taken.
CodecError ReadJpegSize(std::span<const uint8_t> jpeg, int32_t& width, int32_t& height)
{
    bool sized = false;
    auto begin = [&](const JpegPicture& picture) {
        width = picture.width;
        height = picture.height;
        sized = true;
        return CodecError::Damaged;  // any error ends the decode here
    };
    const CodecError error = DecodeJpeg(jpeg, 0, 0, 3, begin, [](int32_t) -> uint8_t* { return nullptr; });
    return sized ? CodecError::None : error;
}

// Two decoders share a large picture: this thread's takes the upper rows, another thread's skips
// them and takes the rest. Each judges the data it reads as a single decoder would, so the result
// is the first error in the file's order: the upper part's, else the lower part's.
CodecError ReadJpegPixels(std::span<const uint8_t> jpeg, PixelCanvas& canvas)
{
    auto begin = [&](const JpegPicture& picture) {
        return picture.width == canvas.width && picture.height == canvas.height ? CodecError::None
                                                                                : CodecError::Damaged;
    };
    auto rowAt = [&](int32_t y) { return canvas.Row(y); };
    // Once the upper part has failed, the lower one stops at its next row.
    std::atomic<bool> upperFailed{false};
    auto lowerRowAt = [&](int32_t y) { return upperFailed ? nullptr : rowAt(y); };
    const int32_t split = LowerPartStart(jpeg, canvas.width, canvas.height);
    CodecError lowerError = CodecError::None;
    std::optional<std::thread> lower;
    if (split < canvas.height) {
        try {
            lower.emplace([&] { lowerError = DecodeJpeg(jpeg, 0, 0, canvas.bytesPerPixel, begin, lowerRowAt, split); });
        } catch (const std::system_error&) {
            // No thread to be had: this one decodes every row.
        }
    }
    const CodecError upperError =
        DecodeJpeg(jpeg, 0, 0, canvas.bytesPerPixel, begin, rowAt, 0, lower ? split : INT32_MAX);
    upperFailed = upperError != CodecError::None;
    if (lower) {
        lower->join();
    }
    return upperFailed ? upperError : lowerError;
}

}  // namespace kavlor
