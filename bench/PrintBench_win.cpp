// Benchmark of the print command: the click on "打印图像(&P)" to the end of the document,
// with the print dialog confirmed at once, next to a bare StretchDIBits job of the same
// bitmap on the same printer.
#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/MainWindow.h"
#include "app/resource.h"
#include "base/Handles.h"
#include "base/Picture.h"
#include "bench/BenchParts_win.h"
#include "bench/BenchTable_win.h"

namespace kavlor::bench {

namespace {

PicturePtr MakePicture(int width, int height)
{
    WindowDC screen(nullptr);
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    UniqueDC memory(CreateCompatibleDC(screen.get()));
    SelectGuard select(memory.get(), bitmap.get());
    for (int band = 0; band < 64; ++band) {
        RECT rect{band * width / 64, 0, (band + 1) * width / 64, height};
        UniqueBrush brush(CreateSolidBrush(RGB(band * 4, 255 - band * 4, band * 2)));
        FillRect(memory.get(), &rect, brush.get());
    }
    return Picture::Create(std::move(bitmap), UniquePalette());
}

// Presses OK in every print dialog of this process until stopped.
class DialogConfirmer {
public:
    DialogConfirmer()
    {
        m_thread = std::thread([this] {
            while (!m_stop) {
                HWND dialog = FindWindowW(L"#32770", nullptr);
                if (dialog && IsWindowVisible(dialog) && GetDlgItem(dialog, 0x473)) {
                    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
                }
                Sleep(1);
            }
        });
    }
    ~DialogConfirmer()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// The same page without the program: the bitmap's pixels already in memory, one job.
void BarePrint(const std::wstring& printer, const std::vector<BYTE>& bits, const BITMAPINFO& info, SIZE printed)
{
    HDC dc = CreateDCW(nullptr, printer.c_str(), nullptr, nullptr);
    DOCINFOW doc{};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = L"bare";
    StartDocW(dc, &doc);
    StartPage(dc);
    StretchDIBits(dc, 0, 0, printed.cx, printed.cy, 0, 0, info.bmiHeader.biWidth, info.bmiHeader.biHeight, bits.data(),
                  &info, DIB_RGB_COLORS, SRCCOPY);
    EndPage(dc);
    EndDoc(dc);
    DeleteDC(dc);
}

}  // namespace

void BenchPrint()
{
    wchar_t name[512] = L"";
    DWORD length = 512;
    if (!GetDefaultPrinterW(name, &length)) {
        return;  // no printer installed: nothing to measure
    }
    constexpr int kWidth = 1920;
    constexpr int kHeight = 1080;
    constexpr int kRuns = 5;
    PicturePtr picture = MakePicture(kWidth, kHeight);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, kHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<BYTE> bits(static_cast<size_t>((kWidth * 3 + 3) & ~3) * kHeight);
    {
        WindowDC screen(nullptr);
        GetDIBits(screen.get(), picture->Bitmap(), 0, kHeight, bits.data(), &info, DIB_RGB_COLORS);
    }
    // A wide picture prints across a landscape page: the bare job draws the same size.
    HDC probe = CreateDCW(nullptr, name, nullptr, nullptr);
    const int pageWidth = std::max(GetDeviceCaps(probe, HORZRES), GetDeviceCaps(probe, VERTRES));
    DeleteDC(probe);
    const SIZE printed{pageWidth, MulDiv(pageWidth, kHeight, kWidth)};

    MainWindow window;
    window.Create(SW_SHOWNORMAL);
    window.Picture1().SetPicture(picture);
    DialogConfirmer confirmer;
    double command = 1e30;
    double bare = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        double start = NowMs();
        SendMessageW(window.Hwnd(), WM_COMMAND, MAKEWPARAM(ID_dayingtux, 0), 0);
        command = std::min(command, NowMs() - start);
        start = NowMs();
        BarePrint(name, bits, info, printed);
        bare = std::min(bare, NowMs() - start);
    }
    AddRow({"printing of a 1920x1080 picture on a PDF printer", "print command, dialog confirmed", command,
            "bare StretchDIBits job", bare, "ms", "<= 1.20"});
}

}  // namespace kavlor::bench
