// Image files: BMPs read by our own reader and other pictures decoded through the Windows imaging
// component, into bitmaps in the screen's format; BMP, PNG and JPEG writing through GetDIBits and
// our own writers into a file that replaces the target only when complete.
#include "app/ImageFile_win.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "app/PictureHeader.h"
#include "base/MappedFile_win.h"
#include "base/ReplacingFile_win.h"
#include "base/SystemLibrary_win.h"
#include "codec/Bmp.h"
#include "codec/Codec.h"
#include "codec/ImageFile.h"
#include "codec/Png.h"

namespace kavlor {

using Microsoft::WRL::ComPtr;

namespace {

// Pixels travel between bitmap and decoder or file in bands of about this many bytes, so a
// large picture never needs a second full-size copy in memory.
constexpr size_t kBandBytes = size_t{4} << 20;
// The saves' bands are smaller: they stay in the processor's cache from GetDIBits to the writer,
// and the same few pages serve every band. A 1920x1080 BMP is written a third faster so.
constexpr size_t kSaveBandBytes = size_t{256} << 10;
// Larger files are no BMP of a picture within the size limit; WIC then says what they are.
constexpr uint64_t kMaxOwnBmpBytes = kMaxPicturePixels * 4 + (1 << 20);

bool IsWin32Error(HRESULT hr, DWORD error)
{
    return hr == HRESULT_FROM_WIN32(error);
}

ImageLoadError LoadErrorFrom(HRESULT hr)
{
    if (IsWin32Error(hr, ERROR_FILE_NOT_FOUND) || IsWin32Error(hr, ERROR_PATH_NOT_FOUND)) {
        return ImageLoadError::Missing;
    }
    if (hr == E_ACCESSDENIED || IsWin32Error(hr, ERROR_SHARING_VIOLATION) || IsWin32Error(hr, ERROR_LOCK_VIOLATION)) {
        return ImageLoadError::Unreadable;
    }
    if (hr == WINCODEC_ERR_COMPONENTNOTFOUND || hr == WINCODEC_ERR_UNKNOWNIMAGEFORMAT) {
        return ImageLoadError::UnknownKind;
    }
    if (hr == E_OUTOFMEMORY) {
        return ImageLoadError::OutOfMemory;
    }
    return ImageLoadError::Damaged;
}

ImageLoad Failed(ImageLoadError error)
{
    return ImageLoad{nullptr, error};
}

// A bitmap compatible with the screen and a memory DC to fill it. On a palette display the
// picture carries a halftone palette, as captures carry theirs.
struct ScreenBitmap {
    ScreenBitmap(UINT width, UINT height)
    {
        WindowDC screen(nullptr);
        if (GetDeviceCaps(screen.get(), RASTERCAPS) & RC_PALETTE) {
            palette.reset(CreateHalftonePalette(screen.get()));
        }
        bitmap.reset(CreateCompatibleBitmap(screen.get(), static_cast<int>(width), static_cast<int>(height)));
        memory.reset(CreateCompatibleDC(screen.get()));
    }
    UniquePalette palette;
    UniqueBitmap bitmap;
    UniqueDC memory;
};

// Copies `rows` top-down rows of 24 or 32 bits a pixel (rows padded to four bytes) into the
// bitmap selected into `memory`, from row `top` on.
bool PutRows(HDC memory, UINT width, UINT top, UINT rows, WORD bitCount, const void* pixels)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(rows);  // top-down band
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = bitCount;
    info.bmiHeader.biCompression = BI_RGB;
    return SetDIBitsToDevice(memory, 0, static_cast<int>(top), width, rows, 0, 0, 0, rows, pixels, &info,
                             DIB_RGB_COLORS) != 0;
}

// Fills a screen-compatible bitmap band by band, with the bitmap selected and its palette
// realised: band(top, rows, pixels) points `pixels` at the rows from `top` on, of `bitCount`.
template <typename Band>
ImageLoad FillScreenBitmap(UINT width, UINT height, UINT bandRows, WORD bitCount, Band band)
{
    ScreenBitmap target(width, height);
    if (!target.bitmap || !target.memory) {
        return Failed(ImageLoadError::OutOfMemory);
    }
    {
        SelectGuard select(target.memory.get(), target.bitmap.get());
        PaletteGuard realized(target.memory.get(), target.palette.get(), FALSE);
        if (target.palette) {
            RealizePalette(target.memory.get());
        }
        for (UINT top = 0; top < height; top += bandRows) {
            const UINT rows = std::min(bandRows, height - top);
            const void* pixels = nullptr;
            if (ImageLoadError error = band(top, rows, pixels); error != ImageLoadError::None) {
                return Failed(error);
            }
            if (!PutRows(target.memory.get(), width, top, rows, bitCount, pixels)) {
                return Failed(ImageLoadError::OutOfMemory);
            }
        }
    }
    PicturePtr picture = Picture::Create(std::move(target.bitmap), std::move(target.palette));
    return picture ? ImageLoad{std::move(picture), ImageLoadError::None} : Failed(ImageLoadError::OutOfMemory);
}

// On a true-colour screen of 32 bits a pixel, the screen's own bitmaps hold 32-bit pixels, and a
// picture read from a file is a top-down DIB section of that format, decoded straight into its
// pixels. That spares a second full-size copy of the picture and the conversion into a bitmap,
// which for the largest picture allowed take seconds. Other screens get a compatible bitmap.
bool ScreenTakesDib32()
{
    WindowDC screen(nullptr);
    return !(GetDeviceCaps(screen.get(), RASTERCAPS) & RC_PALETTE) &&
           GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES) == 32;
}

