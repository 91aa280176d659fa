// Benchmark: what one mouse message of a selection drag costs on the display, that is one
// erase and one draw of the inverted frame and its size label.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>

#include "base/Handles.h"
#include "bench/BenchParts_win.h"
#include "bench/BenchTable_win.h"
#include "capture/Snap_win.h"

namespace kavlor::bench {

namespace {

// The frame alone, one pixel thick, as four inversions.
void BareFrame(HDC display, const RECT& r)
{
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    PatBlt(display, r.left, r.top, width, 1, DSTINVERT);
    PatBlt(display, r.left, r.bottom - 1, width, 1, DSTINVERT);
    PatBlt(display, r.left, r.top + 1, 1, height - 2, DSTINVERT);
    PatBlt(display, r.right - 1, r.top + 1, 1, height - 2, DSTINVERT);
}

// Mean time of one erase+draw pair in the fastest of `batches` batches.
double TimePairs(HDC display, const RECT& rect, const std::function<void(HDC, const RECT&)>& draw)
{
    const int batches = 20;
    const int pairsPerBatch = 200;
    const double batch = BestOf(batches, [&] {
        for (int i = 0; i < pairsPerBatch; ++i) {
            draw(display, rect);
            draw(display, rect);
        }
        // Reading a pixel back waits until the display has carried out every drawing call,
        // so that the batch's time includes the drawing itself and not just queuing it.
        GdiFlush();
        GetPixel(display, rect.left, rect.top);
    });
    return batch / pairsPerBatch;
}

}  // namespace

void BenchSelectionFrame()
{
    UniqueDC display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    const RECT large{100, 100, 1100, 800};
    const RECT small{100, 100, 140, 130};
    // Warm up: the first label pays for loading the font.
    Snap::DrawSelectionFrame(display.get(), small);
    Snap::DrawSelectionFrame(display.get(), small);

    for (const RECT& rect : {large, small}) {
        const double ours = TimePairs(display.get(), rect, &Snap::DrawSelectionFrame);
        const double bare = TimePairs(display.get(), rect, &BareFrame);
        AddRow({"selection frame erase+draw, " + std::to_string(rect.right - rect.left) + "x" +
                    std::to_string(rect.bottom - rect.top),
                "frame and size label", ours, "bare PatBlt frame, no label", bare, "ms", "<= 1 ms"});
    }
}

}  // namespace kavlor::bench
