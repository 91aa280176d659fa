// Benchmark of the picture files: the program's save of a 1920x1080 picture as BMP next to a bare
// GetDIBits + WriteFile of the same bitmap, as PNG next to the Windows imaging component's PNG
// encoder and ImageMagick, as JPEG next to cjpeg; and its open of a 1920x1080 BMP and JPEG next
// to a bare decode of the same file through the Windows imaging component.
#include <windows.h>
#include <psapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/ImageFile_win.h"
#include "base/Handles.h"
#include "bench/BenchParts_win.h"
#include "bench/BenchTable_win.h"
#include "tests/convert/TestPictures.h"

namespace kavlor::bench {

using Microsoft::WRL::ComPtr;

namespace {

constexpr int kRuns = 10;
constexpr int kSaveRuns = 20;

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// The whole bitmap at its own depth in one GetDIBits call, written behind the two headers.
void BareSave(HBITMAP bitmap, const std::wstring& path)
{
    BITMAP bm{};
    GetObjectW(bitmap, sizeof(bm), &bm);
    BITMAPINFOHEADER header{sizeof(header), bm.bmWidth, bm.bmHeight, 1, bm.bmBitsPixel, BI_RGB, 0, 0, 0, 0, 0};
    const DWORD stride = ((static_cast<DWORD>(bm.bmWidth) * bm.bmBitsPixel + 31) / 32) * 4;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * bm.bmHeight);
    {
        UniqueDC memory(CreateCompatibleDC(nullptr));
        GetDIBits(memory.get(), bitmap, 0, static_cast<UINT>(bm.bmHeight), pixels.data(),
                  reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    }
    BITMAPFILEHEADER fileHeader{};
    fileHeader.bfType = 0x4D42;
    fileHeader.bfOffBits = sizeof(fileHeader) + sizeof(header);
    fileHeader.bfSize = fileHeader.bfOffBits + static_cast<DWORD>(pixels.size());
    UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), &fileHeader, sizeof(fileHeader), &written, nullptr);
    WriteFile(file.get(), &header, sizeof(header), &written, nullptr);
    WriteFile(file.get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
}

// The bitmap as 24-bit rows from the top through GetDIBits, then the system's PNG encoder with its
// default options straight to a file: the program's first PNG save. Gives the file's size.
uint64_t BareWicPng(IWICImagingFactory* factory, HBITMAP bitmap, const std::wstring& path)
{
    BITMAP bm{};
    GetObjectW(bitmap, sizeof(bm), &bm);
    BITMAPINFOHEADER header{sizeof(header), bm.bmWidth, -bm.bmHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const UINT stride = (static_cast<UINT>(bm.bmWidth) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * bm.bmHeight);
    {
        UniqueDC memory(CreateCompatibleDC(nullptr));
        GetDIBits(memory.get(), bitmap, 0, static_cast<UINT>(bm.bmHeight), pixels.data(),
                  reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    }
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    STATSTG stat{};
    if (FAILED(factory->CreateStream(&stream)) || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
        FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) ||
        FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.Get())) ||
        FAILED(frame->SetSize(static_cast<UINT>(bm.bmWidth), static_cast<UINT>(bm.bmHeight))) ||
        FAILED(frame->SetPixelFormat(&format)) ||
        FAILED(frame->WritePixels(static_cast<UINT>(bm.bmHeight), stride, static_cast<UINT>(pixels.size()),
                                  pixels.data())) ||
        FAILED(frame->Commit()) || FAILED(encoder->Commit()) || FAILED(stream->Stat(&stat, STATFLAG_NONAME))) {
        return 0;
    }
    return stat.cbSize.QuadPart;
}

uint64_t FileBytes(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
    return uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow;
}

// The file's first frame in its own pixel format, copied out whole.
void BareDecode(IWICImagingFactory* factory, const std::wstring& path)
{
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    UINT width = 0;
    UINT height = 0;
    WICPixelFormatGUID format{};
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                                  &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height)) ||
        FAILED(frame->GetPixelFormat(&format))) {
        return;
    }
    const UINT bytesPerPixel = IsEqualGUID(format, GUID_WICPixelFormat24bppBGR) ? 3 : 4;
    const UINT stride = (width * bytesPerPixel + 3) & ~3u;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * height);
    frame->CopyPixels(nullptr, stride, static_cast<UINT>(pixels.size()), pixels.data());
}

