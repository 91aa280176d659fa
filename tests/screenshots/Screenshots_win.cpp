// Pictures of the real windows for the README: the main window holding a capture, a region
// selection in the middle of its drag, the About window and the converter after a run. Each is
// cut from the screen to the window (or the selection) and written as a BMP, which
// scripts/screenshots.sh turns into PNG.
//
//   kavlor_screenshots FOLDER
//
// The screen holds fixed content (a generated backdrop, fixed window places), so that two runs
// give the same pictures.
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "app/ImageFile_win.h"
#include "app/MainWindow.h"
#include "app/Texts.h"
#include "app/resource.h"
#include "base/App.h"
#include "base/Handles.h"
#include "capture/Capture_win.h"
#include "convert/ConverterWindow_win.h"
#include "tests/convert/TestPictures.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor {

namespace {

std::wstring gFolder;

// A full-screen window under everything else showing a generated picture, as a desktop would.
class Backdrop {
public:
    Backdrop()
    {
        const int width = GetSystemMetrics(SM_CXSCREEN);
        const int height = GetSystemMetrics(SM_CYSCREEN);
        // A light diagonal gradient, on which the inverted frame shows dark; no grain, so the
        // pictures stay small.
        const int stride = (width * 3 + 3) & ~3;
        gPixels.assign(static_cast<size_t>(stride) * height, 0);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int t = 255 * (x + y) / (width + height);
                uint8_t* pixel = gPixels.data() + static_cast<size_t>(y) * stride + x * 3;
                pixel[0] = static_cast<uint8_t>(215 + t * 30 / 255);  // blue
                pixel[1] = static_cast<uint8_t>(190 + t * 45 / 255);  // green
                pixel[2] = static_cast<uint8_t>(170 - t * 60 / 255);  // red
            }
        }
        gWidth = width;
        gHeight = height;
        static const wchar_t* kClass = L"KavlorScreenshotBackdrop";
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &Backdrop::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);
        m_hwnd = CreateWindowExW(WS_EX_NOACTIVATE, kClass, L"backdrop", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
        ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
        UpdateWindow(m_hwnd);
    }
    ~Backdrop() { DestroyWindow(m_hwnd); }
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg != WM_PAINT) {
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        }
        PaintDC paint(hwnd);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), gWidth, -gHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        SetDIBitsToDevice(paint.get(), 0, 0, gWidth, gHeight, 0, 0, 0, gHeight, gPixels.data(), &info, DIB_RGB_COLORS);
        return 0;
    }

    static inline std::vector<uint8_t> gPixels;
    static inline int gWidth = 0;
    static inline int gHeight = 0;
    HWND m_hwnd = nullptr;
};

void WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    UniqueFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// Runs messages until the screen shows the same pixels in `area` on two looks in a row: the
// windows there have finished painting.
bool WaitSettled(const RECT& area)
{
    test::Pixels last = test::ReadScreen(area);
    return test::PumpUntil([&] {
        test::PumpPending();
        test::Pixels now = test::ReadScreen(area);
        const bool same = now == last;
        last = std::move(now);
        return same;
    });
}

// Cuts `area` out of the screen into NAME.bmp of the output folder.
bool Shoot(const RECT& area, const wchar_t* name)
{
    PicturePtr picture =
        CaptureWindow(GetDesktopWindow(), false, area.left, area.top, area.right - area.left, area.bottom - area.top)
            .picture;
    return picture && SavePictureFile(*picture, gFolder + L"\\" + name + L".bmp") == ImageSaveError::None;
}

RECT WindowArea(HWND hwnd)
{
    RECT area{};
    GetWindowRect(hwnd, &area);
    return area;
}

bool ShootWindow(HWND hwnd, const wchar_t* name)
{
    const RECT area = WindowArea(hwnd);
    return WaitSettled(area) && Shoot(area, name);
}