// A top-down 32-bit DIB section that decoders write into.
class Dib32 : public PixelCanvas {
public:
    Dib32(UINT width, UINT height)
        : PixelCanvas(4, static_cast<int32_t>(width), static_cast<int32_t>(height)), m_stride(size_t{width} * 4)
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = static_cast<LONG>(width);
        info.bmiHeader.biHeight = -static_cast<LONG>(height);
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        m_top = m_bitmap ? static_cast<uint8_t*>(bits) : nullptr;
    }
    bool Created() const { return m_top != nullptr; }
    uint8_t* Row(int32_t y) override { return m_top + m_stride * static_cast<size_t>(y); }
    ImageLoad Finish()
    {
        PicturePtr picture = Picture::Create(std::move(m_bitmap), UniquePalette());
        return picture ? ImageLoad{std::move(picture), ImageLoadError::None} : Failed(ImageLoadError::OutOfMemory);
    }

private:
    UniqueBitmap m_bitmap;
    uint8_t* m_top = nullptr;
    size_t m_stride;
};

// The bytes that were checked, not the file by its name: another opening could find other bytes.
ImageLoad Decode(std::span<const uint8_t> bytes)
{
    ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    if (FAILED(hr)) {
        return Failed(ImageLoadError::UnknownKind);  // no decoder of any kind on this system
    }
    ComPtr<IWICStream> stream;
    if (bytes.size() > MAXDWORD) {
        return Failed(ImageLoadError::TooLarge);
    }
    if (hr = factory->CreateStream(&stream); SUCCEEDED(hr)) {
        hr = stream->InitializeFromMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size()));
    }
    if (FAILED(hr)) {
        return Failed(LoadErrorFrom(hr));
    }
    ComPtr<IWICBitmapDecoder> decoder;
    hr = factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder);
    if (FAILED(hr)) {
        return Failed(LoadErrorFrom(hr));
    }
    ComPtr<IWICBitmapFrameDecode> frame;
    if (hr = decoder->GetFrame(0, &frame); FAILED(hr)) {
        return Failed(LoadErrorFrom(hr));
    }
    UINT width = 0;
    UINT height = 0;
    if (hr = frame->GetSize(&width, &height); FAILED(hr)) {
        return Failed(LoadErrorFrom(hr));
    }
    // The size the header claims decides before any pixel memory is taken: a small file may
    // claim a picture that would exhaust the memory or take minutes to decode.
    if (!PictureSizeAllowed(width, height)) {
        return Failed(width == 0 || height == 0 ? ImageLoadError::Damaged : ImageLoadError::TooLarge);
    }
    static const auto convert =
        SystemFunction<decltype(WICConvertBitmapSource)>(L"windowscodecs.dll", "WICConvertBitmapSource");
    if (!convert) {
        return Failed(ImageLoadError::UnknownKind);
    }
    ComPtr<IWICBitmapSource> bgr;
    if (hr = convert(GUID_WICPixelFormat32bppBGR, frame.Get(), &bgr); FAILED(hr)) {
        return Failed(LoadErrorFrom(hr));
    }
    const UINT stride = width * 4;
    const UINT bandRows = std::clamp<UINT>(static_cast<UINT>(kBandBytes / stride), 1, height);
    // Copies a band of rows to `out` with the fourth byte of each pixel cleared, as a capture
    // has it, whatever the decoder left there.
    auto copyBand = [&](UINT top, UINT rows, BYTE* out) {
        const WICRect rect{0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(rows)};
        if (HRESULT copied = bgr->CopyPixels(&rect, stride, stride * rows, out); FAILED(copied)) {
            return LoadErrorFrom(copied);
        }
        for (size_t i = 3; i < size_t{stride} * rows; i += 4) {
            out[i] = 0;
        }
        return ImageLoadError::None;
    };
    if (ScreenTakesDib32()) {
        Dib32 target(width, height);
        if (!target.Created()) {
            return Failed(ImageLoadError::OutOfMemory);
        }
        for (UINT top = 0; top < height; top += bandRows) {
            if (ImageLoadError error = copyBand(top, std::min(bandRows, height - top), target.Row(top));
                error != ImageLoadError::None) {
                return Failed(error);
            }
        }
        return target.Finish();
    }
    std::vector<BYTE> band(static_cast<size_t>(stride) * bandRows);
    return FillScreenBitmap(width, height, bandRows, 32, [&](UINT top, UINT rows, const void*& pixels) {
        pixels = band.data();
        return copyBand(top, rows, band.data());
    });
}

