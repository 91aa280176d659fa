// The custom region capture: arming, the drag with its inverted frame and size label, and the
// copy of the selected pixels.
#include <optional>
#include <string>
#include <utility>

#include "app/MainWindow.h"
#include "base/App.h"
#include "base/Handles.h"
#include "base/Units.h"
#include "capture/Capture_win.h"
#include "capture/Selection.h"
#include "capture/Snap_win.h"

namespace kavlor {

namespace {

Rect ToRect(const RECT& r)
{
    return Rect{r.left, r.top, r.right, r.bottom};
}

RECT ToRECT(const Rect& r)
{
    return RECT{r.left, r.top, r.right, r.bottom};
}

}  // namespace

namespace Snap {

// A modal loop on the UI thread: it takes only mouse and key messages out of the queue and
// dispatches nothing, so no window of the program repaints during the drag and every other message
// waits until the selection ends. The frame is drawn by inverting the display's pixels, so each
// mouse message costs one erase and one draw and nothing under the frame has to be saved.
//
// The loop waits for a release that only comes while this window holds the mouse capture. When
// the capture goes (the system cancels the mode, another window takes it), or the button is up
// with no release in the queue, no release will come and the drag is given up; so it is on Esc.
// Keys pressed during the drag go nowhere else.
std::optional<RECT> TrackSelectionRect(HWND window, POINT& start)
{
    // The whole screen, every monitor, in screen coordinates (as the copy takes it). A DC that
    // cannot be had leaves the frame undrawn; the selection itself still works.
    std::optional<WindowDC> display(std::in_place, nullptr);
    ClientToScreen(window, &start);
    // The release must reach this thread or the loop would never end. Arming captured the
    // mouse, but another program may have taken the capture since.
    if (GetCapture() != window) {
        SetCapture(window);
    }

    RECT rect{start.x, start.y, start.x, start.y};
    NormalizeRect(rect);
    DrawSelectionFrame(display->get(), rect);

    const int leftButton = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    MSG msg{};
    bool cancelled = false;
    for (;;) {
        // The button's state is read before the queue: a release that came before the read is
        // in the queue by then.
        const bool buttonUp = (GetAsyncKeyState(leftButton) & 0x8000) == 0;
        MSG key{};
        while (PeekMessageW(&key, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
            cancelled = cancelled || (key.message == WM_KEYDOWN && key.wParam == VK_ESCAPE);
        }
        // Peeking also runs the messages sent to the thread, which may take the capture away.
        const bool mouse = PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MBUTTONDBLCLK, PM_REMOVE);
        if (cancelled || GetCapture() != window || (!mouse && buttonUp)) {
            cancelled = true;
            break;
        }
        // Drain the mouse messages first and wait only when none is left: WaitMessage sleeps
        // until something new arrives, so a release already queued behind a move (a quick
        // click, a busy machine) would otherwise wait for the next movement of the mouse.
        if (!mouse) {
            WaitMessage();
            continue;
        }
        // Every kind of mouse message moves the free corner, the right and middle buttons'
        // too; only the left button's release ends the selection.
        DrawSelectionFrame(display->get(), rect);
        rect = RECT{start.x, start.y, msg.pt.x, msg.pt.y};
        NormalizeRect(rect);
        DrawSelectionFrame(display->get(), rect);
        if (msg.message == WM_LBUTTONUP) {
            break;
        }
    }

    // Erased before the copy so that the frame is not part of the captured pixels.
    DrawSelectionFrame(display->get(), rect);
    display.reset();
    if (GetCapture() == window) {
        ReleaseCapture();
    }
    if (cancelled) {
        return std::nullopt;
    }
    // The loop consumed the release; the window gets it back so that Form_MouseUp runs.
    PostMessageW(window, WM_LBUTTONUP, msg.wParam, msg.lParam);
    return rect;
}

// Everything is inverted, frame and label alike, so that a second call with the same
// rectangle puts the screen back exactly.
void DrawSelectionFrame(HDC hdc, const RECT& rect)
{
    std::optional<SelectionFrameLayout> frame = LayOutSelectionFrame(ToRect(rect));
    if (!frame) {
        return;  // an empty rectangle shows nothing
    }
    for (const FrameStrip& strip : frame->strips) {
        PatBlt(hdc, strip.x, strip.y, strip.width, strip.height, DSTINVERT);
    }

    const std::wstring& label = frame->label;
    const int length = static_cast<int>(label.size());
    SIZE extent{};
    GetTextExtentPoint32W(hdc, label.c_str(), length, &extent);
    if (extent.cx <= 0 || extent.cy <= 0) {
        return;  // no font to measure with: a bitmap of no size would be a 1x1 stand-in
    }
    LabelOrigin at = CentreLabel(ToRect(rect), Size{extent.cx, extent.cy});

    // The label goes through a monochrome bitmap: the glyphs are the 1 bits. Blitted with
    // SRCINVERT onto a DC with its default colours (black text, white background) the 1 bits
    // arrive as white and invert the screen, the 0 bits as black and leave it alone.
    // Declared in this order so that the bitmap is deselected, then deleted, then the DC.
    UniqueDC memory(CreateCompatibleDC(hdc));
    SetTextColor(memory.get(), RGB(255, 255, 255));
    SetBkColor(memory.get(), RGB(0, 0, 0));
    UniqueBitmap glyphs(CreateBitmap(extent.cx, extent.cy, 1, 1, nullptr));
    if (!glyphs) {
        return;
    }
    SelectGuard select(memory.get(), glyphs.get());
    TextOutW(memory.get(), 0, 0, label.c_str(), length);
    BitBlt(hdc, at.x, at.y, extent.cx, extent.cy, memory.get(), 0, 0, SRCINVERT);
}

void NormalizeRect(RECT& rect)
{
    Rect r = ToRect(rect);
    kavlor::NormalizeRect(r);
    rect = ToRECT(r);
}

void SwapLong(LONG& a, LONG& b)
{
    std::swap(a, b);
}

}  // namespace Snap

void MainWindow::zidingyi_Click()
{
    ArmSelection();
}

// From here on every mouse press anywhere on the screen reaches this window.
void MainWindow::ArmSelection()
{
    if (m_state.SelectionArmed) {
        return;
    }
    m_state.SelectionArmed = true;
    SetAppMousePointer(AppMousePointer::Crosshair);
    SetCapture(m_hwnd);
}

// The left press of an armed selection: it runs the drag to its end, then copies the selected
// pixels to the clipboard and shows them. With the mouse captured, (x, y) may lie outside the
// client area.
void MainWindow::Form_MouseDown(int button, int, float x, float y)
{
    if (!((button & 1) && GetAppMousePointer() == AppMousePointer::Crosshair && m_state.SelectionArmed)) {
        return;
    }
    m_state.SelectionArmed = false;
    POINT start{RoundHalfEven(x).value_or(0), RoundHalfEven(y).value_or(0)};
    std::optional<RECT> selection = Snap::TrackSelectionRect(m_hwnd, start);
    if (!selection) {
        // Given up: no release comes to put the pointer back, and nothing is captured.
        SetAppMousePointer(AppMousePointer::Default);
        return;
    }

    ClipboardCopy copied = CopyScreenRectToClipboard(ToRect(*selection));
    if (copied == ClipboardCopy::Overflow || copied == ClipboardCopy::NoOwner) {
        return;  // the copy stopped with an error, and the command with it
    }
    // A minimised or maximised window goes back to its normal size. A window restored from
    // minimised may come back maximised, hence the second look.
    if (IsIconic(m_hwnd)) {
        ShowWindow(m_hwnd, SW_RESTORE);
    }
    if (IsZoomed(m_hwnd)) {
        ShowWindow(m_hwnd, SW_RESTORE);
    }
    // An empty selection copies nothing (a zero-sized clipboard bitmap is not a picture of
    // anything), and a busy clipboard holds something older: the picture stays as it was.
    ShowClipboardPicture(copied);
}

// Also runs for the release that TrackSelectionRect hands back to the window.
void MainWindow::Form_MouseUp(int button, int, float, float)
{
    if (button & 1) {
        SetAppMousePointer(AppMousePointer::Default);
    }
}

}  // namespace kavlor
