// Generated test pictures, the test BMP encoder and the test JPEG writer.
#include "tests/convert/TestPictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include <jpeglib.h>

namespace kavlor::test {

namespace {

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

uint8_t Clamp(double v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// One row of indices as RLE8 or RLE4 codes: skipped stretches of index 0 as deltas, runs of
// one index (RLE4: of an alternating pair) and absolute runs of mixed indices.
void EncodeRleRow(const uint8_t* row, int32_t width, bool rle4, std::vector<uint8_t>& out)
{
    auto runLength = [&](int32_t x) {
        int32_t n = 1;
        while (x + n < width && n < 255 && row[x + n] == row[x + (rle4 ? n % 2 : 0)]) {
            ++n;
        }
        return n;
    };
    int32_t x = 0;
    while (x < width) {
        int32_t zeros = 0;
        while (x + zeros < width && row[x + zeros] == 0) {
            ++zeros;
        }
        if (zeros >= 4 && x + zeros < width) {
            const int32_t skip = std::min(zeros, 255);
            out.insert(out.end(), {0, 2, static_cast<uint8_t>(skip), 0});
            x += skip;
            continue;
        }
        int32_t run = runLength(x);
        if (run >= 3 || width - x < 3) {
            run = width - x < 3 ? 1 : run;
            out.push_back(static_cast<uint8_t>(run));
            out.push_back(rle4 ? static_cast<uint8_t>(row[x] << 4 | (run > 1 ? row[x + 1] : 0)) : row[x]);
            x += run;
            continue;
        }
        int32_t count = 3;
        while (x + count < width && count < 255 && runLength(x + count) < 3) {
            ++count;
        }
        out.push_back(0);
        out.push_back(static_cast<uint8_t>(count));
        std::vector<uint8_t> bytes;
        for (int32_t i = 0; i < count; ++i) {
            if (!rle4) {
                bytes.push_back(row[x + i]);
            } else if (i % 2 == 0) {
                bytes.push_back(static_cast<uint8_t>(row[x + i] << 4));
            } else {
                bytes.back() |= row[x + i];
            }
        }
        if (bytes.size() % 2 != 0) {
            bytes.push_back(0);
        }
        out.insert(out.end(), bytes.begin(), bytes.end());
        x += count;
    }
}

std::vector<uint8_t> EncodeRle(const IndexedPicture& picture, const BmpFormat& format)
{
    std::vector<uint8_t> out;
    const bool rle4 = format.compression == kBmpRle4;
    auto rowAt = [&](int32_t fileRow) {
        const int32_t y = format.topDown ? fileRow : picture.height - 1 - fileRow;
        return &picture.indices[static_cast<size_t>(y) * picture.width];
    };
    auto blank = [&](int32_t fileRow) {
        const uint8_t* row = rowAt(fileRow);
        return std::all_of(row, row + picture.width, [](uint8_t i) { return i == 0; });
    };
    for (int32_t fileRow = 0; fileRow < picture.height;) {
        int32_t blankRows = 0;
        while (fileRow + blankRows < picture.height - 1 && blankRows < 255 && blank(fileRow + blankRows)) {
            ++blankRows;
        }
        if (blankRows > 0) {
            out.insert(out.end(), {0, 2, 0, static_cast<uint8_t>(blankRows)});  // delta down
            fileRow += blankRows;
            continue;
        }
        EncodeRleRow(rowAt(fileRow), picture.width, rle4, out);
        if (++fileRow < picture.height) {
            out.insert(out.end(), {0, 0});  // end of line
        }
    }
    out.insert(out.end(), {0, 1});  // end of bitmap
    return out;
}

std::vector<uint8_t> Assemble(int32_t width, int32_t height, const BmpFormat& format,
                              const std::vector<std::array<uint8_t, 3>>& table, const std::vector<uint8_t>& pixels)
{
    const bool core = format.header == BmpHeader::Core;
    const uint32_t headerBytes = core                                 ? 12
                                 : format.header == BmpHeader::Info   ? 40
                                 : format.header == BmpHeader::InfoV4 ? 108
                                                                      : 124;
    const bool masksAfter = format.header == BmpHeader::Info && format.compression == kBmpBitFields;
    const uint32_t tableBytes = static_cast<uint32_t>(table.size()) * (core ? 3 : 4);
    const uint32_t offset = 14 + headerBytes + (masksAfter ? 12 : 0) + tableBytes;
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    Put(out, offset + static_cast<uint32_t>(pixels.size()), 4);
    Put(out, 0, 4);
    Put(out, offset, 4);
    Put(out, headerBytes, 4);
    if (core) {
        Put(out, static_cast<uint32_t>(width), 2);
        Put(out, static_cast<uint32_t>(height), 2);
        Put(out, 1, 2);
        Put(out, format.bits, 2);
    } else {
        Put(out, static_cast<uint32_t>(width), 4);
        Put(out, static_cast<uint32_t>(format.topDown ? -height : height), 4);
        Put(out, 1, 2);
        Put(out, format.bits, 2);
        Put(out, format.compression, 4);
        Put(out, static_cast<uint32_t>(pixels.size()), 4);
        Put(out, static_cast<uint32_t>(format.pixelsPerMetre), 4);
        Put(out, static_cast<uint32_t>(format.pixelsPerMetre), 4);
        Put(out, format.tableColors, 4);
        Put(out, 0, 4);
        if (headerBytes > 40) {
            for (uint32_t mask : format.masks) {
                Put(out, mask, 4);
            }
            Put(out, 0, 4);  // alpha mask
            out.insert(out.end(), {'B', 'G', 'R', 's'});
            out.resize(14 + headerBytes, 0);
        }
        if (masksAfter) {
            for (uint32_t mask : format.masks) {
                Put(out, mask, 4);
            }
        }
    }
    for (const auto& color : table) {
        out.insert(out.end(), color.begin(), color.end());
        if (!core) {
            out.push_back(0);
        }
    }
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

uint32_t Quantize(uint8_t value, uint32_t mask)
{
    if (mask == 0) {
        return 0;
    }
    int shift = 0;
    while (((mask >> shift) & 1) == 0) {
        ++shift;
    }
    const uint32_t top = mask >> shift;
    return static_cast<uint32_t>((static_cast<uint64_t>(value) * top + 127) / 255) << shift;
}

}  // namespace

Raster MakeRaster(int32_t width, int32_t height)
{
    Raster r;
    r.width = width;
    r.height = height;
    r.stride = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    r.pixels.assign(static_cast<size_t>(r.stride) * height, 0);
    return r;
}

Raster PhotoLike(int32_t width, int32_t height, uint32_t variant)
{
    Raster r = MakeRaster(width, height);
    std::mt19937 random(variant);
    std::normal_distribution<double> grain(0.0, 1.5);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = r.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double v = static_cast<double>(y) / height;
            const double light = 0.5 + 0.5 * std::sin(3.1 * u + 1.7 * v) * std::cos(2.3 * v - 0.8 * u);
            row[3 * x] = Clamp(40 + 150 * light * (1 - v) + grain(random));
            row[3 * x + 1] = Clamp(60 + 120 * light + 30 * u + grain(random));
            row[3 * x + 2] = Clamp(90 + 130 * light * v + 20 * std::sin(9 * u) + grain(random));
        }
    }
    return r;
}

Raster ScreenshotLike(int32_t width, int32_t height)
{
    Raster r = MakeRaster(width, height);
    const uint8_t colors[][3] = {{255, 255, 255}, {240, 240, 240}, {0, 0, 0},
                                 {200, 120, 0},   {30, 30, 200},   {0, 140, 0}};
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = r.Row(y);
        for (int32_t x = 0; x < width; ++x) {
            int c = y < 30 ? 4 : (x < 200 ? 1 : 0);  // title bar, side panel, page
            if (y % 40 == 0 || x % 160 == 0) {
                c = 2;  // one-pixel lines
            }
            // Text-like strokes: short dark and coloured dashes on lines of 16 pixels.
            if (y > 40 && y % 16 < 9 && x % 160 > 8 && ((x * 7 + y * 3) / 5) % 11 < 3 && (x / 53 + y / 16) % 4 != 0) {
                c = (x / 160 + y / 16) % 3 == 0 ? 3 : (y / 16) % 5 == 0 ? 5 : 2;
            }
            std::memcpy(row + 3 * x, colors[c], 3);
        }
    }
    return r;
}

