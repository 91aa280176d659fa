// frmAbout: the program's name, version and contact lines, and the start of the
// system-information tool found through the registry.
#include "info/AboutWindow_win.h"

#include <cwchar>
#include <optional>
#include <stdexcept>

#include "app/Texts.h"
#include "app/resource.h"
#include "base/App.h"
#include "base/Process.h"
#include "base/Units.h"
#include "info/RegistryValue.h"

namespace kavlor {

static_assert(kRegistryString == REG_SZ && kRegistryDword == REG_DWORD);

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr TwipsRect kClient{0, 0, 4335, 3585};
// Single lines, shown as written.
constexpr DWORD kLabelStyle = SS_LEFTNOWORDWRAP | SS_NOPREFIX;

// The etched rule above the buttons, in twips: a grey line with a white one under it.
constexpr double kRuleY = 2760;
constexpr double kRuleGreyLeft = 90;
constexpr double kRuleWhiteLeft = 105;
constexpr double kRuleRight = 4320;
constexpr COLORREF kRuleGrey = RGB(128, 128, 128);
constexpr COLORREF kRuleWhite = RGB(255, 255, 255);

// KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY |
// KEY_CREATE_LINK | READ_CONTROL
constexpr REGSAM kKeyAccess = 0x2003F;
constexpr DWORD kValueBufferSize = 1024;

// Where the system-information program is recorded: its full path, or the folder holding it.
constexpr const char* kSysInfoKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kSysInfoValue = "PATH";
constexpr const char* kSysInfoFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* kSysInfoFolderValue = "MSINFO";
constexpr const wchar_t* kSysInfoProgramName = L"\\MSINFO32.EXE";

// Registry text is in the ANSI code page. Every call that takes a path reads it up to its
// first zero character, so the path ends there for the existence test and the start alike.
std::wstring PathFromRegistryText(const std::string& text)
{
    if (text.empty()) {
        return {};
    }
    std::wstring wide = WideFromAnsi(text);
    wide.resize(std::wcslen(wide.c_str()));
    return wide;
}

// A file that a search for normal files finds: not a folder, not hidden, not a system file.
bool NormalFileExists(const std::wstring& path)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    FindClose(search);
    return (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

// The first location decides as soon as its value can be read at all, even when the text it
// gives is empty or unusable; only when it cannot be read is the folder of the second location
// looked at, and there the program must exist.
std::optional<std::wstring> FindSysInfoProgram()
{
    std::string text;
    if (AboutWindow::GetKeyValue(HKEY_LOCAL_MACHINE, kSysInfoKey, kSysInfoValue, text)) {
        return PathFromRegistryText(text);
    }
    if (!AboutWindow::GetKeyValue(HKEY_LOCAL_MACHINE, kSysInfoFolderKey, kSysInfoFolderValue, text)) {
        return std::nullopt;
    }
    std::wstring program = PathFromRegistryText(text) + kSysInfoProgramName;
    if (!NormalFileExists(program)) {
        return std::nullopt;
    }
    return program;
}

}  // namespace

// The window must see its own WM_DESTROY, which the base class destructor would be too late for.
AboutWindow::~AboutWindow()
{
    if (m_hwnd) {
        DestroyWindow(m_hwnd);
    }
}

void AboutWindow::Show(HWND owner)
{
    if (!m_hwnd) {
        m_dpi = GetScreenDpi();
        RECT place = PlaceOverOwner(owner, kStyle, kExStyle, kClient, m_dpi);
        if (!Create(kExStyle, texts::kAboutCaption, kStyle, place.left, place.top, place.right - place.left,
                    place.bottom - place.top, owner, nullptr)) {
            throw std::runtime_error("the About window could not be created");
        }
        SetDialogNavigation(m_hwnd, true);
    }
    ShowWindow(m_hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(m_hwnd);
}

// Every failure, whatever its step, ends in the one message; the window stays open either way.
void AboutWindow::StartSysInfo()
{
    bool started = false;
    try {
        std::optional<std::wstring> program = FindSysInfoProgram();
        started = program && StartProgram(*program);
    } catch (...) {
        started = false;
    }
    if (!started) {
        ShowMessage(m_hwnd, texts::kSysInfoUnavailable, texts::kAppTitle);
    }
}

// The key is opened with the whole kKeyAccess mask first. Where the user may only read the key,
// that open is refused although reading is all that is needed, and the tool would be reported
// unavailable on an ordinary account; the open is then repeated asking only to read values.
// The key is closed on every path; a key that was never opened needs no closing.
bool AboutWindow::GetKeyValue(HKEY keyRoot, const std::string& keyName, const std::string& subKeyRef,
                              std::string& keyVal)
{
    HKEY opened = nullptr;
    LONG result = RegOpenKeyExA(keyRoot, keyName.c_str(), 0, kKeyAccess, &opened);
    if (result == ERROR_ACCESS_DENIED) {
        result = RegOpenKeyExA(keyRoot, keyName.c_str(), 0, KEY_QUERY_VALUE, &opened);
    }
    UniqueKey key(result == ERROR_SUCCESS ? opened : nullptr);
    if (!key) {
        keyVal.clear();
        return false;
    }
    // A value longer than the buffer fails the query and counts as missing.
    std::string buffer(kValueBufferSize, '\0');
    DWORD type = 0;
    DWORD size = kValueBufferSize;
    if (RegQueryValueExA(key.get(), subKeyRef.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS) {
        keyVal.clear();
        return false;
    }
    ApplyRegistryValue(type, buffer, size, keyVal);
    return true;
}

LRESULT AboutWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: PaintContent(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ACTIVATE: m_focus.OnActivate(m_hwnd, LOWORD(wParam), cmdOK); return 0;
    case DM_GETDEFID: return DefaultButtonAnswer(m_hwnd, cmdOK);
    case WM_DESTROY: OnDestroy(); return 0;
    default: return DefaultProc(msg, wParam, lParam);
    }
}

void AboutWindow::OnCreate()
{
    m_font.reset(CreateSongtiFont(m_dpi.y, FW_BOLD));
    HFONT font = m_font.get();
    // Creation order is the tab order: cmdOK, then cmdSysInfo; nothing else takes the focus.
    AddControl(m_hwnd, cmdOK, L"BUTTON", texts::kOkButton, WS_TABSTOP | BS_DEFPUSHBUTTON, {3120, 3120, 1140, 345},
               m_dpi, font);
    AddControl(m_hwnd, cmdSysInfo, L"BUTTON", texts::kAboutSysInfoButton, WS_TABSTOP | BS_PUSHBUTTON,
               {1800, 3120, 1125, 345}, m_dpi, font);

    const TwipsRect iconPlace{120, 120, 720, 720};
    HWND icon = AddControl(m_hwnd, picIcon, L"STATIC", nullptr, SS_ICON | SS_CENTERIMAGE, iconPlace, m_dpi, nullptr);
    m_icon.reset(static_cast<HICON>(LoadImageW(gInstance, MAKEINTRESOURCEW(IDI_KAVLOR), IMAGE_ICON,
                                               PixelsFromTwips(iconPlace.width, m_dpi.x),
                                               PixelsFromTwips(iconPlace.height, m_dpi.y), LR_DEFAULTCOLOR)));
    SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(m_icon.get()), 0);

    AddControl(m_hwnd, lblTitle, L"STATIC", texts::kAboutTitle, kLabelStyle, {1080, 360, 2925, 240}, m_dpi, font);
    AddControl(m_hwnd, lblVersion, L"STATIC", texts::kAboutVersion, kLabelStyle, {1050, 720, 2565, 345}, m_dpi, font);
    AddControl(m_hwnd, lblDescription, L"STATIC", texts::kAboutDescription, kLabelStyle, {1050, 1125, 2445, 210}, m_dpi,
               font);
    AddControl(m_hwnd, Label1, L"STATIC", texts::kAboutContact, kLabelStyle, {1080, 1560, 1095, 255}, m_dpi, font);
    AddControl(m_hwnd, Label3, L"STATIC", texts::kWebAddress, kLabelStyle, {1200, 1920, 3015, 255}, m_dpi, font);
    std::wstring email = std::wstring(texts::kAboutEmailPrefix) + texts::kContactAddress;
    AddControl(m_hwnd, Label2, L"STATIC", email.c_str(), kLabelStyle, {1200, 2280, 2415, 255}, m_dpi, font);
}

void AboutWindow::OnCommand(int id)
{
    switch (id) {
    case cmdOK:
    case IDCANCEL:  // cmdOK is the cancel button as well: Esc presses it
        cmdOK_Click();
        break;
    case cmdSysInfo: cmdSysInfo_Click(); break;
    }
}

void AboutWindow::cmdOK_Click()
{
    DestroyWindow(m_hwnd);
}

void AboutWindow::cmdSysInfo_Click()
{
    StartSysInfo();
}

void AboutWindow::OnPaint()
{
    PaintDC paint(m_hwnd);
    PaintContent(paint.get());
}

void AboutWindow::PaintContent(HDC hdc)
{
    int y = PixelsFromTwips(kRuleY, m_dpi.y);
    int right = PixelsFromTwips(kRuleRight, m_dpi.x);
    FillColor(hdc, {PixelsFromTwips(kRuleWhiteLeft, m_dpi.x), y, right, y + 2}, kRuleWhite);
    FillColor(hdc, {PixelsFromTwips(kRuleGreyLeft, m_dpi.x), y, right, y + 1}, kRuleGrey);
}

void AboutWindow::OnDestroy()
{
    SetDialogNavigation(m_hwnd, false);
}

// The controls are gone by now, so their font and icon can go too.
void AboutWindow::OnDestroyed()
{
    m_font.reset();
    m_icon.reset();
}

}  // namespace kavlor
