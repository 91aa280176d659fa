// The main window's image document commands: open, save, clear, wallpaper, paint program,
// converter, links and exit.
#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app/DocumentServices_win.h"
#include "app/ImageFile_win.h"
#include "app/MainWindow.h"
#include "app/ProgramSearch.h"
#include "app/Texts.h"
#include "base/Process.h"
#include "convert/ConverterWindow_win.h"

namespace kavlor {

namespace {

const wchar_t* ReasonText(ImageLoadError error)
{
    switch (error) {
    case ImageLoadError::Missing: return texts::kImageMissing;
    case ImageLoadError::Unreadable: return texts::kImageUnreadable;
    case ImageLoadError::UnknownKind: return texts::kImageUnknownKind;
    case ImageLoadError::TooLarge: return texts::kImageTooLarge;
    case ImageLoadError::OutOfMemory: return texts::kImageOutOfMemory;
    case ImageLoadError::Damaged:
    case ImageLoadError::None: break;
    }
    return texts::kImageDamaged;
}

const wchar_t* ReasonText(ImageSaveError error)
{
    switch (error) {
    case ImageSaveError::CannotCreate: return texts::kSaveCannotCreate;
    case ImageSaveError::WriteFailed: return texts::kSaveWriteFailed;
    case ImageSaveError::CannotReplace: return texts::kSaveCannotReplace;
    case ImageSaveError::NoPixels:
    case ImageSaveError::None: break;
    }
    return texts::kSaveNoPixels;
}

bool IsFile(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring EnvironmentValue(const wchar_t* name)
{
    DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0) {
        return {};
    }
    std::wstring value(needed, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), needed));
    return value;
}

std::wstring SystemFolder(UINT(WINAPI* query)(LPWSTR, UINT))
{
    wchar_t folder[MAX_PATH] = L"";
    UINT length = query(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) : std::wstring();
}

// The full path of a program found in the system's folders or on PATH, never in the current
// directory: the file dialogs move that to wherever the user's pictures lie, and a program
// planted there must not start in place of the system's.
std::optional<std::wstring> FindSystemProgram(const std::wstring& name)
{
    for (const std::wstring& folder : ProgramSearchFolders(
             SystemFolder(GetSystemDirectoryW), SystemFolder(GetWindowsDirectoryW), EnvironmentValue(L"PATH"))) {
        std::wstring candidate = folder;
        if (candidate.back() != L'\\' && candidate.back() != L'/') {
            candidate.push_back(L'\\');
        }
        candidate += name;
        if (IsFile(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

void OpenLink(const std::wstring& link)
{
    // The result is ignored: a system without browser or mail program simply shows nothing.
    ShellExecuteW(nullptr, nullptr, link.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

DocumentServices& ActiveDocumentServices()
{
    static DocumentServices services;
    return services;
}

void MainWindow::huatu_Click()
{
    std::optional<std::wstring> paint = FindSystemProgram(L"mspaint.exe");
    if (!paint || !StartProgram(*paint)) {
        ShowMessage(m_hwnd, texts::kPaintCannotStart, texts::kNoticeTitle);
    }
}

// The converter takes the main window's place until its exit command brings it back.
// The converter is shown first: should it fail to appear, the main window is still there.
void MainWindow::plzhuan_Click()
{
    m_plzh->Show();
    ShowWindow(m_hwnd, SW_HIDE);
}

void MainWindow::open_Click()
{
    m_commonDialog1.filter = texts::kOpenFilter;
    m_commonDialog1.filterIndex = 1;
    if (!m_commonDialog1.ShowOpen(m_hwnd)) {
        return;
    }
    const std::wstring path = m_commonDialog1.fileName;
    // Everything stays as it was unless the file really gives a picture.
    ImageLoad load = LoadPictureFile(path);
    if (!load.picture) {
        ShowMessage(m_hwnd, std::wstring(texts::kCannotOpenImage) + L"\n" + path + L"\n\n" + ReasonText(load.error),
                    texts::kNoticeTitle);
        return;
    }
    m_state.CurrentImagePath = path;
    m_picture1.SetPicture(std::move(load.picture));
    m_state.shezhiEnabled = true;
    ApplyMenuState();
}

void MainWindow::baocuntx_Click()
{
    SavePicture();
}

void MainWindow::SavePicture()
{
    // Asking for a name is pointless when there is nothing to write.
    PicturePtr picture = m_picture1.GetPicture();
    if (!picture) {
        ShowMessage(m_hwnd, texts::kNothingToSave, texts::kNoticeTitle);
        return;
    }
    // The dialog shows the type last chosen; BMP at first, with the extension "bmp".
    m_commonDialog1.defaultExt = m_saveType == SaveType::Bmp ? texts::kSaveDefaultExt : SaveTypeExtension(m_saveType);
    m_commonDialog1.filter = texts::kSaveFilter;
    m_commonDialog1.filterIndex = static_cast<DWORD>(m_saveType) + 1;
    m_commonDialog1.fileName.clear();
    if (!m_commonDialog1.ShowSave(m_hwnd) || m_commonDialog1.fileName.empty()) {
        return;
    }
    if (m_commonDialog1.filterIndex >= 1 && m_commonDialog1.filterIndex <= 3) {
        m_saveType = static_cast<SaveType>(m_commonDialog1.filterIndex - 1);
    }
    const SaveTarget target = SaveTargetFor(m_commonDialog1.fileName, m_saveType);
    m_commonDialog1.fileName = target.path;
    const std::wstring path = target.path;
    ImageSaveError error = SavePictureFile(*picture, path, target.type);
    if (error != ImageSaveError::None) {
        std::wstring text = std::wstring(texts::kCannotSaveImage) + L"\n" + path + L"\n\n" + ReasonText(error);
        if (IsFile(path)) {
            text += texts::kSaveOldFileKept;
        }
        ShowMessage(m_hwnd, text, texts::kNoticeTitle);
    }
}

void MainWindow::qinchutx_Click()
{
    ClearPicture();
}

void MainWindow::ClearPicture()
{
    m_picture1.SetPicture(nullptr);
}

void MainWindow::tuichu_Click()
{
    // The same end as the close box: every window goes and the message loop ends.
    DestroyWindow(m_hwnd);
}

void MainWindow::shezhi_Click()
{
    // The wallpaper source is the text of CurrentImagePath, not the picture shown: after a
    // full-screen capture from the menu it is a handle number, which the system may refuse.
    // The wide call takes the path as it is; through the ANSI one, a path the code page cannot
    // hold would arrive as another path.
    std::wstring path = m_state.CurrentImagePath;
    if (!ActiveDocumentServices().systemParametersInfoW(SPI_SETDESKWALLPAPER, static_cast<UINT>(-1), path.data(),
                                                        SPIF_UPDATEINIFILE)) {
        // The window's own pointer goes back to its arrow. The application-wide crosshair of
        // an armed region selection is not the window's and stays.
        if (GetAppMousePointer() == AppMousePointer::Default) {
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        }
        ShowMessage(m_hwnd, texts::kWallpaperFailed, texts::kNoticeTitle);
    }
}

void MainWindow::fangweng_Click()
{
    OpenLink(texts::kWebAddress);
}

void MainWindow::lianxiwm_Click()
{
    OpenMail(texts::kContactAddress);
}

void MainWindow::OpenMail(const wchar_t* address)
{
    OpenLink(std::wstring(L"mailto:") + address);
}

}  // namespace kavlor
