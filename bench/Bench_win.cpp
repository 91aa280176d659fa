// Benchmark: how long a full-screen capture takes next to a bare blit of the same size, what
// one erase and redraw of the selection frame costs, the print command next to a bare job, and
// the converter's run next to the library's own time.
// Run it through `make bench`; it prints times, it checks nothing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "base/App.h"
#include "base/Handles.h"
#include "bench/ConverterBench_win.h"
#include "bench/PrintBench_win.h"
#include "bench/SelectionBench_win.h"
#include "capture/Capture_win.h"

namespace {

using namespace kavlor;

double NowMs()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The least of many runs: the most repeatable figure on a busy machine.
template <typename F>
double BestOf(int runs, F&& work)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        double start = NowMs();
        work();
        best = std::min(best, NowMs() - start);
    }
    return best;
}

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

int main()
{
    InitApplication(GetModuleHandleW(nullptr));
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const int runs = 60;

    // Warm up both paths once so that neither pays for first use.
    CaptureScreen();
    BareBlit(width, height);

    double bare = BestOf(runs, [&] { BareBlit(width, height); });
    double capture = BestOf(runs, [&] { PicturePtr picture = CaptureScreen(); });
    std::printf("screen %dx%d, best of %d runs\n", width, height, runs);
    std::printf("  bare GetDC+BitBlt : %8.3f ms\n", bare);
    std::printf("  CaptureScreen     : %8.3f ms\n", capture);
    std::printf("  ratio             : %8.3f (goal: at most 1.10)\n", capture / bare);
    std::fflush(stdout);
    // The region selection's cost per mouse message, next to the capture above.
    BenchSelectionFrame();
    BenchPrint();
    BenchConverter();
    ShutdownApplication();
    return 0;
}
