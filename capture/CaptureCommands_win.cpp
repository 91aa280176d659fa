// The main window's capture commands: full screen, window, client area, automatic and the
// fixed-size areas.
#include <string>

#include "app/MainWindow.h"
#include "app/Texts.h"
#include "base/App.h"
#include "capture/Capture_win.h"
#include "capture/Wait.h"

namespace kavlor {

void MainWindow::buzuoqping_Click()
{
    Captured captured = CaptureScreen();
    if (ShowCapture(captured)) {
        m_state.CurrentImagePath = std::to_wstring(captured.picture->Handle());
    }
}

void MainWindow::buzuockou_Click()
{
    ShowCapture(CaptureForm(m_hwnd));
}

void MainWindow::buzuobfeng_Click()
{
    ShowCapture(CaptureClient(m_hwnd));
}

// A capture that gave no picture leaves the current one in place and says why.
bool MainWindow::ShowCapture(const Captured& captured)
{
    if (captured.picture) {
        m_picture1.SetPicture(captured.picture);
        return true;
    }
    ShowMessage(m_hwnd,
                captured.failure == CaptureFailure::NoBitmap ? texts::kCaptureNoBitmap : texts::kNothingToCapture,
                texts::kNoticeTitle);
    return false;
}

void MainWindow::zdongbuzuo_Click()
{
    RunAutomaticCapture();
}

void MainWindow::RunAutomaticCapture()
{
    ShowMessage(m_hwnd, texts::kAutoCaptureMessage, texts::kAutoCaptureTitle);
    // Messages keep running during the wait: the user clicks the window to capture, and
    // other commands (even a second automatic capture) may run inside it.
    if (!RunMessagesUntil(AutoCaptureWaitEndMs(WallClockMs()))) {
        return;  // the program is ending
    }
    if (!m_hwnd) {
        return;  // the window was closed during the wait
    }
    ShowCapture(CaptureActiveWindow());
    SetFocus(m_hwnd);
}

void MainWindow::buhuo_Click()
{
    CaptureFixedSize(640, 480);
}

void MainWindow::bu800_Click()
{
    CaptureFixedSize(800, 600);
}

void MainWindow::bu1024_Click()
{
    CaptureFixedSize(1024, 768);
}

void MainWindow::CaptureFixedSize(int width, int height)
{
    // The area always starts at the screen's top-left corner, whatever the screen's size.
    ShowClipboardPicture(CopyScreenRectToClipboard(Rect{0, 0, width, height}));
}

void MainWindow::ShowClipboardPicture(ClipboardCopy copied)
{
    switch (copied) {
    case ClipboardCopy::Copied:
        // Another program may have taken the clipboard over in between.
        if (PicturePtr picture = PictureFromClipboard(m_hwnd)) {
            m_picture1.SetPicture(picture);
            return;
        }
        break;
    case ClipboardCopy::Busy:
    case ClipboardCopy::Failed: break;
    case ClipboardCopy::NoBitmap: ShowMessage(m_hwnd, texts::kCaptureNoBitmap, texts::kNoticeTitle); return;
    case ClipboardCopy::Empty:
    case ClipboardCopy::Overflow:
    case ClipboardCopy::NoOwner: return;
    }
    ShowMessage(m_hwnd, texts::kClipboardBusy, texts::kNoticeTitle);
}

}  // namespace kavlor
