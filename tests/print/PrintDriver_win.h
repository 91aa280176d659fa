// The shared driver of the printing tests: the real print dialog answered from another thread,
// the private CUPS queues the test harness set up, and the printed page read back as pixels.
#pragma once
#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include "base/Picture.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {

// Answers the next print dialog of this process: remembers its caption and the printer it
// shows, then presses OK (or Cancel).
class PrintDialogAnswerer {
public:
    explicit PrintDialogAnswerer(bool confirm);
    ~PrintDialogAnswerer();
    PrintDialogAnswerer(const PrintDialogAnswerer&) = delete;
    PrintDialogAnswerer& operator=(const PrintDialogAnswerer&) = delete;
    // Valid once the print command has returned.
    bool seen() const { return m_seen; }
    const std::wstring& caption() const { return m_caption; }
    const std::wstring& printerShown() const { return m_printer; }

private:
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_seen{false};
    std::wstring m_caption;
    std::wstring m_printer;
    std::thread m_thread;
};

// Runs a command of the machine's shell (outside Wine) and returns what it printed.
std::string RunUnix(const std::string& command);

// One of the two PDF queues of the test session's CUPS scheduler (1 or 2).
struct PrintQueue {
    explicit PrintQueue(int number);
    std::wstring name;
    std::string unixName;
    std::string outDir;  // where the queue's PDF files land
    // Jobs that CUPS lists for this queue: every one, or the completed ones.
    int Jobs() const;
    int CompletedJobs() const;
    // Waits until CUPS has completed `count` jobs on this queue.
    bool WaitForCompletedJobs(int count) const;
};

// The first page of the newest PDF the queue printed, rendered at the printer's 300 dpi.
struct PrintedPage {
    Pixels pixels;
    int pages = 0;
};
std::optional<PrintedPage> ReadNewestPage(const PrintQueue& queue);

// The smallest rectangle holding every pixel of the page that is not paper white.
RECT InkBounds(const Pixels& page);

// A screen-compatible picture of four solid quarters: kQuarterColors from the top-left,
// clockwise. With `palette` the picture holds a palette of those colours.
inline constexpr uint32_t kQuarterColors[4] = {0xC81E5A, 0x1E8C3C, 0x283CB4, 0xDCB414};
PicturePtr MakeQuarterPicture(int width, int height, bool palette);

}  // namespace kavlor::test