// A blank picture of side x side pixels in 64 bytes: an 8-bit RLE BMP whose data ends at once,
// so every pixel keeps the colour of index 0.
std::vector<uint8_t> BlankRleBmp(uint32_t side)
{
    std::vector<uint8_t> file(64);
    auto put = [&file](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) {
            file[at + i] = static_cast<uint8_t>(value >> (8 * i));
        }
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, 64, 4);         // file size
    put(10, 62, 4);        // pixels after the headers and two colours
    put(14, 40, 4);        // information header
    put(18, side, 4);      // width
    put(22, side, 4);      // height
    put(26, 1, 2);         // planes
    put(28, 8, 2);         // bits a pixel
    put(30, 1, 4);         // RLE8
    put(46, 2, 4);         // colours used
    put(54, 0x3060C0, 4);  // index 0
    put(62, 0x0100, 2);    // end of bitmap
    return file;
}

// The largest picture allowed, as the program holds it: 100 megapixels in a DIB section of 32
// bits a pixel, every pixel written. The memory and its first touch bound any open of it.
void BareLargest(uint32_t width, uint32_t height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bits) {
        std::fill_n(static_cast<uint32_t*>(bits), size_t{width} * height, 0x3060C0u);
    }
}

// The process's peak working set: Wine's private-bytes counters leave out DIB sections.
double PeakMemoryMb()
{
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    return static_cast<double>(memory.PeakWorkingSetSize) / (1 << 20);
}

}  // namespace

void BenchHugeHeader()
{
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring claim = std::wstring(temp) + L"kavlor-claim.jpg";
    const std::wstring photo = std::wstring(temp) + L"kavlor-photo.jpg";
    std::vector<uint8_t> bytes = test::EncodeTestJpeg(test::PhotoLike(64, 64), test::JpegKind::Baseline);
    for (size_t at = 2; at + 9 < bytes.size(); at += 2 + (size_t{bytes[at + 2]} << 8 | bytes[at + 3])) {
        if (bytes[at + 1] == 0xC0) {  // the frame header: height and width, big-endian
            bytes[at + 5] = bytes[at + 7] = 0x75;
            bytes[at + 6] = bytes[at + 8] = 0x30;
            break;
        }
    }
    WriteBytes(claim, bytes);
    // The peaks before anything larger was allocated: what the refusal adds, and as a check of the
    // measure, what the largest picture allowed in the screen's format adds (smaller ones stay
    // under the peak that starting the process left).
    double peak = PeakMemoryMb();
    const double refuse = BestOf(kRuns, [&] { LoadPictureFile(claim); });
    const double refuseMb = PeakMemoryMb() - peak;
    peak = PeakMemoryMb();
    BareLargest(10000, 10000);
    const double pictureMb = PeakMemoryMb() - peak;
    WriteBytes(photo, test::EncodeTestJpeg(test::PhotoLike(1920, 1080), test::JpegKind::Baseline));
    const double open = BestOf(kRuns, [&] { LoadPictureFile(photo); });
    AddRow({"open of a 64x64 JPEG claiming 30000x30000, to the refusal", "LoadPictureFile, too large", refuse,
            "open of a 1920x1080 JPEG photograph", open, "ms", "<= 100 ms"});
    AddRow({"peak memory added by that refusal", "LoadPictureFile, too large", refuseMb,
            "bare 32-bit DIB section of 10000x10000, filled", pictureMb, "MB", "<= 16 MB"});
    DeleteFileW(claim.c_str());
    DeleteFileW(photo.c_str());
}

void BenchFiles()
{
    const std::wstring folder = BenchFolder(L"kavlor-file-bench");
    WriteSavePictures(folder);
    const std::wstring bmp = folder + L"\\SCREEN.BMP";
    const std::wstring jpeg = folder + L"\\PHOTO.JPG";
    const std::wstring saved = folder + L"\\SAVED.BMP";
    const std::wstring bareSaved = folder + L"\\BARE.BMP";
    WriteBytes(jpeg, test::EncodeTestJpeg(test::PhotoLike(1920, 1080), test::JpegKind::Baseline));

    // The picture to save is the screenshot as the program holds it: a screen-compatible bitmap.
    PicturePtr picture = LoadPictureFile(bmp).picture;
    ComPtr<IWICImagingFactory> factory;
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    if (picture && factory) {
        // Each side the best of its runs taken in turn, so that neither has the quieter moments
        // of the machine to itself.
        double ours = 1e30;
        double bare = 1e30;
        for (int run = 0; run < kSaveRuns; ++run) {
            ours = std::min(ours, BestOf(1, [&] { SavePictureFile(*picture, saved); }));
            bare = std::min(bare, BestOf(1, [&] { BareSave(picture->Bitmap(), bareSaved); }));
        }
        AddRow({"save of a 1920x1080 picture as BMP", "SavePictureFile", ours, "bare GetDIBits + WriteFile", bare, "ms",
                "<= 1.2"});
        const struct {
            const char* what;
            const std::wstring& path;
            const char* goal;
        } opens[] = {{"open of a 1920x1080 BMP (screenshot)", bmp, "<= 1.0"},
                     {"open of a 1920x1080 JPEG (photograph)", jpeg, "<= 0.5"}};
        for (const auto& open : opens) {
            const double load = BestOf(kRuns, [&] { LoadPictureFile(open.path); });
            const double decode = BestOf(kRuns, [&] { BareDecode(factory.Get(), open.path); });
            AddRow({open.what, "LoadPictureFile", load, "bare WIC decode + CopyPixels", decode, "ms", open.goal});
        }
    }
    picture.reset();
    const std::wstring largest = folder + L"\\LARGEST.BMP";
    WriteBytes(largest, BlankRleBmp(10000));
    const double load = BestOf(3, [&] { LoadPictureFile(largest); });
    const double bare = BestOf(3, [&] { BareLargest(10000, 10000); });
    AddRow({"open of a 10000x10000 picture in a 64-byte RLE BMP", "LoadPictureFile", load,
            "bare 32-bit DIB section of that size, filled", bare, "ms", "<= 2000 ms"});
    for (const std::wstring* path : {&bmp, &jpeg, &saved, &bareSaved, &largest}) {
        DeleteFileW(path->c_str());
    }
    DeleteFileW((folder + L"\\PHOTO.BMP").c_str());
    RemoveDirectoryW(folder.c_str());
}

