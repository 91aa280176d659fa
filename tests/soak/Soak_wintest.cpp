// A day of heavy use in a few minutes: every capture, selection, document command, window and
// print again and again through the real program, with the process's objects and memory
// counted after each kind of step. A kind that leaves objects or memory behind is named.
//
// `make test` runs one round (a few hundred steps); `make soak` runs KAVLOR_SOAK_ROUNDS rounds.
// Keys and drags are real input; menu items arrive as WM_COMMAND, as the menu sends them.
#include <windows.h>

#include <gtest/gtest.h>

#include <commdlg.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/ImageFile_win.h"
#include "app/resource.h"
#include "info/AboutWindow_win.h"
#include "info/HelpWindow_win.h"
#include "print/PrinterWindow_win.h"
#include "tests/app/DocumentTestSupport_win.h"
#include "tests/convert/ConverterDriver_win.h"
#include "tests/print/PrintDriver_win.h"
#include "tests/soak/Census_win.h"

namespace kavlor::test {
namespace {

// Every step kind checks its result on every tenth step, so a soak that stops working fails.
constexpr int kCheckEvery = 10;
// The pattern window that captures are checked against, clear of the main window.
constexpr RECT kPatternArea{0, 0, 320, 240};

struct Kind {
    const char* name;
    int perRound;
    std::function<void(int step, bool check)> run;
    int dialogs = 0;      // file dialogs confirmed per step
    bool prints = false;  // shows the print dialog and prints
};

struct Limits {
    long objects = 2;                // GDI, USER and kernel handles, each way
    int64_t privateBytes = 1 << 20;  // growth over the whole soak
};

// What the system's own file dialog keeps per confirmed show, measured on the bare dialog with
// the program's arguments: Wine's keeps a USER object, a kernel handle and about 5 KB each
// time. The soak allows for that, and for nothing else.
constexpr double kDialogCacheGdi = 8;
// Wine's print dialog and printer driver, likewise, keep a few GDI objects more at one of the
// first few prints of a process (seen: 1 to 11, at the second to the fourth), and none at the
// others. A leak of one object a print still shows from round to round.
constexpr double kPrintCacheGdi = 12;

// Wine counts its cache of window DCs (a DC and its regions each) among the process's GDI
// objects; dialogs grow it by fits and starts (+15 to +68 at once) until it is full. Drawing in
// more live windows than it holds fills it first. Windows keeps these DCs outside the process.
void FillWindowDcCache()
{
    using UniqueWindow = UniqueHandle<HWND, DestroyWindow>;
    std::vector<UniqueWindow> windows;
    for (int i = 0; i < 100; ++i) {
        windows.emplace_back(
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr));
        ReleaseDC(windows.back().get(), GetDC(windows.back().get()));
    }
}

struct DialogKeeps {
    double gdiObjects = 0;
    double userObjects = 0;
    double kernelHandles = 0;
    double privateBytes = 0;
};

class Soak : public ConverterTest {
protected:
    void SetUp() override
    {
        ConverterTest::SetUp();
        plzh().exit_Click();  // back to the main window, which the soak drives
        SetWindowPos(window().Hwnd(), nullptr, kPatternArea.right + 60, kPatternArea.bottom + 40, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
        m_pattern = std::make_unique<PatternWindow>(kPatternArea);
        ASSERT_TRUE(m_pattern->WaitShown());
        WriteBytes(m_files.file(L"open.bmp"), MakeBmp(96, 64));
        for (int i = 0; i < 20; ++i) {
            WriteSolidPicture(m_files.file(L"c" + std::to_wstring(i) + (i % 2 ? L".jpg" : L".bmp")),
                              0x102030u * static_cast<uint32_t>(i + 1), 160, 120);
        }
    }
    void TearDown() override
    {
        m_pattern.reset();
        ConverterTest::TearDown();
    }

    void Foreground()
    {
        SetForegroundWindow(window().Hwnd());
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window().Hwnd(); }));
    }
    const PicturePtr& Shown() { return window().Picture1().GetPicture(); }

    // A key that makes a new picture; returns once the picture box holds it.
    void KeyCapture(WORD key)
    {
        const kavlor::Picture* before = Shown().get();
        PressKey(key);
        ASSERT_TRUE(PumpUntil([&] { return Shown() && Shown().get() != before; })) << "key " << key;
    }
    void ExpectPattern(const RECT& inPicture, POINT onScreen)
    {
        Pixels shown = ReadBitmap(Shown()->Bitmap());
        for (POINT p : {POINT{0, 0}, POINT{37, 21}, POINT{150, 99}}) {
            if (p.x < inPicture.right - inPicture.left && p.y < inPicture.bottom - inPicture.top) {
                ASSERT_EQ(shown.at(inPicture.left + p.x, inPicture.top + p.y),
                          PatternColor(onScreen.x + p.x, onScreen.y + p.y));
            }
        }
    }
    // The rows of a capture above the picture box match the screen (title, menu, tool bar).
    void ExpectTopRows(const RECT& screenArea, int rows)
    {
        Pixels shown = ReadBitmap(Shown()->Bitmap());
        ASSERT_EQ(shown.width, screenArea.right - screenArea.left);
        ASSERT_EQ(shown.height, screenArea.bottom - screenArea.top);
        Pixels screen = ReadScreen(RECT{screenArea.left, screenArea.top, screenArea.right, screenArea.top + rows});
        shown.height = rows;
        shown.data.resize(static_cast<size_t>(rows) * shown.width);
        ASSERT_EQ(shown, screen);
    }
    HWND ShowAndClose(int command, const wchar_t* className)
    {
        Command(command);
        HWND shown = FindWindowW(className, nullptr);
        if (shown) {
            SendMessageW(shown, WM_CLOSE, 0, 0);
        }
        return shown;
    }

    std::vector<Kind> Kinds();
    DialogKeeps MeasureBareDialog(int shows);
    double MeasureBareClipboardRead(int reads);

    TempDir m_files;
    std::unique_ptr<PatternWindow> m_pattern;
    int m_prints = 0;
    int m_clipboardReads = 0;
};

