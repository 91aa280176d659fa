// Benchmark of the converter window's run: the same 100 screenshots converted by bare calls of
// conversion.dll and by the window (lists, previews and progress included).
#include <windows.h>

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

std::wstring Name(int i)
{
    return L"SHOT" + std::to_wstring(i) + L".BMP";
}

void RemoveResults(const std::wstring& folder)
{
    for (int i = 0; i < kFiles; ++i) {
        DeleteFileW((folder + L"\\SHOT" + std::to_wstring(i) + L".JPG").c_str());
    }
}

}  // namespace

void BenchConverter()
{
    // The window loads the library from its program's folder.
    const std::wstring library = ProgramDir() + L"\\conversion.dll";
    CopyFileW((ProgramDir() + L"\\..\\app\\conversion.dll").c_str(), library.c_str(), FALSE);
    HMODULE module = LoadLibraryW(library.c_str());
    auto bmpToJpg =
        module ? reinterpret_cast<decltype(&BmpToJpg)>(reinterpret_cast<void*>(GetProcAddress(module, "BmpToJpg")))
               : nullptr;
    if (!bmpToJpg) {
        return;  // no conversion.dll beside the program's build: nothing to measure
    }
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"kavlor-converter-bench";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::vector<uint8_t> bmp = test::EncodeBmp(test::ScreenshotLike(1920, 1080), test::BmpFormat{});
    for (int i = 0; i < kFiles; ++i) {
        HANDLE file =
            CreateFileW((folder + L"\\" + Name(i)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, bmp.data(), static_cast<DWORD>(bmp.size()), &written, nullptr);
        CloseHandle(file);
    }

    wchar_t previous[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(folder.c_str());
    double start = NowMs();
    for (int i = 0; i < kFiles; ++i) {
        std::string name = "SHOT" + std::to_string(i) + ".BMP";
        bmpToJpg(name.data(), 0);
    }
    const double bare = NowMs() - start;
    SetCurrentDirectoryW(previous);
    FreeLibrary(module);
    RemoveResults(folder);

    ConverterWindow window(nullptr);
    window.Show();
    SetWindowTextW(GetDlgItem(window.Hwnd(), ConverterWindow::Label1), folder.c_str());
    for (int i = 0; i < kFiles; ++i) {
        SendMessageW(GetDlgItem(window.Hwnd(), ConverterWindow::List1), LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(Name(i).c_str()));
    }
    start = NowMs();
    window.zhuanhuan_Click();
    const double run = NowMs() - start;

    RemoveResults(folder);
    for (int i = 0; i < kFiles; ++i) {
        DeleteFileW((folder + L"\\" + Name(i)).c_str());
    }
    RemoveDirectoryW(folder.c_str());
    AddRow({"converter run, " + std::to_string(kFiles) + " screenshots of 1920x1080 BMP to JPEG",
            "run through the window", run, "bare calls of conversion.dll", bare, "ms", "<= 1.10"});
}

}  // namespace kavlor::bench