Raster IndexedPicture::ToRaster() const
{
    Raster r = MakeRaster(width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            std::memcpy(r.Row(y) + 3 * x, palette[indices[static_cast<size_t>(y) * width + x]].data(), 3);
        }
    }
    return r;
}

IndexedPicture MakeIndexed(int32_t width, int32_t height, uint32_t colors, uint32_t variant)
{
    IndexedPicture p;
    p.width = width;
    p.height = height;
    std::mt19937 random(variant);
    for (uint32_t i = 0; i < colors; ++i) {
        p.palette.push_back(
            {static_cast<uint8_t>(random()), static_cast<uint8_t>(random()), static_cast<uint8_t>(random())});
    }
    p.indices.resize(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint32_t index = 0;
            const int32_t band = (y / 3 + x / 9) % 5;
            if (y % 7 == 3) {
                index = 0;  // whole blank rows
            } else if (band == 1) {
                index = (y * 3 + 1) % colors;  // runs
            } else if (band == 2) {
                index = (x % 2 == 0 ? 1 : 2) % colors;  // alternating pairs
            } else if (band >= 3) {
                index = random() % colors;  // noise
            }
            p.indices[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(index);
        }
    }
    return p;
}

std::vector<uint8_t> EncodeBmp(const IndexedPicture& picture, const BmpFormat& format)
{
    std::vector<uint8_t> pixels;
    if (format.compression == kBmpRle8 || format.compression == kBmpRle4) {
        pixels = EncodeRle(picture, format);
    } else {
        const uint32_t stride = (static_cast<uint32_t>(picture.width) * format.bits + 31) / 32 * 4;
        pixels.assign(static_cast<size_t>(stride) * picture.height, 0);
        for (int32_t fileRow = 0; fileRow < picture.height; ++fileRow) {
            const int32_t y = format.topDown ? fileRow : picture.height - 1 - fileRow;
            uint8_t* out = &pixels[static_cast<size_t>(stride) * fileRow];
            for (int32_t x = 0; x < picture.width; ++x) {
                const uint32_t index = picture.indices[static_cast<size_t>(y) * picture.width + x];
                const uint32_t bit = static_cast<uint32_t>(x) * format.bits;
                out[bit / 8] |= static_cast<uint8_t>(index << (8 - format.bits - bit % 8));
            }
        }
    }
    std::vector<std::array<uint8_t, 3>> table = picture.palette;
    table.resize(format.tableColors != 0 ? format.tableColors : size_t{1} << format.bits);
    return Assemble(picture.width, picture.height, format, table, pixels);
}

