// frmhelp: four numbered help lines inside a drawn frame, and a button that closes the window.
#include "info/HelpWindow_win.h"

#include <stdexcept>

#include "app/Texts.h"
#include "app/resource.h"
#include "base/App.h"
#include "base/Units.h"

namespace kavlor {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;
constexpr TwipsRect kClient{0, 0, 4350, 3930};
// The help lines wrap within their labels' width.
constexpr DWORD kLabelStyle = SS_LEFT | SS_NOPREFIX;
// The frame around the help lines, corners included, in twips.
constexpr double kFrameLeft = 120;
constexpr double kFrameTop = 120;
constexpr double kFrameRight = 4200;
constexpr double kFrameBottom = 3240;

}  // namespace

void HelpWindow::AdjustClass(WNDCLASSEXW& wc)
{
    SetClassIcons(wc, IDI_KAVLOR);
}

// The window must see its own WM_DESTROY, which the base class destructor would be too late for.
HelpWindow::~HelpWindow()
{
    if (m_hwnd) {
        DestroyWindow(m_hwnd);
    }
}

void HelpWindow::Show(HWND owner)
{
    if (!m_hwnd) {
        m_dpi = GetScreenDpi();
        RECT place = PlaceOverOwner(owner, kStyle, kExStyle, kClient, m_dpi);
        if (!Create(kExStyle, texts::kHelpCaption, kStyle, place.left, place.top, place.right - place.left,
                    place.bottom - place.top, owner, nullptr)) {
            throw std::runtime_error("the help window could not be created");
        }
        SetDialogNavigation(m_hwnd, true);
    }
    ShowWindow(m_hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(m_hwnd);
}

LRESULT HelpWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: PaintContent(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ACTIVATE: m_focus.OnActivate(m_hwnd, LOWORD(wParam), Command1); return 0;
    case DM_GETDEFID: return DefaultButtonAnswer(m_hwnd, Command1);
    case WM_DESTROY: OnDestroy(); return 0;
    default: return DefaultProc(msg, wParam, lParam);
    }
}

// The labels and the button use the window's font, the system's "宋体" at 9 points.
void HelpWindow::OnCreate()
{
    m_font.reset(CreateSongtiFont(m_dpi.y, FW_NORMAL));
    HFONT font = m_font.get();
    // Creation order is the tab order; of these only the button takes the focus.
    AddControl(m_hwnd, Label1, L"STATIC", texts::kHelpLine1, kLabelStyle, {240, 240, 3855, 495}, m_dpi, font);
    AddControl(m_hwnd, Label2, L"STATIC", texts::kHelpLine2, kLabelStyle, {240, 960, 3855, 735}, m_dpi, font);
    AddControl(m_hwnd, Label3, L"STATIC", texts::kHelpLine3, kLabelStyle, {240, 1920, 3615, 495}, m_dpi, font);
    AddControl(m_hwnd, Command1, L"BUTTON", texts::kOkButton, WS_TABSTOP | BS_PUSHBUTTON, {3120, 3360, 1095, 495},
               m_dpi, font);
    AddControl(m_hwnd, Label4, L"STATIC", texts::kHelpLine4, kLabelStyle, {240, 2640, 3735, 495}, m_dpi, font);
}

// Only the button has behaviour: Esc, which arrives as IDCANCEL, does nothing here.
void HelpWindow::OnCommand(int id)
{
    if (id == Command1) {
        Command1_Click();
    }
}

void HelpWindow::Command1_Click()
{
    DestroyWindow(m_hwnd);
}

void HelpWindow::OnPaint()
{
    PaintDC paint(m_hwnd);
    PaintContent(paint.get());
}

// Four one-pixel lines in the text colour; both end points of each belong to the frame.
void HelpWindow::PaintContent(HDC hdc)
{
    RECT frame{PixelsFromTwips(kFrameLeft, m_dpi.x), PixelsFromTwips(kFrameTop, m_dpi.y),
               PixelsFromTwips(kFrameRight, m_dpi.x) + 1, PixelsFromTwips(kFrameBottom, m_dpi.y) + 1};
    FrameColor(hdc, frame, GetSysColor(COLOR_WINDOWTEXT));
}

void HelpWindow::OnDestroy()
{
    SetDialogNavigation(m_hwnd, false);
}

// The controls are gone by now, so their font can go too.
void HelpWindow::OnDestroyed()
{
    m_font.reset();
}

}  // namespace kavlor
