// The printer of one print command, on the Windows printing interface, and the print dialog.
#include "print/Printer_win.h"

#include <cderr.h>
#include <commdlg.h>
#include <winspool.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "app/Texts.h"
#include "base/Handles.h"
#include "base/SystemLibrary_win.h"
#include "base/Units.h"

namespace kavlor {

namespace {

// The print dialog has no title of its own to set: the hook gives it the caller's.
UINT_PTR CALLBACK PrintDialogHook(HWND dialog, UINT msg, WPARAM, LPARAM lParam)
{
    if (msg == WM_INITDIALOG) {
        const auto* pd = reinterpret_cast<const PRINTDLGW*>(lParam);
        const auto* title = reinterpret_cast<const std::wstring*>(pd->lCustData);
        if (title && !title->empty()) {
            SetWindowTextW(dialog, title->c_str());
        }
    }
    return 0;  // the dialog's own handling goes on
}

// Global memory the print dialog allocates, freed with the choice read out of it.
class GlobalLock {
public:
    explicit GlobalLock(HGLOBAL memory) : m_memory(memory), m_data(memory ? ::GlobalLock(memory) : nullptr) {}
    GlobalLock(const GlobalLock&) = delete;
    GlobalLock& operator=(const GlobalLock&) = delete;
    ~GlobalLock()
    {
        if (m_data) {
            GlobalUnlock(m_memory);
        }
    }
    const void* data() const { return m_data; }
    size_t size() const { return m_memory ? GlobalSize(m_memory) : 0; }

private:
    HGLOBAL m_memory;
    void* m_data;
};

using UniqueGlobal = UniqueHandle<HGLOBAL, GlobalFree>;

// A DEVNAMES string at `offset`, bounded by the block it lies in.
std::wstring DevNamesText(const GlobalLock& names, WORD offset)
{
    const size_t chars = names.size() / sizeof(wchar_t);
    if (!names.data() || offset >= chars) {
        return {};
    }
    const auto* text = static_cast<const wchar_t*>(names.data()) + offset;
    return std::wstring(text, std::find(text, text + (chars - offset), L'\0'));
}

// The settings block, when it holds at least its public part up to dmFields and everything its
// own sizes claim; nothing otherwise.
DEVMODEW* DevModeOf(std::vector<BYTE>& devMode)
{
    constexpr size_t kFieldsEnd = offsetof(DEVMODEW, dmFields) + sizeof(DWORD);
    if (devMode.size() < kFieldsEnd) {
        return nullptr;
    }
    auto* mode = reinterpret_cast<DEVMODEW*>(devMode.data());
    const size_t claimed = size_t{mode->dmSize} + mode->dmDriverExtra;
    return mode->dmSize >= kFieldsEnd && claimed <= devMode.size() ? mode : nullptr;
}

}  // namespace

// The public part of a block may end before the orientation (an older or smaller DEVMODE); the
// bytes that follow it are the driver's own and are not written.
bool SetOrientationIn(std::vector<BYTE>& devMode, PageOrientation orientation)
{
    DEVMODEW* mode = DevModeOf(devMode);
    if (!mode || mode->dmSize < offsetof(DEVMODEW, dmOrientation) + sizeof(mode->dmOrientation)) {
        return false;
    }
    mode->dmFields |= DM_ORIENTATION;
    mode->dmOrientation = static_cast<short>(orientation);
    return true;
}

bool ShowPrintDialog(HWND owner, const std::wstring& title, PrinterChoice& choice, DWORD& error)
{
    PRINTDLGW pd{};
    pd.lStructSize = sizeof(pd);
    pd.hwndOwner = owner;
    // No page range or selection to choose for one picture, and no print to file: the page goes
    // to the printer chosen. Copies and collation stay in the driver's settings.
    pd.Flags = PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE | PD_USEDEVMODECOPIESANDCOLLATE | PD_ENABLEPRINTHOOK;
    pd.nCopies = 1;
    pd.lpfnPrintHook = PrintDialogHook;
    pd.lCustData = reinterpret_cast<LPARAM>(&title);
    BOOL confirmed = PrintDlgW(&pd);
    UniqueGlobal names(pd.hDevNames);
    UniqueGlobal mode(pd.hDevMode);
    if (!confirmed) {
        error = CommDlgExtendedError();
        return false;
    }
    error = 0;
    GlobalLock namesLock(names.get());
    GlobalLock modeLock(mode.get());
    const auto* devNames = static_cast<const DEVNAMES*>(namesLock.data());
    if (!devNames || namesLock.size() < sizeof(DEVNAMES)) {
        error = PDERR_NODEFAULTPRN;
        return false;
    }
    choice.driver = DevNamesText(namesLock, devNames->wDriverOffset);
    choice.device = DevNamesText(namesLock, devNames->wDeviceOffset);
    choice.port = DevNamesText(namesLock, devNames->wOutputOffset);
    const auto* bytes = static_cast<const BYTE*>(modeLock.data());
    choice.devMode.assign(bytes, bytes ? bytes + modeLock.size() : bytes);
    return !choice.device.empty();
}

bool AnyPrinterInstalled()
{
    static const auto enumPrinters = SystemFunction<decltype(EnumPrintersW)>(L"winspool.drv", "EnumPrintersW");
    if (!enumPrinters) {
        return false;
    }
    DWORD needed = 0;
    DWORD count = 0;
    enumPrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
    if (needed == 0) {
        return false;
    }
    std::vector<BYTE> buffer(needed);
    return enumPrinters(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, buffer.data(), needed, &needed,
                        &count) &&
           count > 0;
}

Printer::~Printer()
{
    KillDoc();
    if (m_dc) {
        DeleteDC(m_dc);
    }
}

void Printer::SetOrientation(PageOrientation orientation)
{
    if (!SetOrientationIn(m_choice.devMode, orientation)) {
        // No settings came from the dialog, or none that hold an orientation: start from the
        // driver's defaults for this printer.
        static const auto documentProperties =
            SystemFunction<decltype(DocumentPropertiesW)>(L"winspool.drv", "DocumentPropertiesW");
        if (!documentProperties) {
            return;
        }
        DWORD bytes =
            static_cast<DWORD>(documentProperties(nullptr, nullptr, m_choice.device.data(), nullptr, nullptr, 0));
        if (static_cast<LONG>(bytes) <= 0) {
            return;
        }
        std::vector<BYTE> defaults(bytes, 0);
        if (documentProperties(nullptr, nullptr, m_choice.device.data(), reinterpret_cast<DEVMODEW*>(defaults.data()),
                               nullptr, DM_OUT_BUFFER) != IDOK ||
            !SetOrientationIn(defaults, orientation)) {
            return;
        }
        m_choice.devMode = std::move(defaults);
    }
    if (m_dc && !m_docStarted) {
        ResetDCW(m_dc, DevModeOf(m_choice.devMode));
    }
}

HDC Printer::Dc()
{
    if (!m_dc) {
        m_dc = CreateDCW(m_choice.driver.empty() ? nullptr : m_choice.driver.c_str(), m_choice.device.c_str(), nullptr,
                         DevModeOf(m_choice.devMode));
    }
    return m_dc;
}

PrintableArea Printer::Measure()
{
    HDC dc = Dc();
    if (!dc) {
        return {};
    }
    return {static_cast<float>(GetDeviceCaps(dc, HORZRES)), static_cast<float>(GetDeviceCaps(dc, VERTRES)),
            GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY)};
}

