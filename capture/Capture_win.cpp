// Window grabs, capture targets and the screen-to-clipboard copy.
#include "capture/Capture_win.h"

#include <dwmapi.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "base/Units.h"

namespace kavlor {

static_assert(sizeof(Rect) == sizeof(RECT) && offsetof(Rect, left) == offsetof(RECT, left) &&
                  offsetof(Rect, top) == offsetof(RECT, top) && offsetof(Rect, right) == offsetof(RECT, right) &&
                  offsetof(Rect, bottom) == offsetof(RECT, bottom),
              "Rect must match the platform RECT");

namespace {

// LOGPALETTE with room for the 256 entries of a palette display.
struct LogPalette256 {
    WORD palVersion;
    WORD palNumEntries;
    PALETTEENTRY palPalEntry[256];
};
static_assert(sizeof(LogPalette256) == 1028);

}  // namespace

// A size without area asks for nothing: a bitmap of no size would be a 1x1 stand-in.
Captured CaptureWindow(HWND hWndSrc, bool Client, int32_t LeftSrc, int32_t TopSrc, int32_t WidthSrc, int32_t HeightSrc)
{
    if (WidthSrc <= 0 || HeightSrc <= 0) {
        return {nullptr, CaptureFailure::NothingToCapture};
    }
    // Declared in this order so that the memory DC is deleted before the window DC is released.
    WindowDC source(hWndSrc, Client ? WindowDC::Area::Client : WindowDC::Area::Window);
    UniqueDC memory(CreateCompatibleDC(source.get()));
    // Compatible with the source, not the memory DC, so that the grab keeps the screen's format.
    UniqueBitmap bitmap(CreateCompatibleBitmap(source.get(), WidthSrc, HeightSrc));
    if (!bitmap) {
        return {nullptr, CaptureFailure::NoBitmap};
    }
    HGDIOBJ previousBitmap = SelectObject(memory.get(), bitmap.get());

    const bool hasPalette =
        (GetDeviceCaps(source.get(), RASTERCAPS) & RC_PALETTE) != 0 && GetDeviceCaps(source.get(), SIZEPALETTE) == 256;
    UniquePalette palette;
    HPALETTE previousPalette = nullptr;
    if (hasPalette) {
        LogPalette256 record{};
        record.palVersion = 0x300;
        record.palNumEntries = 256;
        GetSystemPaletteEntries(source.get(), 0, 256, record.palPalEntry);
        palette.reset(CreatePalette(reinterpret_cast<LOGPALETTE*>(&record)));
        previousPalette = SelectPalette(memory.get(), palette.get(), FALSE);
        RealizePalette(memory.get());
    }

    BitBlt(memory.get(), 0, 0, WidthSrc, HeightSrc, source.get(), LeftSrc, TopSrc, SRCCOPY);

    SelectObject(memory.get(), previousBitmap);
    if (hasPalette) {
        SelectPalette(memory.get(), previousPalette, FALSE);
    }
    return {CreateBitmapPicture(std::move(bitmap), std::move(palette))};
}

PicturePtr CreateBitmapPicture(UniqueBitmap hBmp, UniquePalette hPal)
{
    return Picture::Create(std::move(hBmp), std::move(hPal));
}

Captured CaptureScreen()
{
    WindowDC screen(nullptr);
    double twipsPerPixelX = TwipsPerPixel(GetDeviceCaps(screen.get(), LOGPIXELSX));
    double twipsPerPixelY = TwipsPerPixel(GetDeviceCaps(screen.get(), LOGPIXELSY));
    double widthTwips = GetSystemMetrics(SM_CXSCREEN) * twipsPerPixelX;
    double heightTwips = GetSystemMetrics(SM_CYSCREEN) * twipsPerPixelY;
    return CaptureWindow(GetDesktopWindow(), false, 0, 0, ScreenPixelsFromTwips(widthTwips, twipsPerPixelX),
                         ScreenPixelsFromTwips(heightTwips, twipsPerPixelY));
}

namespace {

// The frame a composing desktop shows for the window, without the invisible resize borders that
// its window rectangle counts in; nothing where the desktop does not tell. The desktop's library
// comes from the system folder only, and only on first use: the program starts without it.
std::optional<Rect> ShownFrame(HWND hwnd)
{
    using GetAttribute = decltype(&DwmGetWindowAttribute);
    static const GetAttribute getAttribute = [] {
        wchar_t folder[MAX_PATH] = L"";
        UINT length = GetSystemDirectoryW(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return GetAttribute{};
        }
        HMODULE dwm = LoadLibraryExW((std::wstring(folder, length) + L"\\dwmapi.dll").c_str(), nullptr, 0);
        return dwm ? reinterpret_cast<GetAttribute>(
                         reinterpret_cast<void*>(GetProcAddress(dwm, "DwmGetWindowAttribute")))
                   : GetAttribute{};
    }();
    RECT frame{};
    if (!getAttribute || FAILED(getAttribute(hwnd, DWMWA_EXTENDED_FRAME_BOUNDS, &frame, sizeof(frame)))) {
        return std::nullopt;
    }
    return Rect{frame.left, frame.top, frame.right, frame.bottom};
}

// The whole window, frame included, as the screen shows it. A window that is not there leaves
// the rectangle at zeros: nothing to capture.
Captured CaptureWholeWindow(HWND hwnd)
{
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    const Rect window{outer.left, outer.top, outer.right, outer.bottom};
    if (!Extent(window)) {
        return {nullptr, CaptureFailure::NothingToCapture};
    }
    const Rect taken = VisibleWindowRect(window, hwnd ? ShownFrame(hwnd) : std::nullopt);
    return CaptureWindow(hwnd, false, taken.left - window.left, taken.top - window.top, taken.right - taken.left,
                         taken.bottom - taken.top);
}

}  // namespace

Captured CaptureForm(HWND frmSrc)
{
    return CaptureWholeWindow(frmSrc);
}

Captured CaptureClient(HWND frmSrc)
{
    RECT client{};
    GetClientRect(frmSrc, &client);
    return CaptureWindow(frmSrc, true, 0, 0, client.right - client.left, client.bottom - client.top);
}

Captured CaptureActiveWindow()
{
    return CaptureWholeWindow(GetForegroundWindow());
}

namespace {

// Another program may hold the clipboard open for a moment (clipboard viewers and managers read
// every new entry): ask again for a short while before giving up.
bool OpenClipboardPatiently(HWND owner)
{
    const DWORD start = GetTickCount();
    while (!OpenClipboard(owner)) {
        if (GetTickCount() - start >= kClipboardWaitMs) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

}  // namespace

ClipboardCopy CopyScreenRectToClipboard(const Rect& rect)
{
    auto size = Extent(rect);
    if (!size) {
        return ClipboardCopy::Overflow;
    }
    // A rectangle without area has no pixels to copy; a zero-sized bitmap would be a 1x1
    // placeholder that is not what the user selected.
    if (size->cx <= 0 || size->cy <= 0) {
        return ClipboardCopy::Empty;
    }
    // The screen's DC covers every monitor in screen coordinates, on Windows and under Wine alike;
    // Wine's DC of the display puts its origin at the virtual screen's corner instead, so that with
    // a monitor left of the primary it read every pixel from the wrong place.
    WindowDC display(nullptr);
    UniqueDC memory(CreateCompatibleDC(display.get()));
    UniqueBitmap bitmap(CreateCompatibleBitmap(display.get(), size->cx, size->cy));
    // Checked before the clipboard is touched: emptying it for a null bitmap would lose what the
    // user had there, and a null CF_BITMAP promises a delayed rendering that nothing would give.
    if (!bitmap) {
        return ClipboardCopy::NoBitmap;
    }
    {
        SelectGuard select(memory.get(), bitmap.get());
        BitBlt(memory.get(), 0, 0, size->cx, size->cy, display.get(), rect.left, rect.top, SRCCOPY);
    }
    HWND owner = GetActiveWindow();
    if (!owner) {
        return ClipboardCopy::NoOwner;
    }
    if (!OpenClipboardPatiently(owner)) {
        return ClipboardCopy::Busy;
    }
    EmptyClipboard();
    bool placed = SetClipboardData(CF_BITMAP, bitmap.get()) != nullptr;
    CloseClipboard();
    if (!placed) {
        return ClipboardCopy::Failed;
    }
    // The clipboard owns the bitmap from here on.
    (void)bitmap.release();
    return ClipboardCopy::Copied;
}

PicturePtr PictureFromClipboard(HWND owner)
{
    if (!OpenClipboardPatiently(owner)) {
        return nullptr;
    }
    UniqueBitmap copy;
    if (auto shared = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
        // The clipboard keeps its bitmap; the picture gets a copy of its own.
        BITMAP info{};
        GetObjectW(shared, sizeof(info), &info);
        WindowDC screen(nullptr);
        UniqueDC from(CreateCompatibleDC(screen.get()));
        UniqueDC to(CreateCompatibleDC(screen.get()));
        copy.reset(CreateCompatibleBitmap(screen.get(), info.bmWidth, info.bmHeight));
        SelectGuard selectFrom(from.get(), shared);
        SelectGuard selectTo(to.get(), copy.get());
        BitBlt(to.get(), 0, 0, info.bmWidth, info.bmHeight, from.get(), 0, 0, SRCCOPY);
    }
    CloseClipboard();
    return Picture::Create(std::move(copy), UniquePalette{});
}

}  // namespace kavlor
