// Main, the default-printer window, and the two ways the default printer is written.
#include "print/PrinterWindow_win.h"

#include <winspool.h>

#include <stdexcept>
#include <vector>

#include "app/Texts.h"
#include "app/resource.h"
#include "base/App.h"
#include "base/SystemLibrary_win.h"
#include "print/PrinterEntry.h"

namespace kavlor {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;
constexpr TwipsRect kClient{0, 0, 3855, 3360};
constexpr wchar_t kWindowsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";
// Programs that have not read their messages for this long are skipped by the announcement:
// a frozen window must not freeze this one.
constexpr UINT kBroadcastTimeoutMs = 5000;

// The printers in the system's order, each as device,driver,port. Driver and port are taken
// as the system's list of devices holds them, the form the default-printer setting uses.
std::vector<std::wstring> InstalledPrinterEntries()
{
    DWORD needed = 0;
    DWORD count = 0;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    static const auto enumPrinters = SystemFunction<decltype(EnumPrintersW)>(L"winspool.drv", "EnumPrintersW");
    if (!enumPrinters) {
        return {};
    }
    enumPrinters(flags, nullptr, 2, nullptr, 0, &needed, &count);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !enumPrinters(flags, nullptr, 2, buffer.data(), needed, &needed, &count)) {
        return {};
    }
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
    std::vector<std::wstring> entries;
    for (DWORD i = 0; i < count; ++i) {
        const PRINTER_INFO_2W& printer = printers[i];
        const wchar_t* device = printer.pPrinterName ? printer.pPrinterName : L"";
        wchar_t value[1024] = L"";
        DriverAndPort parts{printer.pDriverName ? printer.pDriverName : L"",
                            printer.pPortName ? printer.pPortName : L""};
        if (GetProfileStringW(L"devices", device, L"", value, static_cast<DWORD>(std::size(value))) > 0) {
            parts = SplitDeviceValue(value);
        }
        entries.push_back(PrinterEntry(device, parts.driver, parts.port));
    }
    return entries;
}

std::wstring WriteFailureText(LONG status)
{
    if (status == ERROR_ACCESS_DENIED) {
        return texts::kPrinterAccessDenied;
    }
    return texts::kPrinterSystemError + std::to_wstring(status);
}

std::wstring SelectedEntry(HWND list)
{
    LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) {
        return {};
    }
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

}  // namespace

DefaultPrinterRoute CurrentDefaultPrinterRoute()
{
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof(version);
    // The version query is deprecated for telling versions apart, not for telling families apart.
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
    GetVersionExW(&version);
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT ? DefaultPrinterRoute::Registry : DefaultPrinterRoute::Profile;
}

// The wide calls store the printer's true name, whatever the system's code page can hold.
LONG WriteDefaultPrinter(DefaultPrinterRoute route, const std::wstring& entry)
{
    if (route == DefaultPrinterRoute::Registry) {
        HKEY opened = nullptr;
        LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, kWindowsKey, 0, KEY_SET_VALUE, &opened);
        UniqueKey key(opened);
        if (status != ERROR_SUCCESS) {
            return status;
        }
        // REG_SZ with its terminating zero.
        const auto bytes = static_cast<DWORD>((entry.size() + 1) * sizeof(wchar_t));
        return RegSetValueExW(key.get(), L"Device", 0, REG_SZ, reinterpret_cast<const BYTE*>(entry.c_str()), bytes);
    }
    if (!WriteProfileStringW(L"windows", L"device", entry.c_str())) {
        DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? static_cast<LONG>(error) : ERROR_WRITE_FAULT;
    }
    // Tells every top-level window that the "windows" section changed.
    SendMessageTimeoutW(HWND_BROADCAST, WM_WININICHANGE, 0x7FFF, reinterpret_cast<LPARAM>(L"windows"),
                        SMTO_ABORTIFHUNG | SMTO_NORMAL, kBroadcastTimeoutMs, nullptr);
    return ERROR_SUCCESS;
}

void PrinterWindow::AdjustClass(WNDCLASSEXW& wc)
{
    SetClassIcons(wc, IDI_KAVLOR);
}

// The window must see its own WM_DESTROY, which the base class destructor would be too late for.
PrinterWindow::~PrinterWindow()
{
    if (m_hwnd) {
        DestroyWindow(m_hwnd);
    }
}

void PrinterWindow::Show(HWND owner)
{
    if (!m_hwnd) {
        m_dpi = GetScreenDpi();
        RECT place = PlaceOverOwner(owner, kStyle, kExStyle, kClient, m_dpi);
        if (!Create(kExStyle, texts::kPrinterCaption, kStyle, place.left, place.top, place.right - place.left,
                    place.bottom - place.top, owner, nullptr)) {
            throw std::runtime_error("the printer window could not be created");
        }
        SetDialogNavigation(m_hwnd, true);
    }
    ShowWindow(m_hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(m_hwnd);
}

LRESULT PrinterWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: Form_Load(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_ACTIVATE: m_focus.OnActivate(m_hwnd, LOWORD(wParam), List1); return 0;
    case DM_GETDEFID: return DefaultButtonAnswer(m_hwnd, Command1);
    case WM_DESTROY: OnDestroy(); return 0;
    default: return DefaultProc(msg, wParam, lParam);
    }
}

// The controls in tab order, then the printers as they are now; nothing is selected.
void PrinterWindow::Form_Load()
{
    m_font.reset(CreateSongtiFont(m_dpi.y, FW_NORMAL));
    HFONT font = m_font.get();
    HWND list = AddControl(m_hwnd, List1, L"LISTBOX", L"",
                           WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                           {120, 120, 3615, 2400}, m_dpi, font);
    AddControl(m_hwnd, Command1, L"BUTTON", texts::kSetPrinterButton, WS_TABSTOP | BS_PUSHBUTTON,
               {1440, 2880, 1215, 375}, m_dpi, font);
    for (const std::wstring& entry : InstalledPrinterEntries()) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    }
}

// Esc arrives as IDCANCEL and does nothing, as in the other small windows.
void PrinterWindow::OnCommand(int id, int code)
{
    if (id == Command1 && code == BN_CLICKED) {
        Command1_Click();
    }
}

// With nothing selected there is nothing to write: an empty entry would leave the user without
// a default printer. A failed write is reported and the window stays for another try.
void PrinterWindow::Command1_Click()
{
    std::wstring entry = SelectedEntry(GetDlgItem(m_hwnd, List1));
    if (entry.empty()) {
        MessageBeep(MB_OK);
        return;
    }
    if (LONG status = WriteDefaultPrinter(CurrentDefaultPrinterRoute(), entry); status != ERROR_SUCCESS) {
        ShowMessage(m_hwnd, std::wstring(texts::kCannotSetPrinter) + L"\n" + entry + L"\n\n" + WriteFailureText(status),
                    texts::kNoticeTitle);
        return;
    }
    DestroyWindow(m_hwnd);
}

void PrinterWindow::OnDestroy()
{
    SetDialogNavigation(m_hwnd, false);
}

// The controls are gone by now, so their font can go too.
void PrinterWindow::OnDestroyed()
{
    m_font.reset();
}

}  // namespace kavlor
