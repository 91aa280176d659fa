// Benchmark of conversion.dll: BMP to JPEG and JPEG to BMP on a generated photograph and a
// screenshot, timed inside the process, and the memory one conversion takes. Driven by
// bench/conversion_bench.py, which compares the figures with Debian's cjpeg/djpeg and
// ImageMagick on the same files.
//
//   conversion_bench FOLDER            writes PHOTO.BMP and SCREEN.BMP there and times the DLL
//   conversion_bench --memory F NAME   one call of F (BmpToJpg or JpgToBmp) in the current
//                                      directory; prints the growth of the peak working set
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "convert/dll/Conversion.h"
#include "tests/convert/TestPictures.h"

namespace {

using namespace kavlor;
using ConvertFunction = decltype(&BmpToJpg);

double NowSeconds()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::wstring ProgramDir()
{
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return dir.substr(0, dir.find_last_of(L'\\'));
}

ConvertFunction Load(const char* name)
{
    static HMODULE library = LoadLibraryW((ProgramDir() + L"\\..\\app\\conversion.dll").c_str());
    return reinterpret_cast<ConvertFunction>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

SIZE_T PeakWorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PeakWorkingSetSize;
}

int Memory(const char* function, const char* name)
{
    ConvertFunction convert = Load(function);
    if (!convert) {
        return 1;
    }
    const SIZE_T before = PeakWorkingSet();
    std::string buffer(name);
    const int result = convert(buffer.data(), 0);
    std::printf("memory %s %s %llu\n", function, name, static_cast<unsigned long long>(PeakWorkingSet() - before));
    return result;
}

// The least of several runs: the most repeatable figure on a busy machine.
double BestOf(int runs, ConvertFunction convert, const char* name)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        std::string buffer(name);
        const double start = NowSeconds();
        if (convert(buffer.data(), 0) != kConversionOk) {
            std::printf("error %s\n", name);
            return 0;
        }
        best = std::min(best, NowSeconds() - start);
    }
    return best;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::string(argv[1]) == "--memory") {
        return Memory(argv[2], argv[3]);
    }
    if (argc != 2 || !SetCurrentDirectoryA(argv[1])) {
        std::fprintf(stderr, "usage: conversion_bench FOLDER | --memory FUNCTION NAME\n");
        return 2;
    }
    ConvertFunction bmpToJpg = Load("BmpToJpg");
    ConvertFunction jpgToBmp = Load("JpgToBmp");
    if (!bmpToJpg || !jpgToBmp) {
        std::fprintf(stderr, "conversion.dll not found beside the program's app folder\n");
        return 1;
    }
    const struct {
        const char* label;
        Raster picture;
    } pictures[] = {
        {"PHOTO", test::PhotoLike(3264, 2448)},
        {"SCREEN", test::ScreenshotLike(1920, 1080)},
    };
    for (const auto& p : pictures) {
        const std::vector<uint8_t> bmp = test::EncodeBmp(p.picture, {});
        const std::string label = p.label;
        // The originals stay for the other programs; the DLL converts copies, P.BMP to P.JPG and
        // a copy of that JPEG, J.JPG, to J.BMP.
        if (!WriteFileBytes(label + ".BMP", bmp) || !WriteFileBytes("P.BMP", bmp)) {
            return 1;
        }
        const double megapixels = static_cast<double>(p.picture.width) * p.picture.height / 1e6;
        const double encode = BestOf(5, bmpToJpg, "P.BMP");
        CopyFileA("P.JPG", (label + ".JPG").c_str(), FALSE);
        CopyFileA("P.JPG", "J.JPG", FALSE);
        const double decode = BestOf(5, jpgToBmp, "J.JPG");
        std::printf("time dll bmp2jpg %s %.3f %.6f\n", p.label, megapixels, encode);
        std::printf("time dll jpg2bmp %s %.3f %.6f\n", p.label, megapixels, decode);
    }
    return 0;
}