std::vector<Kind> Soak::Kinds()
{
    RECT outer{};
    GetWindowRect(window().Hwnd(), &outer);
    RECT client{};
    GetClientRect(window().Hwnd(), &client);
    MapWindowPoints(window().Hwnd(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    const int barRows = 24;  // tool bar rows at the top of the client area
    auto fixed = [this](int command, int width, int height) {
        return [this, command, width, height](int, bool check) {
            Command(command);
            ++m_clipboardReads;  // the picture is read back from the clipboard
            ASSERT_TRUE(Shown());
            ASSERT_EQ(Shown()->SizePixels().cx, width);
            if (check) {
                ExpectPattern(RECT{0, 0, width, height}, POINT{0, 0});
                ++m_clipboardReads;
                ASSERT_EQ(ReadClipboardBitmap(), ReadBitmap(Shown()->Bitmap()));
            }
        };
    };
    return {
        {"full screen (F5)", 50,
         [this](int, bool check) {
             KeyCapture(VK_F5);
             if (check) {
                 ExpectPattern(kPatternArea, POINT{0, 0});
             }
         }},
        {"window (F6)", 50,
         [this, outer](int, bool check) {
             KeyCapture(VK_F6);
             if (check) {
                 ExpectTopRows(outer, 40);
             }
         }},
        {"client area (F7)", 50,
         [this, client, barRows](int, bool check) {
             KeyCapture(VK_F7);
             if (check) {
                 ExpectTopRows(client, barRows);
             }
         }},
        {"640x480", 50, fixed(ID_buhuo, 640, 480)},
        {"800x600", 50, fixed(ID_bu800, 800, 600)},
        {"1024x768", 50, fixed(ID_bu1024, 1024, 768)},
        {"dragged selection (F9)", 10,
         [this](int step, bool) {
             // Multiples of five land on whole pixels of the 1280-pixel screen.
             const int right = 120 + 10 * (step % 10);
             const kavlor::Picture* before = Shown().get();
             PressKey(VK_F9);
             MoveMouse(20, 30, MOUSEEVENTF_LEFTDOWN);
             MoveMouse(80, 90);
             MoveMouse(right, 150, MOUSEEVENTF_LEFTUP);
             ASSERT_TRUE(PumpUntil([&] { return Shown() && Shown().get() != before; }));
             ++m_clipboardReads;
             ASSERT_EQ(Shown()->SizePixels().cx, right - 20);
             ExpectPattern(RECT{0, 0, right - 20, 120}, POINT{20, 30});
             Foreground();
         }},
        {"open and clear", 25,
         [this](int, bool check) {
             {
                 FileDialogDriver dialog(m_files.file(L"open.bmp"));
                 Command(ID_open);
             }
             ASSERT_TRUE(Shown());
             if (check) {
                 ASSERT_EQ(ReadBitmap(Shown()->Bitmap()).at(5, 7), ColorAt(5, 7));
             }
             Command(ID_qinchutx);
             ASSERT_FALSE(Shown());
         },
         1},
        {"save", 10,
         [this](int step, bool check) {
             KeyCapture(VK_F7);
             const std::wstring name = m_files.file(step % 2 ? L"b.bmp" : L"a.bmp");
             {
                 FileDialogDriver dialog(name);
                 Command(ID_baocuntx);
             }
             if (check) {
                 ImageLoad saved = LoadPictureFile(name);
                 ASSERT_TRUE(saved.picture);
                 ASSERT_EQ(ReadBitmap(saved.picture->Bitmap()), ReadBitmap(Shown()->Bitmap()));
             }
         },
         1},
        {"About, help and printer windows", 5,
         [this](int, bool) {
             ASSERT_TRUE(ShowAndClose(ID_guanyuwm, AboutWindow::kClassName));
             ASSERT_TRUE(ShowAndClose(ID_bangzhu, HelpWindow::kClassName));
             ASSERT_TRUE(ShowAndClose(ID_dayinsz, PrinterWindow::kClassName));
             PumpPending();
             Foreground();
         }},
        {"converter run of 20 files", 1,
         [this](int, bool) {
             Command(ID_plzhuan);
             std::wstring typed;
             for (int i = 0; i < 20; ++i) {
                 typed += L"\"c" + std::to_wstring(i) + (i % 2 ? L".jpg\" " : L".bmp\" ");
                 // Each round starts without the last round's results, which the run would ask about.
                 DeleteFileW(m_files.file(L"C" + std::to_wstring(i) + (i % 2 ? L".BMP" : L".JPG")).c_str());
             }
             Choose(m_files.path(), typed);
             ASSERT_EQ(Entries(ConverterWindow::List1).size(), 20u);
             ASSERT_EQ(Run(), L"");
             ASSERT_EQ(Entries(ConverterWindow::List2).size(), 20u);
             plzh().exit_Click();
             ASSERT_TRUE(IsWindowVisible(window().Hwnd()));
             Foreground();
         },
         1},
        {"print", 1,
         [this](int, bool) {
             KeyCapture(VK_F7);
             PrintDialogAnswerer dialog(true);
             Command(ID_dayingtux);
             ASSERT_TRUE(dialog.seen());
             ++m_prints;
         },
         0, true},
    };
}

DialogKeeps Soak::MeasureBareDialog(int shows)
{
    auto show = [this](bool save) {
        FileDialogDriver dialog(m_files.file(save ? L"bare.bmp" : L"open.bmp"));
        std::vector<wchar_t> name(MAX_PATH, L'\0');
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = window().Hwnd();
        ofn.lpstrFilter = L"*.bmp\0*.bmp\0";
        ofn.nFilterIndex = 1;
        ofn.lpstrFile = name.data();
        ofn.nMaxFile = MAX_PATH;
        (save ? GetSaveFileNameW : GetOpenFileNameW)(&ofn);
    };
    // Its caches (icons of the file list among them) fill over the first few dozen shows.
    for (int i = 0; i < 24; ++i) {
        show(i % 2 == 1);
    }
    PumpPending();
    const Census before = TakeCensus();
    for (int i = 0; i < shows; ++i) {
        show(i % 2 == 1);
    }
    PumpPending();
    const Census after = TakeCensus();
    auto perShow = [shows](int64_t change) { return std::max(0.0, static_cast<double>(change) / shows); };
    return {perShow(after.gdiObjects - before.gdiObjects), perShow(after.userObjects - before.userObjects),
            perShow(after.kernelHandles - before.kernelHandles), perShow(after.privateBytes - before.privateBytes)};
}

// Wine's GetClipboardData allocates a 1 KB buffer for the data on every call and, when the data is
// already in the process (a bitmap this process put there, or read before), returns it without
// freeing the buffer. Every capture that shows its picture through the clipboard keeps that KB;
// Windows keeps nothing. Measured here as private bytes per read of a bitmap this process put there.
double Soak::MeasureBareClipboardRead(int reads)
{
    WindowDC screen(nullptr);
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), 64, 48));
    if (!OpenClipboard(window().Hwnd())) {
        return 0;
    }
    EmptyClipboard();
    if (SetClipboardData(CF_BITMAP, bitmap.get())) {
        (void)bitmap.release();  // the clipboard's now
    }
    CloseClipboard();
    auto read = [this] {
        if (OpenClipboard(window().Hwnd())) {
            GetClipboardData(CF_BITMAP);
            CloseClipboard();
        }
    };
    for (int i = 0; i < 50; ++i) {
        read();
    }
    const Census before = TakeCensus();
    for (int i = 0; i < reads; ++i) {
        read();
    }
    const Census after = TakeCensus();
    return std::max(0.0, static_cast<double>(after.privateBytes - before.privateBytes) / reads);
}

