// Benchmark: what one mouse message of a selection drag costs on the display, that is one
// erase and one draw of the inverted frame and its size label.
#include "bench/SelectionBench_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "base/Handles.h"
#include "capture/Snap_win.h"

namespace {

double NowUs()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1e6 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct PairTimes {
    double bestBatchUs;  // mean per pair in the fastest batch: the most repeatable figure
    double meanUs;       // mean per pair over all batches
};

PairTimes TimePairs(HDC display, const RECT& rect, int batches, int pairsPerBatch)
{
    PairTimes times{1e30, 0};
    double total = 0;
    for (int b = 0; b < batches; ++b) {
        double start = NowUs();
        for (int i = 0; i < pairsPerBatch; ++i) {
            kavlor::Snap::DrawSelectionFrame(display, rect);
            kavlor::Snap::DrawSelectionFrame(display, rect);
        }
        // Reading a pixel back waits until the display has carried out every drawing call,
        // so that the batch's time includes the drawing itself and not just queuing it.
        GdiFlush();
        GetPixel(display, rect.left, rect.top);
        double elapsed = NowUs() - start;
        total += elapsed;
        times.bestBatchUs = std::min(times.bestBatchUs, elapsed / pairsPerBatch);
    }
    times.meanUs = total / (static_cast<double>(batches) * pairsPerBatch);
    return times;
}

}  // namespace

void BenchSelectionFrame()
{
    kavlor::UniqueDC display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    const RECT large{100, 100, 1100, 800};
    const RECT small{100, 100, 140, 130};
    const int batches = 20;
    const int pairsPerBatch = 200;

    // Warm up: the first label pays for loading the font.
    TimePairs(display.get(), small, 1, 10);

    PairTimes largeTimes = TimePairs(display.get(), large, batches, pairsPerBatch);
    PairTimes smallTimes = TimePairs(display.get(), small, batches, pairsPerBatch);
    std::printf("selection frame erase+draw pair, %d batches of %d pairs\n", batches, pairsPerBatch);
    std::printf("  %4ldx%-4ld : %8.2f us per pair (best batch), %8.2f us mean\n", large.right - large.left,
                large.bottom - large.top, largeTimes.bestBatchUs, largeTimes.meanUs);
    std::printf("  %4ldx%-4ld : %8.2f us per pair (best batch), %8.2f us mean\n", small.right - small.left,
                small.bottom - small.top, smallTimes.bestBatchUs, smallTimes.meanUs);
    std::fflush(stdout);
}