void WriteSavePictures(const std::wstring& folder)
{
    WriteBytes(folder + L"\\SCREEN.BMP", test::EncodeBmp(test::ScreenshotLike(1920, 1080), test::BmpFormat{}));
    WriteBytes(folder + L"\\PHOTO.BMP", test::EncodeBmp(test::PhotoLike(1920, 1080), test::BmpFormat{}));
}

void BenchSaves(const std::map<std::string, double>& outside)
{
    const std::wstring folder = BenchFolder(L"kavlor-save-bench");
    WriteSavePictures(folder);
    ComPtr<IWICImagingFactory> factory;
    CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory));
    const std::wstring png = folder + L"\\SAVED.PNG";
    const std::wstring wicPng = folder + L"\\WIC.PNG";
    const std::wstring jpeg = folder + L"\\SAVED.JPG";
    auto reference = [&outside](const std::string& name) {
        const auto found = outside.find(name);
        return found == outside.end() ? 0.0 : found->second;
    };
    for (const char* kind : {"screenshot", "photograph"}) {
        const std::string key = kind[0] == 's' ? "screen" : "photo";
        const std::wstring source = folder + (kind[0] == 's' ? L"\\SCREEN.BMP" : L"\\PHOTO.BMP");
        // As the program holds an opened picture: a screen-compatible bitmap.
        PicturePtr picture = LoadPictureFile(source).picture;
        if (!picture || !factory) {
            continue;
        }
        const std::string what = std::string("save of a 1920x1080 ") + kind;
        const double ours = BestOf(kRuns, [&] { SavePictureFile(*picture, png, SaveType::Png); });
        uint64_t wicBytes = 0;
        const double wic = BestOf(kRuns, [&] { wicBytes = BareWicPng(factory.Get(), picture->Bitmap(), wicPng); });
        AddRow({what + " as PNG", "SavePictureFile", ours, "bare WIC PNG encoder", wic, "ms", "<= 1.0"});
        AddRow({what + " as PNG", "SavePictureFile", ours, "ImageMagick convert x.bmp x.png, native",
                reference("convert-" + key), "ms", "<= 0.5"});
        AddRow({"file size, " + what + " as PNG", "SavePictureFile", static_cast<double>(FileBytes(png)) / 1024,
                "bare WIC PNG encoder", static_cast<double>(wicBytes) / 1024, "KB", "<= 1.0"});
        const double jpegMs = BestOf(kRuns, [&] { SavePictureFile(*picture, jpeg, SaveType::Jpeg); });
        AddRow({what + " as JPEG", "SavePictureFile", jpegMs, "cjpeg -quality 90 -sample 1x1, native",
                reference("cjpeg-" + key), "ms", "<= 1.0"});
        AddRow({"file size, " + what + " as JPEG", "SavePictureFile", static_cast<double>(FileBytes(jpeg)) / 1024,
                "cjpeg -quality 90 -sample 1x1, native", reference("cjpeg-" + key + "-kb"), "KB", ""});
    }
    for (const wchar_t* name : {L"\\SCREEN.BMP", L"\\PHOTO.BMP", L"\\SAVED.PNG", L"\\WIC.PNG", L"\\SAVED.JPG"}) {
        DeleteFileW((folder + name).c_str());
    }
    RemoveDirectoryW(folder.c_str());
}

}  // namespace kavlor::bench