void Command(MainWindow& window, int id)
{
    SendMessageW(window.Hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

bool ShootMainWindow(MainWindow& window)
{
    Command(window, ID_buzuoqping);
    return ShootWindow(window.Hwnd(), L"main");
}

// The drag runs in the main window's modal loop, so the input and the picture come from a
// second thread while this one dispatches.
bool ShootSelection(MainWindow& window)
{
    // Mostly over the backdrop, where the inverted frame and label show well, and over the top of
    // the window; points that the absolute mouse coordinates of a 1280x1024 screen hit exactly.
    const RECT main = WindowArea(window.Hwnd());
    const POINT from{main.left + 140, main.top - 140};
    const POINT to{main.left + 460, main.top + 60};
    const RECT selection{from.x, from.y, to.x + 1, to.y + 1};
    const RECT around{selection.left - 40, selection.top - 30, selection.right + 40, selection.bottom + 40};
    // A point of the frame's top edge; its corners are inverted twice and so look unchanged.
    const RECT edge{selection.left + 10, selection.top, selection.left + 11, selection.top + 1};
    const test::Pixels before = test::ReadScreen(edge);
    Command(window, ID_zidingyi);
    bool shot = false;
    bool done = false;
    std::thread input([&] {
        test::MoveMouse(from.x, from.y, MOUSEEVENTF_LEFTDOWN);
        test::MoveMouse(to.x, to.y);
        // The frame and its label are drawn together: once the edge shows inverted, both are there.
        for (DWORD start = GetTickCount(); GetTickCount() - start < 10000;) {
            if (test::ReadScreen(edge).at(0, 0) == (before.at(0, 0) ^ 0xFFFFFF)) {
                shot = Shoot(around, L"selection");
                break;
            }
            Sleep(10);  // another thread's drawing: there is no message to wait for
        }
        test::MouseButton(MOUSEEVENTF_LEFTUP);
        done = true;
    });
    test::PumpUntil([&] { return done; }, 30000);
    input.join();
    test::PumpPending();
    return shot;
}

bool ShootAbout(MainWindow& window)
{
    Command(window, ID_guanyuwm);
    HWND about = FindWindowW(L"KavlorAboutWindow", nullptr);
    const bool shot = about && ShootWindow(about, L"about");
    if (about) {
        SendMessageW(about, WM_CLOSE, 0, 0);
    }
    test::PumpPending();
    return shot;
}

// A few generated pictures converted through the window's own run.
bool ShootConverter(MainWindow& window)
{
    const std::wstring folder = L"C:\\Pictures";
    CreateDirectoryW(folder.c_str(), nullptr);
    // The last one converted stays in the previews: a photograph.
    const std::wstring names[] = {L"BEACH.BMP", L"DESK.BMP", L"FIELD.BMP", L"HILLS.BMP"};
    for (uint32_t i = 0; i < 4; ++i) {
        const Raster raster = i == 1 ? test::ScreenshotLike(480, 300) : test::PhotoLike(480, 300, i + 1);
        WriteFileBytes(folder + L"\\" + names[i], test::EncodeBmp(raster, test::BmpFormat{}));
    }
    // The converter loads the library from its program's folder.
    CopyFileW((test::TestProgramDir() + L"\\..\\app\\conversion.dll").c_str(),
              (test::TestProgramDir() + L"\\conversion.dll").c_str(), FALSE);
    Command(window, ID_plzhuan);
    ConverterWindow& converter = window.plzh();
    HWND list = GetDlgItem(converter.Hwnd(), ConverterWindow::List1);
    SetWindowTextW(GetDlgItem(converter.Hwnd(), ConverterWindow::Label1), folder.c_str());
    for (const std::wstring& name : names) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    converter.List1_Click();
    converter.zhuanhuan_Click();
    return ShootWindow(converter.Hwnd(), L"converter");
}

}  // namespace

}  // namespace kavlor

int main(int argc, char** argv)
{
    using namespace kavlor;
    if (argc != 2 || !InitApplication(GetModuleHandleW(nullptr))) {
        return 2;
    }
    SetUnexpectedFailureText(texts::kUnexpectedFailure, texts::kAppTitle);
    const std::string folder = argv[1];
    gFolder.assign(folder.begin(), folder.end());

    Backdrop backdrop;
    MainWindow window;
    window.Create(SW_SHOWNORMAL);
    // A fixed place clear of the screen's corner, so that the capture shows the backdrop and
    // the window itself.
    SetWindowPos(window.Hwnd(), nullptr, 60, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SetForegroundWindow(window.Hwnd());
    test::PumpUntil([&] { return GetForegroundWindow() == window.Hwnd(); });
    WaitSettled(WindowArea(window.Hwnd()));

    int failed = 0;
    failed += !ShootMainWindow(window);
    failed += !ShootSelection(window);
    failed += !ShootAbout(window);
    failed += !ShootConverter(window);
    ShutdownApplication();
    return failed;
}