// BMP files go through the program's own reader, which takes every valid BMP (Wine's WIC refuses
// some, such as 32-bit files with unusual bit fields). What it refuses as damaged goes on to WIC,
// whose answer then gives the reason shown. Nothing when the file is no BMP or is too large here.
std::optional<ImageLoad> LoadOwnBmp(MappedFile& file)
{
    const std::span<const uint8_t> bytes = file.bytes();
    if (file.fileBytes() > kMaxOwnBmpBytes || !LooksLikeBmp(bytes)) {
        return std::nullopt;
    }
    BmpSize size;
    switch (ReadBmpSize(bytes, size)) {
    case CodecError::None: break;
    case CodecError::TooLarge: return Failed(ImageLoadError::TooLarge);
    default: return std::nullopt;
    }
    const auto width = static_cast<UINT>(size.width);
    const auto height = static_cast<UINT>(size.height);
    if (ScreenTakesDib32()) {
        Dib32 target(width, height);
        if (!target.Created()) {
            return Failed(ImageLoadError::OutOfMemory);
        }
        if (ReadBmpPixels(bytes, target) != CodecError::None) {
            return std::nullopt;
        }
        return target.Finish();
    }
    Raster raster;
    if (CodecError error = ReadBmp(bytes, raster); error != CodecError::None) {
        return error == CodecError::TooLarge ? std::optional(Failed(ImageLoadError::TooLarge)) : std::nullopt;
    }
    if (raster.width != size.width || raster.height != size.height) {
        return Failed(ImageLoadError::Damaged);
    }
    file.Unmap();
    const UINT bandRows = std::clamp<UINT>(static_cast<UINT>(kBandBytes / raster.stride), 1, height);
    return FillScreenBitmap(width, height, bandRows, 24, [&](UINT top, UINT, const void*& pixels) {
        pixels = raster.Row(static_cast<int32_t>(top));
        return ImageLoadError::None;
    });
}

ImageLoadError LoadErrorFrom(CodecError error)
{
    return error == CodecError::TooLarge ? ImageLoadError::TooLarge : ImageLoadError::Damaged;
}

