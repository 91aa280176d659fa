// The shared driver of the converter tests.
#include "tests/convert/ConverterDriver_win.h"

#include <commdlg.h>
#include <dlgs.h>

#include <atomic>
#include <cstdlib>
#include <thread>

#include "app/ImageFile_win.h"
#include "app/resource.h"
#include "base/Handles.h"
#include "tests/app/DocumentTestSupport_win.h"
#include "tests/convert/TestPictures.h"

namespace kavlor::test {

void WriteSolidPicture(const std::wstring& path, uint32_t color, int width, int height)
{
    Raster raster = MakeRaster(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = raster.Row(y) + x * 3;
            pixel[0] = static_cast<uint8_t>(color);
            pixel[1] = static_cast<uint8_t>(color >> 8);
            pixel[2] = static_cast<uint8_t>(color >> 16);
        }
    }
    const bool jpeg = !path.ends_with(L".bmp") && !path.ends_with(L".BMP");
    WriteBytes(path, jpeg ? EncodeTestJpeg(raster, JpegKind::Baseline) : EncodeBmp(raster, BmpFormat{}));
}

std::optional<uint32_t> PictureColor(const std::wstring& path)
{
    ImageLoad load = LoadPictureFile(path);
    if (!load.picture) {
        return std::nullopt;
    }
    Pixels pixels = ReadBitmap(load.picture->Bitmap());
    return pixels.at(pixels.width / 2, pixels.height / 2);
}

bool NearColor(uint32_t a, uint32_t b, int tolerance)
{
    for (int shift : {16, 8, 0}) {
        if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > tolerance) {
            return false;
        }
    }
    return true;
}

void ConverterTest::SetUp()
{
    MainWindowTest::SetUp();
    // The converter loads the library from its program's folder: here, this test program's. It
    // is copied beside it under a name of its own, then put in place by a rename: another test
    // process of this build may have the library loaded, and under Wine a copy written over it
    // would change the pages it runs (seen: a call through an import not yet bound).
    const std::wstring copy = LibraryBesideProgram() + L"." + std::to_wstring(GetCurrentProcessId());
    CopyFileW((TestProgramDir() + L"\\..\\app\\conversion.dll").c_str(), copy.c_str(), FALSE);
    if (!MoveFileExW(copy.c_str(), LibraryBesideProgram().c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(copy.c_str());
    }
    Command(ID_plzhuan);
    ASSERT_TRUE(plzh().Hwnd());
}

std::wstring ConverterTest::LibraryBesideProgram() const
{
    return TestProgramDir() + L"\\conversion.dll";
}

HWND ConverterTest::Item(int id) const
{
    return GetDlgItem(m_window->plzh().Hwnd(), id);
}

std::wstring ConverterTest::Text(int id) const
{
    return WindowText(Item(id));
}

std::vector<std::wstring> ConverterTest::Entries(int list) const
{
    std::vector<std::wstring> entries;
    const auto count = static_cast<int>(SendMessageW(Item(list), LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<size_t>(SendMessageW(Item(list), LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        text.resize(
            static_cast<size_t>(SendMessageW(Item(list), LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        entries.push_back(text);
    }
    return entries;
}

int ConverterTest::Selected(int list) const
{
    return static_cast<int>(SendMessageW(Item(list), LB_GETCURSEL, 0, 0));
}

uint32_t ConverterTest::PreviewColor(ImageBox& box) const
{
    RECT client{};
    GetClientRect(box.Hwnd(), &client);
    WindowDC screen(nullptr);
    UniqueDC memory(CreateCompatibleDC(screen.get()));
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
    {
        SelectGuard select(memory.get(), bitmap.get());
        box.PaintContent(memory.get());
    }
    Pixels pixels = ReadBitmap(bitmap.get());
    return pixels.at(pixels.width / 2, pixels.height / 2);
}

// The dialog may start in the folder it showed last: the driver first goes to `folder` by
// typing it, then types the names there.
void ConverterTest::Choose(const std::wstring& folder, std::optional<std::wstring> typed)
{
    std::atomic<bool> stop{false};
    std::thread driver([&] {
        HWND dialog = nullptr;
        while (!stop && !(dialog = FindFileDialog())) {
            Sleep(10);  // polling another thread's windows; no message to wait for here
        }
        if (!dialog) {
            return;
        }
        auto press = [dialog](int button) {
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
        };
        if (!typed) {
            press(IDCANCEL);
            return;
        }
        HWND name = GetDlgItem(dialog, cmb13);
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
        press(IDOK);
        wchar_t shown[MAX_PATH] = L"";
        while (!stop && (SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(shown)) <= 0 ||
                         lstrcmpiW(shown, folder.c_str()) != 0)) {
            Sleep(10);
        }
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed->c_str()));
        press(IDOK);
    });
    plzh().open_Click();
    stop = true;
    driver.join();
}

std::wstring ConverterTest::Run()
{
    MessageBoxAnswerer box(L"Kavlor 提示");
    plzh().zhuanhuan_Click();
    return box.answered() ? box.text() : std::wstring();
}

}  // namespace kavlor::test