std::string Megabytes(int64_t bytes)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f MB", static_cast<double>(bytes) / (1 << 20));
    return text;
}

// The change of one counter over a stretch of the soak: within the limit either way, plus what
// the system's dialogs shown in that stretch may keep.
void ExpectSteady(const char* counter, long change, double mayKeep, long limit)
{
    EXPECT_GE(change, -limit) << counter << " changed by " << change;
    EXPECT_LE(static_cast<double>(change), static_cast<double>(limit) + std::ceil(mayKeep))
        << counter << " changed by " << change << " (the system's dialogs may keep " << mayKeep << ")";
}

TEST_F(Soak, HeavyUseLeavesNoObjectsOrMemoryBehind)
{
    const char* roundsText = std::getenv("KAVLOR_SOAK_ROUNDS");
    const int rounds = roundsText ? std::max(1, std::atoi(roundsText)) : 1;
    const Limits limits;
    PrintQueue queue(1);
    const int printedBefore = queue.CompletedJobs();
    Foreground();
    std::vector<Kind> kinds = Kinds();

    FillWindowDcCache();
    const long cacheFilled = TakeCensus().gdiObjects;
    FillWindowDcCache();
    ASSERT_EQ(TakeCensus().gdiObjects, cacheFilled) << "the cache of window DCs holds more than was drawn in";
    // One of each first, four prints: caches, fonts and the first dialog of each kind settle here.
    for (Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        for (int i = 0; i < (kind.prints ? 4 : 1); ++i) {
            kind.run(0, true);
            if (HasFatalFailure()) {
                return;
            }
        }
    }
    // Its memory grows in steps of 64 KB: a long soak measures it over more shows.
    const DialogKeeps keeps = MeasureBareDialog(std::max(8, 5 * rounds));
    // A soak round reads the clipboard 175 times. Private bytes move in steps of 64 KB, so the
    // measure takes many reads: 100 for each round, 400 at least.
    const double clipboardReadKeeps = MeasureBareClipboardRead(std::max(400, 100 * rounds));
    Foreground();
    const Census baseline = TakeCensus();
    const int readsBefore = m_clipboardReads;
    int readsAfterFirstRound = 0;
    Census peak = baseline;
    Census afterFirstRound{};
    Census last = baseline;
    int steps = 0;
    int dialogs = 0;
    for (int round = 0; round < rounds; ++round) {
        for (Kind& kind : kinds) {
            SCOPED_TRACE(std::string(kind.name) + ", round " + std::to_string(round + 1));
            for (int i = 0; i < kind.perRound; ++i, ++steps) {
                kind.run(i, i % kCheckEvery == 0);
                if (HasFatalFailure()) {
                    return;
                }
            }
            PumpPending();
            const Census now = TakeCensus();
            const int shown = kind.dialogs * kind.perRound;
            dialogs += shown;
            std::printf("  %-34s GDI %+4ld  USER %+4ld  handles %+4ld  private %+6lld KB\n", kind.name,
                        now.gdiObjects - last.gdiObjects, now.userObjects - last.userObjects,
                        now.kernelHandles - last.kernelHandles,
                        static_cast<long long>((now.privateBytes - last.privateBytes) / 1024));
            // Wine's file dialog sometimes grows its caches by a few GDI objects at once (seen
            // once in 720 shows: 6), on top of what the bare dialog keeps per show.
            const double dialogCache = (shown > 0 ? kDialogCacheGdi : 0) + (kind.prints ? kPrintCacheGdi : 0);
            ExpectSteady("GDI objects", now.gdiObjects - last.gdiObjects, keeps.gdiObjects * shown + dialogCache,
                         limits.objects);
            ExpectSteady("USER objects", now.userObjects - last.userObjects, keeps.userObjects * shown, limits.objects);
            ExpectSteady("kernel handles", now.kernelHandles - last.kernelHandles, keeps.kernelHandles * shown,
                         limits.objects);
            peak = {std::max(peak.gdiObjects, now.gdiObjects), std::max(peak.userObjects, now.userObjects),
                    std::max(peak.kernelHandles, now.kernelHandles), std::max(peak.privateBytes, now.privateBytes)};
            last = now;
        }
        if (round == 0) {
            afterFirstRound = last;
            readsAfterFirstRound = m_clipboardReads;
        }
    }
    {
        SCOPED_TRACE("the whole soak");
        ExpectSteady("GDI objects", last.gdiObjects - baseline.gdiObjects,
                     keeps.gdiObjects * dialogs + (dialogs > 0 ? kDialogCacheGdi : 0) + kPrintCacheGdi, limits.objects);
        ExpectSteady("USER objects", last.userObjects - baseline.userObjects, keeps.userObjects * dialogs,
                     limits.objects);
        ExpectSteady("kernel handles", last.kernelHandles - baseline.kernelHandles, keeps.kernelHandles * dialogs,
                     limits.objects);
        const double dialogBytes = keeps.privateBytes * dialogs;
        const double clipboardBytes = clipboardReadKeeps * (m_clipboardReads - readsBefore);
        EXPECT_LE(static_cast<double>(last.privateBytes - baseline.privateBytes),
                  static_cast<double>(limits.privateBytes) + dialogBytes + clipboardBytes)
            << "private bytes";
        // No growth from round to round either, where there were several.
        ExpectSteady("GDI objects after the first round", last.gdiObjects - afterFirstRound.gdiObjects,
                     keeps.gdiObjects * dialogs * (rounds - 1) / rounds + (dialogs > 0 ? kDialogCacheGdi : 0),
                     limits.objects);
        EXPECT_LE(static_cast<double>(last.privateBytes - afterFirstRound.privateBytes),
                  static_cast<double>(limits.privateBytes) + dialogBytes * (rounds - 1) / rounds +
                      clipboardReadKeeps * (m_clipboardReads - readsAfterFirstRound))
            << "private bytes";
    }
    EXPECT_TRUE(queue.WaitForCompletedJobs(printedBefore + m_prints)) << "every print reached the printer";

    std::printf(
        "soak: %d rounds, %d steps, %d file dialogs, %d clipboard reads; the bare file dialog keeps %.2f GDI "
        "objects, %.2f USER objects, %.2f kernel handles and %.1f KB per show, a clipboard read %.2f KB\n",
        rounds, steps, dialogs, m_clipboardReads - readsBefore, keeps.gdiObjects, keeps.userObjects,
        keeps.kernelHandles, keeps.privateBytes / 1024, clipboardReadKeeps / 1024);
    std::printf("  %-16s %12s %12s %12s\n", "", "before", "after", "peak");
    std::printf("  %-16s %12ld %12ld %12ld\n", "GDI objects", baseline.gdiObjects, last.gdiObjects, peak.gdiObjects);
    std::printf("  %-16s %12ld %12ld %12ld\n", "USER objects", baseline.userObjects, last.userObjects,
                peak.userObjects);
    std::printf("  %-16s %12ld %12ld %12ld\n", "kernel handles", baseline.kernelHandles, last.kernelHandles,
                peak.kernelHandles);
    std::printf("  %-16s %12s %12s %12s\n", "private bytes", Megabytes(baseline.privateBytes).c_str(),
                Megabytes(last.privateBytes).c_str(), Megabytes(peak.privateBytes).c_str());
}

}  // namespace
}  // namespace kavlor::test