// JPEG files, known by their contents whatever their name, go through the codec that
// conversion.dll uses (libjpeg-turbo, with its limits and its rules for damaged data). The
// size in the header decides before any pixel memory is taken; the pixels are decoded straight
// into the picture's bitmap where the screen takes 32-bit pixels.
ImageLoad LoadOwnJpeg(std::span<const uint8_t> bytes)
{
    int32_t width = 0;
    int32_t height = 0;
    if (CodecError error = ReadJpegSize(bytes, width, height); error != CodecError::None) {
        return Failed(LoadErrorFrom(error));
    }
    if (ScreenTakesDib32()) {
        Dib32 target(static_cast<UINT>(width), static_cast<UINT>(height));
        if (!target.Created()) {
            return Failed(ImageLoadError::OutOfMemory);
        }
        if (CodecError error = ReadJpegPixels(bytes, target); error != CodecError::None) {
            return Failed(LoadErrorFrom(error));
        }
        return target.Finish();
    }
    Raster raster{width, height, (static_cast<uint32_t>(width) * 3 + 3) & ~3u, 0, 0, {}};
    raster.pixels.resize(size_t{raster.stride} * static_cast<size_t>(height));
    RasterCanvas canvas(raster);
    if (CodecError error = ReadJpegPixels(bytes, canvas); error != CodecError::None) {
        return Failed(LoadErrorFrom(error));
    }
    const UINT bandRows = std::clamp<UINT>(static_cast<UINT>(kBandBytes / raster.stride), 1, static_cast<UINT>(height));
    return FillScreenBitmap(static_cast<UINT>(width), static_cast<UINT>(height), bandRows, 24,
                            [&](UINT top, UINT, const void*& pixels) {
                                pixels = raster.Row(static_cast<int32_t>(top));
                                return ImageLoadError::None;
                            });
}

std::wstring FullPath(const std::wstring& path)
{
    DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::wstring full(needed, L'\0');
    DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    full.resize(length < needed ? length : 0);
    return full.empty() ? path : full;
}

}  // namespace

ImageLoad LoadPictureFile(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD error = GetLastError();
        bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
                       error == ERROR_BAD_NETPATH || error == ERROR_INVALID_DRIVE;
        return Failed(missing ? ImageLoadError::Missing : ImageLoadError::Unreadable);
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return Failed(ImageLoadError::Missing);
    }
    try {
        // Mapped, not copied: the largest picture allowed comes in a file of some 400 MB, which a
        // 32-bit process can hardly hold twice beside the bitmap made from it. Beyond that size
        // only the start is mapped, which holds every header and all of a picture within the limit.
        MappedFile file(path, kMaxOwnBmpBytes);
        const std::span<const uint8_t> bytes = file.bytes();
        if (const DWORD error = file.error(); error != ERROR_SUCCESS) {
            // Held by another program for writing, say: reported, not handed on to another opening.
            const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
            return Failed(missing ? ImageLoadError::Missing : ImageLoadError::Unreadable);
        }
        if (file.fileBytes() == 0) {
            return Failed(ImageLoadError::UnknownKind);  // an empty file is no picture of any kind
        }
        if (bytes.empty()) {
            return Failed(ImageLoadError::OutOfMemory);  // no room to map it leaves none for its picture
        }
        if (LooksLikeJpeg(bytes)) {
            return LoadOwnJpeg(bytes);
        }
        if (std::optional<ImageLoad> own = LoadOwnBmp(file)) {
            return std::move(*own);
        }
        if (!LooksLikeBmp(bytes)) {
            // The system's decoders take the whole picture before they tell its size: the header
            // tells it first. Formats whose header is not read here are not handed to them.
            const DeclaredSize declared = ReadDeclaredSize(bytes);
            if (declared.format == PictureFormat::Other) {
                return Failed(ImageLoadError::UnknownKind);
            }
            if (declared.width == 0 || declared.height == 0) {
                return Failed(ImageLoadError::Damaged);  // cut short in its header, or a picture of nothing
            }
            if (!PictureSizeAllowed(declared.width, declared.height) || declared.allFramePixels > kMaxPicturePixels ||
                file.fileBytes() > bytes.size()) {
                return Failed(ImageLoadError::TooLarge);
            }
        }
        return Decode(bytes);
    } catch (const std::bad_alloc&) {
        return Failed(ImageLoadError::OutOfMemory);
    }
}

