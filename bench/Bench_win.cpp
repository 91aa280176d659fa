// The benchmark program: every part times something of ours next to a reference measured in
// the same run and adds a row to the table that scripts/bench.sh prints and writes as Markdown.
// It checks nothing.
//
//   kavlor_bench [ROWS_FILE [NAME=VALUE...]]   rows are appended to ROWS_FILE, or printed; the
//                                             figures the calling script measured outside Wine
//                                             follow by name (xwd, convert-screen...)
//   kavlor_bench --pictures FOLDER             writes the pictures of the save figures there
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>

#include "base/App.h"
#include "bench/BenchParts_win.h"
#include "bench/BenchTable_win.h"
#include "capture/Capture_win.h"

namespace kavlor::bench {

namespace {

void BareBlit(int width, int height)
{
    HDC screen = GetDC(GetDesktopWindow());
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
    ReleaseDC(GetDesktopWindow(), screen);
    DeleteObject(bitmap);
}

}  // namespace

void BenchCapture()
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const int runs = 60;
    // Warm up both paths once so that neither pays for first use.
    CaptureScreen();
    BareBlit(width, height);
    const double bare = BestOf(runs, [&] { BareBlit(width, height); });
    const double capture = BestOf(runs, [&] { PicturePtr picture = CaptureScreen().picture; });
    AddRow({"capture of the whole screen, " + std::to_string(width) + "x" + std::to_string(height), "CaptureScreen",
            capture, "bare GetDC + BitBlt", bare, "ms", "<= 1.10"});
}

}  // namespace kavlor::bench

int main()
{
    using namespace kavlor;
    if (!InitApplication(GetModuleHandleW(nullptr))) {
        return 2;
    }
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv && argc == 3 && std::wcscmp(argv[1], L"--pictures") == 0) {
        bench::WriteSavePictures(argv[2]);
        LocalFree(argv);
        ShutdownApplication();
        return 0;
    }
    if (argv && argc > 1) {
        bench::SetRowFile(argv[1]);
    }
    std::map<std::string, double> outside;
    for (int i = 2; argv && i < argc; ++i) {
        const std::wstring arg = argv[i];
        const size_t equals = arg.find(L'=');
        if (equals != std::wstring::npos) {
            outside[std::string(arg.begin(), arg.begin() + static_cast<ptrdiff_t>(equals))] =
                std::wcstod(arg.c_str() + equals + 1, nullptr);
        }
    }
    const double xwdMs = outside.count("xwd") ? outside["xwd"] : 0;
    LocalFree(argv);

    // KAVLOR_BENCH_ONLY=converter (say) runs the benchmarks of that name alone.
    const char* only = std::getenv("KAVLOR_BENCH_ONLY");
    auto wanted = [only](const char* name) { return !only || std::strstr(name, only); };
    // First, while the process's peak memory is still its own at start.
    if (wanted("huge header")) {
        bench::BenchHugeHeader();
    }
    if (wanted("capture")) {
        bench::BenchCapture();
        bench::BenchKeyCapture(xwdMs);
    }
    if (wanted("files")) {
        bench::BenchFiles();
    }
    if (wanted("saves")) {
        bench::BenchSaves(outside);
    }
    if (wanted("selection")) {
        bench::BenchSelectionFrame();
    }
    if (wanted("print")) {
        bench::BenchPrint();
    }
    if (wanted("converter")) {
        bench::BenchConverter();
    }
    ShutdownApplication();
    return 0;
}
