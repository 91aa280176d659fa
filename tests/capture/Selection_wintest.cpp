// The custom region capture driven by real mouse input: the pixels it takes, the frame and
// label it shows during the drag, and the state it leaves behind.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "app/resource.h"
#include "base/App.h"
#include "base/Handles.h"
#include "capture/Capture_win.h"
#include "capture/Selection.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

// A topmost pattern window covers this area (and the main window's part of it); every drag
// stays inside it.
constexpr RECT kArea{0, 0, 500, 400};
// In the two-monitor session, whose second monitor lies left of the primary at negative x: an
// area across the boundary.
constexpr RECT kSpan{-600, 0, 500, 400};
constexpr DWORD kDeadlineMs = 10000;

Pixels PatternPixels(const RECT& r)
{
    Pixels p{r.right - r.left, r.bottom - r.top, {}};
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            p.data.push_back(PatternColor(x, y));
        }
    }
    return p;
}

// The pattern as it looks while `sel` is dragged: frame rows and columns inverted (corners
// twice, so not at all) and the label's glyphs inverted, centred on the selection.
Pixels ScreenDuringDrag(const RECT& area, const RECT& sel, const std::wstring& label)
{
    Pixels screen = PatternPixels(area);
    auto invert = [&](int x, int y) {
        screen.data[static_cast<size_t>(y - area.top) * screen.width + (x - area.left)] ^= 0xFFFFFF;
    };
    for (int x = sel.left; x < sel.right; ++x) {
        invert(x, sel.top);
        invert(x, sel.bottom - 1);
    }
    for (int y = sel.top; y < sel.bottom; ++y) {
        invert(sel.left, y);
        invert(sel.right - 1, y);
    }
    // The glyphs as the default font of the display sets them in a monochrome bitmap with the
    // default colours: ink is black.
    UniqueDC display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    SIZE size{};
    GetTextExtentPoint32W(display.get(), label.c_str(), static_cast<int>(label.size()), &size);
    UniqueDC memory(CreateCompatibleDC(display.get()));
    UniqueBitmap mono(CreateBitmap(size.cx, size.cy, 1, 1, nullptr));
    {
        SelectGuard select(memory.get(), mono.get());
        TextOutW(memory.get(), 0, 0, label.c_str(), static_cast<int>(label.size()));
    }
    Pixels glyphs = ReadBitmap(mono.get());
    LabelOrigin at = CentreLabel(Rect{sel.left, sel.top, sel.right, sel.bottom}, Size{size.cx, size.cy});
    for (int y = 0; y < glyphs.height; ++y) {
        for (int x = 0; x < glyphs.width; ++x) {
            if (glyphs.at(x, y) == 0) {
                invert(at.x + x, at.y + y);
            }
        }
    }
    return screen;
}

// Runs a script of input on a second thread: during the drag the UI thread sits in the modal
// tracking loop, so input and looks at the screen have to come from elsewhere. Misses are
// counted here and checked by the test on the UI thread.
class Drag {
public:
    Drag(std::function<void(Drag&)> script, const RECT& area)
        : m_area(area), m_uiThread(GetCurrentThreadId()), m_thread([this, script] {
              script(*this);
              m_done = true;
          })
    {
    }
    ~Drag() { m_thread.join(); }
    // Runs this thread's messages (the press, and so the whole drag) until the script ends.
    bool Run()
    {
        return PumpUntil([&] { return m_done.load(); }, 60000);
    }
    int misses() const { return m_misses; }