namespace {

// The picture's pixels through GetDIBits with its palette selected, so that a palette bitmap
// gives the colours of the palette's entries. Rows are padded to four bytes and counted from
// the bottom, as the calls take them.
class PictureBits {
public:
    explicit PictureBits(const Picture& picture)
        : m_bitmap(picture.Bitmap()),
          m_screen(nullptr),
          m_memory(CreateCompatibleDC(m_screen.get())),
          m_palette(m_memory.get(), picture.Palette(), FALSE)
    {
        if (picture.Palette()) {
            RealizePalette(m_memory.get());
        }
        m_valid = GetObjectW(m_bitmap, sizeof(m_bm), &m_bm) != 0;
    }
    bool Valid() const { return m_valid; }
    int32_t Width() const { return m_bm.bmWidth; }
    int32_t Height() const { return m_bm.bmHeight; }
    uint16_t BitCount() const { return static_cast<uint16_t>(m_bm.bmBitsPixel * m_bm.bmPlanes); }
    int32_t PixelsPerMetre() const { return kavlor::PixelsPerMetre(GetDeviceCaps(m_screen.get(), LOGPIXELSX)); }
    // The colour table of a depth of 8 bits or less; false when it cannot be read.
    bool ColorTable(uint16_t bitCount, RGBQUAD* colors)
    {
        Header(bitCount);
        if (!GetDIBits(m_memory.get(), m_bitmap, 0, 0, nullptr, Info(), DIB_RGB_COLORS)) {
            return false;
        }
        std::copy_n(m_info.colors, 256, colors);
        return true;
    }
    // `rows` rows from the row `first` counted from the bottom, the lowest first.
    bool Rows(UINT first, UINT rows, uint16_t bitCount, void* into)
    {
        Header(bitCount);
        return GetDIBits(m_memory.get(), m_bitmap, first, rows, into, Info(), DIB_RGB_COLORS) == static_cast<int>(rows);
    }

private:
    void Header(uint16_t bitCount)
    {
        m_info.header = BITMAPINFOHEADER{};
        m_info.header.biSize = sizeof(m_info.header);
        m_info.header.biWidth = m_bm.bmWidth;
        m_info.header.biHeight = m_bm.bmHeight;  // bottom-up
        m_info.header.biPlanes = 1;
        m_info.header.biBitCount = bitCount;
        m_info.header.biCompression = BI_RGB;
    }
    BITMAPINFO* Info() { return reinterpret_cast<BITMAPINFO*>(&m_info); }

    HBITMAP m_bitmap;
    BITMAP m_bm{};
    bool m_valid = false;
    WindowDC m_screen;
    UniqueDC m_memory;
    PaletteGuard m_palette;
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } m_info{};
};

uint32_t Stride(int32_t width, uint16_t bitCount)
{
    return (static_cast<uint32_t>(width) * bitCount + 31) / 32 * 4;
}

// The file as the BMP save always wrote it: headers, colour table and rows, bottom row first.
ImageSaveError WriteBmp(PictureBits& bits, ReplacingFile& file)
{
    const uint16_t bitCount = bits.BitCount();
    std::optional<BmpLayout> layout = PlanBmp(bits.Width(), bits.Height(), bitCount);
    RGBQUAD colors[256]{};
    if (!layout || (layout->colorCount > 0 && !bits.ColorTable(bitCount, colors))) {
        return ImageSaveError::NoPixels;
    }
    auto headers = BmpHeaders(*layout, bits.Width(), bits.Height(), bitCount, bits.PixelsPerMetre());
    if (!file.Write(headers.data(), headers.size()) || !file.Write(colors, layout->colorCount * sizeof(RGBQUAD))) {
        return ImageSaveError::WriteFailed;
    }
    const auto height = static_cast<UINT>(bits.Height());
    const UINT bandRows = std::clamp<UINT>(static_cast<UINT>(kSaveBandBytes / layout->stride), 1, height);
    std::vector<BYTE> band(static_cast<size_t>(layout->stride) * bandRows);
    for (UINT first = 0; first < height; first += bandRows) {
        const UINT rows = std::min(bandRows, height - first);
        if (!bits.Rows(first, rows, bitCount, band.data())) {
            return ImageSaveError::NoPixels;
        }
        if (!file.Write(band.data(), static_cast<size_t>(layout->stride) * rows)) {
            return ImageSaveError::WriteFailed;
        }
    }
    return ImageSaveError::None;
}