std::vector<uint8_t> EncodeBmp(const Raster& raster, const BmpFormat& format)
{
    const uint32_t bytesPerPixel = format.bits / 8u;
    const uint32_t stride = (static_cast<uint32_t>(raster.width) * format.bits + 31) / 32 * 4;
    std::array<uint32_t, 3> masks = format.masks;
    if (format.compression == kBmpRgb) {
        masks = format.bits == 16 ? std::array<uint32_t, 3>{0x7C00, 0x3E0, 0x1F}
                                  : std::array<uint32_t, 3>{0xFF0000, 0xFF00, 0xFF};
    }
    std::vector<uint8_t> pixels(static_cast<size_t>(stride) * raster.height, 0);
    for (int32_t fileRow = 0; fileRow < raster.height; ++fileRow) {
        const uint8_t* in = raster.Row(format.topDown ? fileRow : raster.height - 1 - fileRow);
        uint8_t* out = &pixels[static_cast<size_t>(stride) * fileRow];
        for (int32_t x = 0; x < raster.width; ++x) {
            const uint8_t* bgr = in + 3 * x;
            if (format.bits == 24) {
                std::memcpy(out + 3 * x, bgr, 3);
                continue;
            }
            const uint32_t v = Quantize(bgr[2], masks[0]) | Quantize(bgr[1], masks[1]) | Quantize(bgr[0], masks[2]);
            for (uint32_t i = 0; i < bytesPerPixel; ++i) {
                out[bytesPerPixel * x + i] = static_cast<uint8_t>(v >> (8 * i));
            }
        }
    }
    return Assemble(raster.width, raster.height, format, {}, pixels);
}