    void ExpectScreen(const RECT& sel, const std::wstring& label)
    {
        Pixels expected = ScreenDuringDrag(m_area, sel, label);
        m_misses += !Poll([&] { return ReadScreen(m_area) == expected; });
    }
    void ReleaseLeft()
    {
        MouseButton(MOUSEEVENTF_LEFTUP);
        WaitEnded();
    }
    // The loop ends by releasing the mouse capture. When it does not, one more movement and
    // release push it on, so that the test fails instead of hanging.
    void WaitEnded()
    {
        if (!Poll([&] { return !CaptureOfUiThread(); })) {
            ++m_misses;
            POINT at{};
            GetCursorPos(&at);
            MoveMouse(at.x, at.y, MOUSEEVENTF_LEFTUP);
        }
    }

private:
    static bool Poll(const std::function<bool()>& done)
    {
        for (DWORD start = GetTickCount(); !done();) {
            if (GetTickCount() - start >= Deadline(kDeadlineMs)) {
                return false;
            }
            Sleep(5);  // another thread's screen and state: there is no message to wait for
        }
        return true;
    }
    HWND CaptureOfUiThread() const
    {
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(m_uiThread, &info);
        return info.hwndCapture;
    }

    RECT m_area;  // the pattern window's, where the screen is looked at
    DWORD m_uiThread;
    std::atomic<int> m_misses{0};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

class Selection : public MainWindowTest {
protected:
    // Under Wine a press that follows the last click within the double-click time may lose its
    // release; a user's next drag comes later.
    static void WaitOutDoubleClick(DWORD since)
    {
        PumpUntil([since] { return GetTickCount() - since > GetDoubleClickTime(); });
    }
    // Where the pattern window lies and every drag stays.
    virtual RECT Area() const { return kArea; }
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_pattern = std::make_unique<PatternWindow>(Area());
        ASSERT_TRUE(m_pattern->WaitShown());
    }
    void TearDown() override
    {
        m_pattern.reset();
        MainWindowTest::TearDown();
    }
    // Runs an armed selection's input and checks that it ends in the idle state with nothing
    // of the frame or label left on the screen.
    void Select(const std::function<void(Drag&)>& script)
    {
        Drag drag(script, Area());
        ASSERT_TRUE(drag.Run());
        EXPECT_EQ(drag.misses(), 0);
        EXPECT_TRUE(PumpUntil([] { return GetAppMousePointer() == AppMousePointer::Default; }));
        EXPECT_FALSE(window().State().SelectionArmed);
        EXPECT_EQ(GetCapture(), nullptr);
        EXPECT_EQ(ReadScreen(Area()), PatternPixels(Area()));
    }
    // One armed drag from `from` to `to`, with the frame of `selection` and its label checked on
    // the way; `released` is when the last drag ended, and becomes when this one did. Gives the
    // pixels it copied.
    Pixels DragOnce(POINT from, POINT to, const RECT& selection, const wchar_t* label, DWORD& released)
    {
        window().Picture1().SetPicture(nullptr);
        WaitOutDoubleClick(released);
        Command(ID_zidingyi);
        Select([&](Drag& d) {
            MoveMouse(from.x, from.y, MOUSEEVENTF_LEFTDOWN);
            MoveMouse(to.x, to.y);
            d.ExpectScreen(selection, label);
            d.ReleaseLeft();
        });
        released = GetTickCount();
        return Picture1Pixels();
    }
    Pixels Picture1Pixels()
    {
        const PicturePtr& picture = window().Picture1().GetPicture();
        return picture ? ReadBitmap(picture->Bitmap()) : Pixels{};
    }

    std::unique_ptr<PatternWindow> m_pattern;
};

// The first drag starts from a maximised window, which comes back normal; the later ones show
// that the program is idle again after each.
TEST_F(Selection, DragCopiesExactlyTheSelectedPixelsWhicheverCornerItStartsFrom)
{
    ShowWindow(window().Hwnd(), SW_MAXIMIZE);
    ASSERT_TRUE(PumpUntil([&] { return IsZoomed(window().Hwnd()) != FALSE; }));
    const POINT rows[][2] = {{{100, 100}, {400, 300}}, {{400, 300}, {100, 100}}, {{400, 100}, {100, 300}}};
    DWORD released = GetTickCount() - GetDoubleClickTime();
    for (const auto& row : rows) {
        EXPECT_EQ(DragOnce(row[0], row[1], RECT{100, 100, 400, 300}, L"300x200", released),
                  PatternPixels(RECT{100, 100, 400, 300}))
            << row[0].x << "," << row[0].y;
        EXPECT_EQ(ReadClipboardBitmap(), Picture1Pixels());
        EXPECT_FALSE(IsZoomed(window().Hwnd()));
    }
}