// The whole picture in 24 bits, bottom row first, to our JPEG encoder.
ImageSaveError WriteJpeg(PictureBits& bits, ReplacingFile& file)
{
    const uint32_t stride = Stride(bits.Width(), 24);
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * static_cast<size_t>(bits.Height()));
    if (!bits.Rows(0, static_cast<UINT>(bits.Height()), 24, pixels.data())) {
        return ImageSaveError::NoPixels;
    }
    const PixelRows rows{bits.Width(),
                         bits.Height(),
                         3,
                         pixels.data() + static_cast<size_t>(stride) * static_cast<size_t>(bits.Height() - 1),
                         -static_cast<ptrdiff_t>(stride),
                         bits.PixelsPerMetre(),
                         bits.PixelsPerMetre()};
    switch (EncodeJpeg(rows, [&](const uint8_t* data, size_t bytes) { return file.Write(data, bytes); })) {
    case CodecError::None: return ImageSaveError::None;
    case CodecError::WriteFailed: return ImageSaveError::WriteFailed;
    default: return ImageSaveError::NoPixels;
    }
}

// Band by band from the top to our PNG writer: a palette bitmap as 8-bit indices with its
// colours, everything else as 24-bit RGB.
ImageSaveError WritePng(PictureBits& bits, ReplacingFile& file)
{
    const bool indexed = bits.BitCount() == 8;
    const uint16_t bitCount = indexed ? 8 : 24;
    uint32_t colors[256]{};
    if (indexed) {
        RGBQUAD table[256]{};
        if (!bits.ColorTable(8, table)) {
            return ImageSaveError::NoPixels;
        }
        for (int i = 0; i < 256; ++i) {
            colors[i] = uint32_t{table[i].rgbRed} << 16 | uint32_t{table[i].rgbGreen} << 8 | table[i].rgbBlue;
        }
    }
    const auto height = static_cast<UINT>(bits.Height());
    const uint32_t stride = Stride(bits.Width(), bitCount);
    const UINT bandRows = std::clamp<UINT>(static_cast<UINT>(kSaveBandBytes / stride), 1, height);
    std::vector<BYTE> band(static_cast<size_t>(stride) * bandRows);
    UINT bandTop = 0;
    UINT bandHeight = 0;
    // A band's rows lie in memory as GetDIBits gives them, the lowest first.
    auto row = [&](int32_t y) -> const uint8_t* {
        const auto top = static_cast<UINT>(y);
        if (top >= bandTop + bandHeight) {
            bandTop = top;
            bandHeight = std::min(bandRows, height - top);
            if (!bits.Rows(height - top - bandHeight, bandHeight, bitCount, band.data())) {
                return nullptr;
            }
        }
        return band.data() + static_cast<size_t>(stride) * (bandHeight - 1 - (top - bandTop));
    };
    PngPicture picture{bits.Width(), bits.Height(), indexed ? 1 : 3, {}, bits.PixelsPerMetre(), bits.PixelsPerMetre()};
    if (indexed) {
        picture.colors = colors;
    }
    switch (EncodePng(picture, row, [&](const uint8_t* data, size_t bytes) { return file.Write(data, bytes); })) {
    case CodecError::None: return ImageSaveError::None;
    case CodecError::WriteFailed: return ImageSaveError::WriteFailed;
    default: return ImageSaveError::NoPixels;
    }
}

}  // namespace

ImageSaveError SavePictureFile(const Picture& picture, const std::wstring& path, SaveType type)
{
    PictureBits bits(picture);
    if (!bits.Valid() || !PlanBmp(bits.Width(), bits.Height(), bits.BitCount())) {
        return ImageSaveError::NoPixels;
    }
    const std::wstring target = FullPath(path);
    ReplacingFile temp(target.substr(0, target.find_last_of(L"\\/") + 1), L"~kavlor-");
    if (!temp.Created()) {
        return ImageSaveError::CannotCreate;
    }
    ImageSaveError error = ImageSaveError::None;
    try {
        error = type == SaveType::Png    ? WritePng(bits, temp)
                : type == SaveType::Jpeg ? WriteJpeg(bits, temp)
                                         : WriteBmp(bits, temp);
    } catch (const std::bad_alloc&) {
        error = ImageSaveError::NoPixels;
    }
    if (error != ImageSaveError::None) {
        return error;
    }
    return temp.Commit(target, true) ? ImageSaveError::None : ImageSaveError::CannotReplace;
}

}  // namespace kavlor
