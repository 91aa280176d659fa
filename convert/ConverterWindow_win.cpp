// plzh, the batch converter window: its controls and menus, the open command that fills the
// source list, the previews, the help message and the way back to the main window.
#include "convert/ConverterWindow_win.h"

#include <cderr.h>
#include <commdlg.h>

#include <stdexcept>
#include <vector>

#include "app/Texts.h"
#include "app/resource.h"
#include "base/App.h"
#include "base/FileDialogRules.h"
#include "base/Menu.h"
#include "base/Units.h"
#include "convert/ConverterLists.h"

namespace kavlor {

namespace {

// Not clipping its children: the window paints the inside of the two frames, which a group box
// leaves to its parent.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
// Shown while the main window is hidden, so it stands for the program on the task bar.
constexpr DWORD kExStyle = WS_EX_APPWINDOW;
constexpr TwipsRect kClient{0, 0, 8535, 5640};
// Room for the names of thousands of files chosen at once.
constexpr size_t kChosenFilesChars = size_t{1} << 20;

constexpr MenuItemSpec kMenu[] = {
    {0, "file", L"文件(&F)", 0, 0, nullptr, true},
    {1, "open", L"打开(&O)", ID_plzh_open, 0, nullptr, true},
    {1, "exit", L"退出(&T)", ID_plzh_exit, 0, nullptr, true},
    {0, "edit", L"编辑(&E)", 0, 0, nullptr, true},
    {1, "zhuanhuan", L"转换(&Z)", ID_plzh_zhuanhuan, 0, nullptr, true},
    {0, "about", L"关于(&A)", 0, 0, nullptr, true},
    {1, "help", L"帮助(&H)", ID_plzh_help, 0, nullptr, true},
};

std::wstring ListText(HWND list, int index)
{
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) {
        return {};
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == LB_ERR ? 0 : static_cast<size_t>(copied));
    return text;
}

std::wstring ControlText(HWND control)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring Upper(std::wstring text)
{
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

RECT PixelRect(const TwipsRect& place, ScreenDpi dpi)
{
    int left = PixelsFromTwips(place.left, dpi.x);
    int top = PixelsFromTwips(place.top, dpi.y);
    return {left, top, left + PixelsFromTwips(place.width, dpi.x), top + PixelsFromTwips(place.height, dpi.y)};
}

}  // namespace

void ConverterWindow::AdjustClass(WNDCLASSEXW& wc)
{
    SetClassIcons(wc, IDI_KAVLOR);
}

ConverterWindow::ConverterWindow(std::function<void()> onExit) : m_onExit(std::move(onExit)) {}

// The window must see its own WM_DESTROY, which the base class destructor would be too late for.
ConverterWindow::~ConverterWindow()
{
    if (m_hwnd) {
        DestroyWindow(m_hwnd);
    }
}

void ConverterWindow::Show()
{
    if (!m_hwnd) {
        m_dpi = GetScreenDpi();
        RECT outer{0, 0, PixelsFromTwips(kClient.width, m_dpi.x), PixelsFromTwips(kClient.height, m_dpi.y)};
        AdjustWindowRectEx(&outer, kStyle, TRUE, kExStyle);
        const int width = outer.right - outer.left;
        const int height = outer.bottom - outer.top;
        const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
        if (!Create(kExStyle, texts::kConverterCaption, kStyle, x, y, width, height, nullptr, BuildMenuBar(kMenu))) {
            throw std::runtime_error("the converter window could not be created");
        }
        SetDialogNavigation(m_hwnd, true);
    }
    ShowWindow(m_hwnd, SW_SHOWNORMAL);
    SetForegroundWindow(m_hwnd);
}

LRESULT ConverterWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CREATE: Form_Load(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_ACTIVATE: m_focus.OnActivate(m_hwnd, LOWORD(wParam), List1); return 0;
    case DM_GETDEFID: return DefaultButtonAnswer(m_hwnd, Command2);
    case WM_CLOSE: exit_Click(); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    default: return DefaultProc(msg, wParam, lParam);
    }
}

// Controls in tab order; the previews sit inside their frames. Nothing to convert yet.
void ConverterWindow::Form_Load()
{
    m_font.reset(CreateSongtiFont(m_dpi.y, FW_NORMAL));
    HFONT font = m_font.get();
    const DWORD listStyle = WS_TABSTOP | WS_VSCROLL | WS_BORDER | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    const DWORD labelStyle = SS_LEFT | SS_NOPREFIX | SS_PATHELLIPSIS;
    // The previews lie over their frames, so they come first in the order of the window's
    // children; they take no focus, so the tab order of the controls stays as designed.
    m_image1.Create(m_hwnd, Image1, PixelRect({240, 360, 3495, 2055}, m_dpi));
    m_image2.Create(m_hwnd, Image2, PixelRect({4800, 360, 3495, 2055}, m_dpi));
    AddControl(m_hwnd, Frame1, L"BUTTON", L"BMP图片文件", BS_GROUPBOX, {120, 120, 3735, 2415}, m_dpi, font);
    AddControl(m_hwnd, Frame2, L"BUTTON", L"JPG图片文件", BS_GROUPBOX, {4680, 120, 3735, 2415}, m_dpi, font);
    AddControl(m_hwnd, List1, L"LISTBOX", L"", listStyle, {120, 2880, 3735, 2400}, m_dpi, font);
    AddControl(m_hwnd, List2, L"LISTBOX", L"", listStyle, {4680, 2880, 3735, 2400}, m_dpi, font);
    AddControl(m_hwnd, Command1, L"BUTTON", L"转换", WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, {3960, 1080, 615, 855},
               m_dpi, font);
    AddControl(m_hwnd, Command2, L"BUTTON", L"打开", WS_TABSTOP | BS_PUSHBUTTON, {3960, 3720, 615, 735}, m_dpi, font);
    AddControl(m_hwnd, Label1, L"STATIC", L"打开图片区", labelStyle, {120, 2640, 3660, 180}, m_dpi, font);
    AddControl(m_hwnd, Label2, L"STATIC", L"转换图片区", labelStyle, {4680, 2640, 3660, 180}, m_dpi, font);
    EnableWindow(Control(Command1), FALSE);
}