TEST_F(Selection, OnlyTheLeftButtonStartsAndEndsIt)
{
    Command(ID_zidingyi);
    Command(ID_zidingyi);
    for (DWORD flags : {MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP, MOUSEEVENTF_MIDDLEDOWN | MOUSEEVENTF_MIDDLEUP}) {
        MoveMouse(50, 50, flags);
        PumpPending();
        EXPECT_TRUE(window().State().SelectionArmed);
        EXPECT_EQ(GetAppMousePointer(), AppMousePointer::Crosshair);
        EXPECT_EQ(GetCapture(), window().Hwnd());
    }
    WaitOutDoubleClick(GetTickCount());
    // During the drag the frame follows the cursor through right and middle clicks and keys
    // other than Esc; none of them ends it, so the picture is the rectangle of the left release.
    Select([](Drag& d) {
        MoveMouse(100, 100, MOUSEEVENTF_LEFTDOWN);
        MoveMouse(400, 300, MOUSEEVENTF_RIGHTDOWN | MOUSEEVENTF_RIGHTUP);
        d.ExpectScreen(RECT{100, 100, 400, 300}, L"300x200");
        PressKey('A');
        MoveMouse(300, 250, MOUSEEVENTF_MIDDLEDOWN | MOUSEEVENTF_MIDDLEUP);
        d.ExpectScreen(RECT{100, 100, 300, 250}, L"200x150");
        MoveMouse(250, 200);
        d.ExpectScreen(RECT{100, 100, 250, 200}, L"150x100");
        d.ReleaseLeft();
    });
    EXPECT_EQ(Picture1Pixels(), PatternPixels(RECT{100, 100, 250, 200}));
}

// Press and release arrive together, before the loop starts: the release must still end it.
// The empty rectangle draws nothing and copies nothing; the picture and clipboard stay.
TEST_F(Selection, ClickWithoutMovingSelectsNothing)
{
    window().Picture1().SetPicture(CaptureScreen().picture);
    PicturePtr before = window().Picture1().GetPicture();
    DWORD clipboard = GetClipboardSequenceNumber();
    Command(ID_zidingyi);
    MoveMouse(150, 150, MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_LEFTUP);
    Select([](Drag& d) { d.WaitEnded(); });
    EXPECT_EQ(window().Picture1().GetPicture(), before);
    EXPECT_EQ(GetClipboardSequenceNumber(), clipboard);
}

// Esc, the loss of the mouse capture (the system's WM_CANCELMODE), or a press whose button is
// already up when the drag starts end the selection at once: nothing is captured, and the picture
// and the clipboard stay as they were. One ending a test: under emulation a second drag after a
// cancelled one has shown its frame from elsewhere.
class CancelledSelection : public Selection {
protected:
    void EndsWithoutCapturing(const std::function<void(HWND)>& end)
    {
        window().Picture1().SetPicture(CaptureScreen().picture);
        PicturePtr before = window().Picture1().GetPicture();
        DWORD clipboard = GetClipboardSequenceNumber();
        HWND hwnd = window().Hwnd();
        const int left = Area().left;
        Command(ID_zidingyi);
        Select([&](Drag& d) {
            MoveMouse(left + 100, 100, MOUSEEVENTF_LEFTDOWN);
            MoveMouse(left + 300, 200);
            d.ExpectScreen(RECT{left + 100, 100, left + 300, 200}, L"200x100");
            end(hwnd);
            d.WaitEnded();
            MouseButton(MOUSEEVENTF_LEFTUP);
        });
        // A press that nobody made: the release will never come.
        Command(ID_zidingyi);
        PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
        Select([](Drag& d) { d.WaitEnded(); });
        EXPECT_EQ(window().Picture1().GetPicture(), before);
        EXPECT_EQ(GetClipboardSequenceNumber(), clipboard);
    }
};

