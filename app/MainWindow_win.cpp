// The main window: its controls, menus, resize rule, command routing and shut-down.
#include "app/MainWindow.h"

#include <windowsx.h>

#include "app/Layout.h"
#include "app/Texts.h"
#include "app/resource.h"
#include "capture/Capture_win.h"
#include "convert/ConverterWindow_win.h"
#include "info/AboutWindow_win.h"
#include "info/HelpWindow_win.h"
#include "print/PrinterWindow_win.h"
#include "base/Menu.h"
#include "base/Units.h"

namespace kavlor {

namespace {

constexpr MenuItemSpec kMenu[] = {
    {0, "munfils", L"文件(&F)", 0, 0, nullptr, true},
    {1, "newbuild", L"新建(&N)", 0, 0, nullptr, true},
    {2, "huatu", L"画图程序(&H)", ID_huatu, 0, nullptr, true},
    {2, "plzhuan", L"批量互换(&P)", ID_plzhuan, 0, nullptr, true},
    {1, "open", L"打开图像(&O)", ID_open, 0, nullptr, true},
    {1, "baocuntx", L"保存图像(&S)", ID_baocuntx, 0, nullptr, true},
    {1, "qinchutx", L"清除图像(&C)", ID_qinchutx, 0, nullptr, true},
    {1, "z1", L"-", 0, 0, nullptr, true},
    {1, "tuichu", L"退出程序(&T)", ID_tuichu, 0, nullptr, true},
    {0, "caozuo", L"操作(&C)", 0, 0, nullptr, true},
    {1, "buzuoqping", L"捕捉全屏(&A)", ID_buzuoqping, VK_F5, L"F5", true},
    {1, "buzuockou", L"捕捉窗口(&W)", ID_buzuockou, VK_F6, L"F6", true},
    {1, "buzuobfeng", L"捕捉部分(&B)", ID_buzuobfeng, VK_F7, L"F7", true},
    {1, "zdongbuzuo", L"自动捕捉(&Z)", ID_zdongbuzuo, VK_F8, L"F8", true},
    {1, "zidingyi", L"自定义捕捉(&Z)", ID_zidingyi, VK_F9, L"F9", true},
    {0, "other", L"其他(&O)", 0, 0, nullptr, true},
    {1, "shezhi", L"设置墙纸(&S)", ID_shezhi, 0, nullptr, false},
    {1, "buhuo", L"捕获640×480尺寸(&B)", ID_buhuo, 0, nullptr, true},
    {1, "bu800", L"捕获800×600尺寸(&E)", ID_bu800, 0, nullptr, true},
    {1, "bu1024", L"捕获1024×768尺寸(&O)", ID_bu1024, 0, nullptr, true},
    {0, "danying", L"打印(&D)", 0, 0, nullptr, true},
    {1, "dayinsz", L"打印设置(&D)", ID_dayinsz, 0, nullptr, true},
    {1, "dayingtux", L"打印图像(&P)", ID_dayingtux, 0, nullptr, false},
    {0, "shuomingwj", L"说明文件(&S)", 0, 0, nullptr, true},
    {1, "guanyuwm", L"关于我们(&G)", ID_guanyuwm, 0, nullptr, true},
    {1, "lianxiwm", L"联系我们(&L)", ID_lianxiwm, 0, nullptr, true},
    {1, "fangweng", L"访问我们(&F)", ID_fangweng, 0, nullptr, true},
    {1, "z2", L"-", 0, 0, nullptr, true},
    {1, "bangzhu", L"帮助文件(&H)", ID_bangzhu, 0, nullptr, true},
};

constexpr ToolButtonSpec kToolButtons[] = {
    {L"捕捉全屏", L"buzuoqp", L"捕捉全屏", 1, ID_TB_buzuoqp},
    {L"捕捉窗口", L"buzuoqkou", L"捕捉当前窗口", 2, ID_TB_buzuoqkou},
    {L"捕捉部分", L"buzuobufen", L"捕捉部分窗口(仅客户区)", 3, ID_TB_buzuobufen},
    {L"自动捕捉", L"zidongbzuo", L"捕捉活动窗口", 4, ID_TB_zidongbzuo},
    {L"自行捕捉", L"zxingbuzuo", L"自定义捕捉", 7, ID_TB_zxingbuzuo},
    {L"清除图像", L"clstx", L"清除图像", 8, ID_TB_clstx},
    {L"保存图像", L"savetx", L"保存捕捉的图像", 10, ID_TB_savetx},
    {L"联系我们", L"lianxiwm", L"如果你有什么问题,请来信告诉我,谢谢!", 9, ID_TB_lianxiwm},
};

// Design sizes in twips.
constexpr double kClientWidthTwips = 8460;
constexpr double kClientHeightTwips = 6270;
constexpr double kButtonWidthTwips = 825;
constexpr double kButtonHeightTwips = 780;
constexpr double kStatusHeightTwips = 375;
constexpr double kPanelWidthTwips = 1440;
constexpr COLORREF kToolbarMaskColor = RGB(192, 192, 192);

// The tool bar pictures' strip for a display of `dpi`.
int ToolbarStrip(int dpi)
{
    switch (ToolPictureSize(dpi)) {
    case 32: return IDB_TOOLBAR;
    case 48: return IDB_TOOLBAR48;
    default: return IDB_TOOLBAR64;
    }
}

int ScreenDpiX()
{
    WindowDC screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSX);
}

int ScreenDpiY()
{
    WindowDC screen(nullptr);
    return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

int MouseShiftBits(WPARAM keys)
{
    return ((keys & MK_SHIFT) ? 1 : 0) | ((keys & MK_CONTROL) ? 2 : 0) | (GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

}  // namespace

MainWindow::MainWindow()
    : m_frmAbout(std::make_unique<AboutWindow>()),
      m_frmhelp(std::make_unique<HelpWindow>()),
      m_main(std::make_unique<PrinterWindow>()),
      m_plzh(std::make_unique<ConverterWindow>([this] {
          ShowWindow(m_hwnd, SW_SHOWNORMAL);
          SetForegroundWindow(m_hwnd);
      }))
{
}

MainWindow::~MainWindow()
{
    if (m_hwnd) {
        DestroyWindow(m_hwnd);
    }
}

void MainWindow::AdjustClass(WNDCLASSEXW& wc)
{
    wc.hIcon = LoadIconW(gInstance, MAKEINTRESOURCEW(IDI_KAVLOR));
    wc.hIconSm = static_cast<HICON>(LoadImageW(gInstance, MAKEINTRESOURCEW(IDI_KAVLOR), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}

bool MainWindow::Create(int showCommand)
{
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    int dpiX = ScreenDpiX();
    int dpiY = ScreenDpiY();
    RECT outer{0, 0, PixelsFromTwips(kClientWidthTwips, dpiX), PixelsFromTwips(kClientHeightTwips, dpiY)};
    AdjustWindowRectEx(&outer, style, TRUE, 0);
    int width = outer.right - outer.left;
    int height = outer.bottom - outer.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    if (!BaseWindow::Create(0, texts::kMainCaption, style, x, y, width, height, nullptr, BuildMenuBar(kMenu))) {
        return false;
    }
    m_accelerators.reset(BuildAccelerators(kMenu));
    SetAcceleratorWindow(m_hwnd, m_accelerators.get());
    ShowWindow(m_hwnd, showCommand);
    UpdateWindow(m_hwnd);
    return true;
}

LRESULT MainWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_SIZE: OnSize(static_cast<UINT>(wParam)); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
    case WM_NOTIFY: return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_GETMINMAXINFO: OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
    case WM_LBUTTONDOWN:
        Form_MouseDown(1, MouseShiftBits(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_RBUTTONDOWN:
        Form_MouseDown(2, MouseShiftBits(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MBUTTONDOWN:
        Form_MouseDown(4, MouseShiftBits(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP: Form_MouseUp(1, MouseShiftBits(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_RBUTTONUP: Form_MouseUp(2, MouseShiftBits(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_MBUTTONUP: Form_MouseUp(4, MouseShiftBits(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_CLOSE: OnClose(); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    default: return DefaultProc(msg, wParam, lParam);
    }
}

void MainWindow::OnCreate()
{
    int dpiX = ScreenDpiX();
    int dpiY = ScreenDpiY();
    // Created in z-order: the status bar and the tool bar stay above the picture box.
    m_statusBar1.Create(m_hwnd, IDC_StatusBar1, texts::kStatusNotice, PixelsFromTwips(kStatusHeightTwips, dpiY),
                        PixelsFromTwips(kPanelWidthTwips, dpiX));
    ToolButtonSize button = SizeToolButton(dpiY, kButtonWidthTwips, kButtonHeightTwips);
    m_toolbar1.Create(m_hwnd, IDC_Toolbar1, kToolButtons, ToolbarStrip(dpiY), ToolPictureSize(dpiY), kToolbarMaskColor,
                      SIZE{button.width, button.height});
    m_picture1.Create(m_hwnd, IDC_Picture1);
    m_state = MainState{};
    ApplyMenuState();
}

void MainWindow::OnSize(UINT state)
{
    if (!m_picture1.Exists()) {
        return;  // still being created
    }
    if (state != SIZE_MINIMIZED) {
        m_toolbar1.Align();
        m_statusBar1.Align();
    }
    RECT outer{};
    GetWindowRect(m_hwnd, &outer);
    int dpiX = ScreenDpiX();
    int dpiY = ScreenDpiY();
    double widthTwips = TwipsFromPixels(outer.right - outer.left, dpiX);
    double heightTwips = TwipsFromPixels(outer.bottom - outer.top, dpiY);
    // Snapping resizes the window, which sends WM_SIZE again: the rule then runs nested.
    switch (DecideResize(state == SIZE_MINIMIZED || IsIconic(m_hwnd), widthTwips, heightTwips)) {
    case ResizeAction::None: break;
    case ResizeAction::SnapWidth:
        SetWindowPos(m_hwnd, nullptr, 0, 0, PixelsFromTwips(kMinOuterTwips, dpiX), outer.bottom - outer.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    case ResizeAction::SnapHeight:
        SetWindowPos(m_hwnd, nullptr, 0, 0, outer.right - outer.left, PixelsFromTwips(kMinOuterTwips, dpiY),
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        break;
    case ResizeAction::LayOut: LayOutPicture1(); break;
    }
}

void MainWindow::LayOutPicture1()
{
    RECT client{};
    GetClientRect(m_hwnd, &client);
    PictureBoxPlacement place = PlacePictureBox(client.right, client.bottom, m_toolbar1.Height());
    m_picture1.Move(place.left, place.top, place.width, place.height);
}

void MainWindow::OnGetMinMaxInfo(MINMAXINFO* info)
{
    // The resize rule, not the system's minimum tracking size, decides how small the window
    // may get; the system minimum would stop a drag before the rule could see it.
    info->ptMinTrackSize = POINT{1, 1};
}

LRESULT MainWindow::OnNotify(NMHDR* header)
{
    m_toolbar1.OnNotify(header);
    return 0;
}

void MainWindow::ApplyMenuState()
{
    HMENU menu = GetMenu(m_hwnd);
    EnableMenuItem(menu, ID_shezhi, MF_BYCOMMAND | (m_state.shezhiEnabled ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(menu, ID_dayingtux, MF_BYCOMMAND | (m_state.dayingtuxEnabled ? MF_ENABLED : MF_GRAYED));
}

void MainWindow::OnCommand(int id)
{
    switch (id) {
    case ID_huatu: huatu_Click(); break;
    case ID_plzhuan: plzhuan_Click(); break;
    case ID_open: open_Click(); break;
    case ID_baocuntx: baocuntx_Click(); break;
    case ID_qinchutx: qinchutx_Click(); break;
    case ID_tuichu: tuichu_Click(); break;
    case ID_buzuoqping: buzuoqping_Click(); break;
    case ID_buzuockou: buzuockou_Click(); break;
    case ID_buzuobfeng: buzuobfeng_Click(); break;
    case ID_zdongbuzuo: zdongbuzuo_Click(); break;
    case ID_zidingyi: zidingyi_Click(); break;
    case ID_shezhi: shezhi_Click(); break;
    case ID_buhuo: buhuo_Click(); break;
    case ID_bu800: bu800_Click(); break;
    case ID_bu1024: bu1024_Click(); break;
    case ID_dayinsz: dayinsz_Click(); break;
    case ID_dayingtux: dayingtux_Click(); break;
    case ID_guanyuwm: guanyuwm_Click(); break;
    case ID_lianxiwm: lianxiwm_Click(); break;
    case ID_fangweng: fangweng_Click(); break;
    case ID_bangzhu: bangzhu_Click(); break;
    default:
        if (const wchar_t* key = m_toolbar1.KeyOf(id)) {
            Toolbar1_ButtonClick(key);
        }
        break;
    }
}

void MainWindow::Toolbar1_ButtonClick(const std::wstring& key)
{
    // Exact, case-sensitive keys in this order; two buttons differ from their menu twins: the
    // full-screen button leaves CurrentImagePath alone and the contact button mails the
    // second address.
    if (key == L"buzuoqp") {
        ShowCapture(CaptureScreen());
    } else if (key == L"buzuoqkou") {
        ShowCapture(CaptureForm(m_hwnd));
    } else if (key == L"buzuobufen") {
        ShowCapture(CaptureClient(m_hwnd));
    } else if (key == L"zidongbzuo") {
        RunAutomaticCapture();
    } else if (key == L"zxingbuzuo") {
        ArmSelection();
    } else if (key == L"clstx") {
        ClearPicture();
    } else if (key == L"savetx") {
        SavePicture();
    } else if (key == L"lianxiwm") {
        OpenMail(texts::kSecondContactAddress);
    }
}

void MainWindow::OnClose()
{
    // Any close request ends the program at once: nothing is asked and nothing is saved.
    DestroyWindow(m_hwnd);
}

void MainWindow::OnDestroy()
{
    SetAcceleratorWindow(nullptr, nullptr);
    PostQuitMessage(0);
}

}  // namespace kavlor