bool Printer::StartDocument()
{
    if (m_docStarted) {
        return true;
    }
    HDC dc = Dc();
    if (!dc) {
        return false;
    }
    DOCINFOW doc{};
    doc.cbSize = sizeof(doc);
    doc.lpszDocName = texts::kAppTitle;
    if (StartDocW(dc, &doc) <= 0) {
        return false;
    }
    m_docStarted = true;
    if (StartPage(dc) <= 0) {
        KillDoc();
        return false;
    }
    return true;
}

// The picture's pixels go to the printer as a true-colour DIB. A picture held with a palette
// is read through that palette, so it prints in the colours it shows on the screen.
bool Printer::PaintPicture(const Picture& picture, double x, double y, double width, double height)
{
    std::optional<int32_t> left = RoundHalfEven(x);
    std::optional<int32_t> top = RoundHalfEven(y);
    std::optional<int32_t> right = RoundHalfEven(x + width);
    std::optional<int32_t> bottom = RoundHalfEven(y + height);
    const SIZE size = picture.SizePixels();
    if (!left || !top || !right || !bottom || *right <= *left || *bottom <= *top || size.cx <= 0 || size.cy <= 0) {
        return false;
    }
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const size_t stride = (static_cast<size_t>(size.cx) * 3 + 3) & ~size_t{3};
    std::vector<BYTE> bits;
    try {
        bits.resize(stride * static_cast<size_t>(size.cy));
    } catch (const std::bad_alloc&) {
        return false;
    }
    {
        WindowDC screen(nullptr);
        UniqueDC memory(CreateCompatibleDC(screen.get()));
        PaletteGuard palette(memory.get(), picture.Palette(), FALSE);
        if (picture.Palette()) {
            RealizePalette(memory.get());
        }
        if (GetDIBits(memory.get(), picture.Bitmap(), 0, static_cast<UINT>(size.cy), bits.data(), &info,
                      DIB_RGB_COLORS) != size.cy) {
            return false;
        }
    }
    if (!StartDocument()) {
        return false;
    }
    // The printer enlarges the picture itself; when it shrinks one, whole rows and columns
    // are dropped rather than merged into darker ones.
    SetStretchBltMode(m_dc, COLORONCOLOR);
    return StretchDIBits(m_dc, *left, *top, *right - *left, *bottom - *top, 0, 0, size.cx, size.cy, bits.data(), &info,
                         DIB_RGB_COLORS, SRCCOPY) > 0;
}

bool Printer::EndDoc()
{
    if (!m_docStarted) {
        return false;
    }
    m_docStarted = false;
    bool pageEnded = EndPage(m_dc) > 0;
    if (!pageEnded) {
        AbortDoc(m_dc);
        return false;
    }
    return ::EndDoc(m_dc) > 0;
}

void Printer::KillDoc()
{
    if (m_docStarted) {
        m_docStarted = false;
        AbortDoc(m_dc);
    }
}

}  // namespace kavlor