void ConverterWindow::OnCommand(int id, int code)
{
    // While a run lasts the window takes no other command, whoever sends it: the run works in the
    // current directory, which the file dialog would move, and the lists are the run's. Leaving
    // hides the window, as its close box does.
    if (m_running && id != ID_plzh_exit) {
        return;
    }
    switch (id) {
    case ID_plzh_open: open_Click(); break;
    case ID_plzh_exit: exit_Click(); break;
    case ID_plzh_zhuanhuan: zhuanhuan_Click(); break;
    case ID_plzh_help: help_Click(); break;
    case Command1:
        if (code == BN_CLICKED) {
            Command1_Click();
        }
        break;
    case Command2:
        if (code == BN_CLICKED) {
            Command2_Click();
        }
        break;
    case List1:
        if (code == LBN_SELCHANGE) {
            List1_Click();
        }
        break;
    case List2:
        if (code == LBN_SELCHANGE) {
            List2_Click();
        }
        break;
    default: break;
    }
}

void ConverterWindow::open_Click()
{
    OpenSourceFiles();
}

void ConverterWindow::Command2_Click()
{
    OpenSourceFiles();
}

void ConverterWindow::zhuanhuan_Click()
{
    ConvertListedFiles();
}

void ConverterWindow::Command1_Click()
{
    ConvertListedFiles();
}

void ConverterWindow::List1_Click()
{
    ShowEntryPreview(Label1, List1, m_image1);
}

void ConverterWindow::List2_Click()
{
    ShowEntryPreview(Label2, List2, m_image2);
}

void ConverterWindow::help_Click()
{
    ShowMessage(m_hwnd, texts::kConverterHelp, texts::kConverterHelpTitle);
}

// The window keeps everything while hidden; closing it with its close box does the same, so
// the program never goes on without a window to come back to.
void ConverterWindow::exit_Click()
{
    ShowWindow(m_hwnd, SW_HIDE);
    if (m_onExit) {
        m_onExit();
    }
}

// One chosen file joins the list and moves the source folder to its own; several replace the
// list. The first entry is then selected and decides the direction captions.
void ConverterWindow::OpenSourceFiles()
{
    std::vector<wchar_t> result(kChosenFilesChars, L'\0');
    const std::wstring filter = NativeFilter(texts::kConverterOpenFilter);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = m_hwnd;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = result.data();
    ofn.nMaxFile = static_cast<DWORD>(result.size());
    // Explorer style returns whole long names, spaces and all, separated by zeros.
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_HIDEREADONLY;
    if (!GetOpenFileNameW(&ofn)) {
        if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) {
            ShowMessage(m_hwnd, texts::kTooManyFiles, texts::kNoticeTitle);
        }
        return;
    }
    const ChosenFiles chosen = ParseChosenFiles({result.data(), result.size()});
    HWND list1 = Control(List1);
    SetWindowTextW(Control(Label1), chosen.folder.c_str());
    if (!chosen.single) {
        SendMessageW(list1, LB_RESETCONTENT, 0, 0);
    }
    for (const std::wstring& name : chosen.names) {
        SendMessageW(list1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    const auto count = static_cast<int>(SendMessageW(list1, LB_GETCOUNT, 0, 0));
    if (count <= 0) {
        return;
    }
    SelectEntry(List1, 0);
    const DirectionCaptions captions = CaptionsFor(ExtensionKey(Upper(ListText(list1, 0))));
    SetWindowTextW(Control(Frame1), captions.frame1.c_str());
    SetWindowTextW(Control(Frame2), captions.frame2.c_str());
    SetWindowTextW(Control(Command1), captions.command1.c_str());
    EnableWindow(Control(Command1), TRUE);
}

void ConverterWindow::SelectEntry(int list, int index)
{
    SendMessageW(Control(list), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (list == List1) {
        List1_Click();
    } else {
        List2_Click();
    }
}

// A picture that cannot be loaded leaves the previous preview in place, without a message.
void ConverterWindow::ShowEntryPreview(int label, int list, ImageBox& image)
{
    HWND listBox = Control(list);
    LRESULT index = SendMessageW(listBox, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) {
        return;
    }
    // Decoded at the size of the box: a preview never needs the whole picture.
    RECT box{};
    GetClientRect(image.Hwnd(), &box);
    const std::wstring path = EntryPath(ControlText(Control(label)), ListText(listBox, static_cast<int>(index)));
    if (PicturePtr picture = LoadPreviewPicture(path, {box.right, box.bottom})) {
        image.SetPicture(std::move(picture));
    }
}

void ConverterWindow::OnDestroy()
{
    SetDialogNavigation(m_hwnd, false);
}

// The controls are gone by now, so their font can go too.
void ConverterWindow::OnDestroyed()
{
    m_font.reset();
}

}  // namespace kavlor