TEST_F(CancelledSelection, EscEndsItWithoutCapturing)
{
    EndsWithoutCapturing([](HWND) { PressKey(VK_ESCAPE); });
}

TEST_F(CancelledSelection, ALostCaptureEndsItWithoutCapturing)
{
    EndsWithoutCapturing([](HWND hwnd) { SendMessageW(hwnd, WM_CANCELMODE, 0, 0); });
}

// Another program holds the clipboard open through the drag: the selection ends as usual, says
// that the clipboard is busy, and the picture stays. The release waits until the frame shows the
// last move: on Wine a button sent right after a move has carried the position from before it.
TEST_F(Selection, ABusyClipboardKeepsThePicture)
{
    // The message box gives the main window back the foreground: keep it clear of the area.
    SetWindowPos(window().Hwnd(), nullptr, kArea.right + 20, kArea.bottom + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    window().Picture1().SetPicture(CaptureScreen().picture);
    PicturePtr before = window().Picture1().GetPicture();
    ClipboardHolder holder;
    ASSERT_TRUE(holder.holding());
    MessageBoxAnswerer box(L"Kavlor 提示");
    Command(ID_zidingyi);
    Select([](Drag& d) {
        MoveMouse(100, 100, MOUSEEVENTF_LEFTDOWN);
        MoveMouse(200, 150);
        d.ExpectScreen(RECT{100, 100, 200, 150}, L"100x50");
        d.ReleaseLeft();
    });
    EXPECT_TRUE(box.answered());
    EXPECT_EQ(box.text(), L"无法把截取的图像放入剪贴板:剪贴板正被其他程序使用。图像框中的图像没有改变,请稍后再试。");
    EXPECT_EQ(window().Picture1().GetPicture(), before);
}

// The selection where a second monitor lies left of the primary, in the two-monitor session.
template <typename Fixture>
class OnTwoMonitors : public Fixture {
protected:
    RECT Area() const override { return kSpan; }
    void SetUp() override
    {
        ASSERT_TRUE(PumpUntil([] { return GetSystemMetrics(SM_CMONITORS) == 2; })) << "one monitor only";
        Fixture::SetUp();
    }
};
using TwoMonitors = OnTwoMonitors<Selection>;
using CancelledOnTwoMonitors = OnTwoMonitors<CancelledSelection>;

// Begun on the second monitor, the drag still ends on Esc and on a lost capture.
TEST_F(CancelledOnTwoMonitors, EscEndsItWithoutCapturing)
{
    EndsWithoutCapturing([](HWND) { PressKey(VK_ESCAPE); });
}

TEST_F(CancelledOnTwoMonitors, ALostCaptureEndsItWithoutCapturing)
{
    EndsWithoutCapturing([](HWND hwnd) { SendMessageW(hwnd, WM_CANCELMODE, 0, 0); });
}

// A drag on the second monitor, and a backwards one across the boundary: the frame and label
// show on both monitors, and exactly those pixels are copied.
TEST_F(TwoMonitors, DragsOnTheSecondMonitorAndAcrossTheBoundaryCopyExactlyThosePixels)
{
    const struct {
        POINT from;
        POINT to;
        RECT selection;
        const wchar_t* label;
    } rows[] = {
        {{-500, 100}, {-200, 300}, {-500, 100, -200, 300}, L"300x200"},
        {{300, 350}, {-400, 50}, {-400, 50, 300, 350}, L"700x300"},
    };
    DWORD released = GetTickCount() - GetDoubleClickTime();
    for (const auto& row : rows) {
        EXPECT_EQ(DragOnce(row.from, row.to, row.selection, row.label, released), PatternPixels(row.selection))
            << row.label;
    }
}

}  // namespace
}  // namespace kavlor::test