std::vector<uint8_t> EncodeTestJpeg(const Raster& raster, JpegKind kind, int quality)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr errors;
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(raster.width);
    cinfo.image_height = static_cast<JDIMENSION>(raster.height);
    const bool cmyk = kind == JpegKind::Cmyk || kind == JpegKind::Ycck;
    std::vector<jpeg_scan_info> scans;
    cinfo.input_components = cmyk ? 4 : 3;
    cinfo.in_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    switch (kind) {
    case JpegKind::Progressive: jpeg_simple_progression(&cinfo); break;
    case JpegKind::Grey: jpeg_set_colorspace(&cinfo, JCS_GRAYSCALE); break;
    case JpegKind::Restart: cinfo.restart_interval = 3; break;
    case JpegKind::Cmyk: jpeg_set_colorspace(&cinfo, JCS_CMYK); break;
    case JpegKind::Ycck: jpeg_set_colorspace(&cinfo, JCS_YCCK); break;
    case JpegKind::ManyScans:
        scans.push_back({3, {0, 1, 2}, 0, 0, 0, 0});
        for (int component = 0; component < 3; ++component) {
            for (int k = 1; k < 64; ++k) {
                for (int bit = 3; bit >= 0; --bit) {
                    scans.push_back({1, {component}, k, k, bit == 3 ? 0 : bit + 1, bit});
                }
            }
        }
        cinfo.scan_info = scans.data();
        cinfo.num_scans = static_cast<int>(scans.size());
        break;
    default: break;
    }
    if (kind != JpegKind::Subsampled) {
        for (int i = 0; i < cinfo.num_components; ++i) {
            cinfo.comp_info[i].h_samp_factor = 1;
            cinfo.comp_info[i].v_samp_factor = 1;
        }
    }
    jpeg_start_compress(&cinfo, TRUE);
    // CMYK as Adobe stores it: inverted, so a pixel's stored C, M, Y are its R, G, B and K is 255.
    std::vector<uint8_t> row(static_cast<size_t>(raster.width) * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        const uint8_t* in = raster.Row(static_cast<int32_t>(cinfo.next_scanline));
        JSAMPROW rowPointer = const_cast<JSAMPROW>(in);
        if (cmyk) {
            for (int32_t x = 0; x < raster.width; ++x) {
                row[4 * x] = in[3 * x + 2];
                row[4 * x + 1] = in[3 * x + 1];
                row[4 * x + 2] = in[3 * x];
                row[4 * x + 3] = 255;
            }
            rowPointer = row.data();
        }
        jpeg_write_scanlines(&cinfo, &rowPointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

double Psnr(const Raster& a, const Raster& b)
{
    double squares = 0;
    for (int32_t y = 0; y < a.height; ++y) {
        for (int32_t i = 0; i < a.width * 3; ++i) {
            const double d = static_cast<double>(a.Row(y)[i]) - b.Row(y)[i];
            squares += d * d;
        }
    }
    const double mse = squares / (static_cast<double>(a.width) * a.height * 3);
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

}  // namespace kavlor::test
