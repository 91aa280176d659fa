// Benchmark of the converter window's run: the same 100 pictures converted by bare calls of
// conversion.dll and by the window (lists, previews and progress included), at two sizes.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bench/BenchParts_win.h"
#include "bench/BenchTable_win.h"
#include "convert/ConverterWindow_win.h"
#include "convert/dll/Conversion.h"
#include "tests/convert/TestPictures.h"

namespace kavlor::bench {

namespace {

constexpr int kFiles = 100;

std::wstring ProgramDir()
{
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path);
    return dir.substr(0, dir.find_last_of(L'\\'));
}

std::wstring Name(int i, const wchar_t* extension)
{
    return L"SHOT" + std::to_wstring(i) + extension;
}

void RemoveAll(const std::wstring& folder, const wchar_t* extension)
{
    for (int i = 0; i < kFiles; ++i) {
        DeleteFileW((folder + L"\\" + Name(i, extension)).c_str());
    }
}

std::wstring LibraryPath()
{
    return ProgramDir() + L"\\conversion.dll";
}

// Bare calls of the library, loaded for them as the window's run loads it.
double BareCalls(const std::wstring& folder)
{
    wchar_t previous[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.c_str());
    const double start = NowMs();
    HMODULE module = LoadLibraryW(LibraryPath().c_str());
    auto bmpToJpg = reinterpret_cast<decltype(&BmpToJpg)>(reinterpret_cast<void*>(GetProcAddress(module, "BmpToJpg")));
    for (int i = 0; i < kFiles; ++i) {
        std::string name = "SHOT" + std::to_string(i) + ".BMP";
        bmpToJpg(name.data(), 0);
    }
    FreeLibrary(module);
    const double bare = NowMs() - start;
    SetCurrentDirectoryW(previous);
    return bare;
}

// The same files converted by bare calls and by the window, each the best of five runs taken
// in turn, so that neither side has the quieter moments of the machine to itself.
void BenchRun(int width, int height, const char* what)
{
    const std::wstring folder = BenchFolder(L"kavlor-converter-bench");
    const std::vector<uint8_t> bmp = test::EncodeBmp(test::ScreenshotLike(width, height), test::BmpFormat{});
    for (int i = 0; i < kFiles; ++i) {
        HANDLE file = CreateFileW((folder + L"\\" + Name(i, L".BMP")).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  0, nullptr);
        DWORD written = 0;
        WriteFile(file, bmp.data(), static_cast<DWORD>(bmp.size()), &written, nullptr);
        FlushFileBuffers(file);  // written back now, not while either side is timed
        CloseHandle(file);
    }

    ConverterWindow window(nullptr);
    window.Show();
    SetWindowTextW(GetDlgItem(window.Hwnd(), ConverterWindow::Label1), folder.c_str());
    for (int i = 0; i < kFiles; ++i) {
        SendMessageW(GetDlgItem(window.Hwnd(), ConverterWindow::List1), LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Name(i, L".BMP").c_str()));
    }
    double bare = 1e30;
    double run = 1e30;
    for (int round = 0; round < 5; ++round) {
        bare = std::min(bare, BareCalls(folder));
        RemoveAll(folder, L".JPG");
        const double start = NowMs();
        window.zhuanhuan_Click();
        run = std::min(run, NowMs() - start);
        RemoveAll(folder, L".JPG");
    }
    RemoveAll(folder, L".BMP");
    RemoveDirectoryW(folder.c_str());
    AddRow({"converter run, " + std::to_string(kFiles) + " " + what + " BMP to JPEG", "run through the window", run,
            "bare calls of conversion.dll", bare, "ms", "<= 1.10"});
}

}  // namespace

void BenchConverter()
{
    // The window loads the library from its program's folder.
    CopyFileW((ProgramDir() + L"\\..\\app\\conversion.dll").c_str(), LibraryPath().c_str(), FALSE);
    HMODULE module = LoadLibraryW(LibraryPath().c_str());
    if (!module || !GetProcAddress(module, "BmpToJpg")) {
        return;  // no conversion.dll beside the program's build: nothing to measure
    }
    FreeLibrary(module);
    // Large pictures show what previews cost, small ones the fixed cost of each entry.
    BenchRun(1920, 1080, "screenshots of 1920x1080");
    BenchRun(320, 240, "pictures of 320x240");
}

}  // namespace kavlor::bench
