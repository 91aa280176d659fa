// Image box of the converter's previews, and the pictures it shows, decoded small.
#include "convert/ImageBox_win.h"

#include <cstdint>
#include <span>

#include "app/ImageFile_win.h"
#include "base/Handles.h"
#include "convert/Preview.h"

namespace kavlor {

namespace {

// The file's bytes, mapped rather than read: a preview touches only the pages it samples.
class MappedFile {
public:
    explicit MappedFile(const std::wstring& path)
    {
        UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER size{};
        if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
            static_cast<uint64_t>(size.QuadPart) > SIZE_MAX / 2) {
            return;
        }
        UniqueFile mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (!mapping) {
            return;
        }
        m_view = static_cast<const uint8_t*>(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
        m_size = m_view ? static_cast<size_t>(size.QuadPart) : 0;
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile()
    {
        if (m_view) {
            UnmapViewOfFile(m_view);
        }
    }
    std::span<const uint8_t> bytes() const { return {m_view, m_size}; }

private:
    const uint8_t* m_view = nullptr;
    size_t m_size = 0;
};

}  // namespace

PicturePtr LoadPreviewPicture(const std::wstring& path, SIZE size)
{
    Raster preview;
    if (DecodePreview(MappedFile(path).bytes(), size.cx, size.cy, preview) != CodecError::None) {
        return LoadPictureFile(path).picture;  // another kind of picture, for the system's decoders
    }
    WindowDC screen(nullptr);
    UniquePalette palette;
    if (GetDeviceCaps(screen.get(), RASTERCAPS) & RC_PALETTE) {
        palette.reset(CreateHalftonePalette(screen.get()));
    }
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), preview.width, preview.height));
    UniqueDC memory(CreateCompatibleDC(screen.get()));
    {
        SelectGuard select(memory.get(), bitmap.get());
        PaletteGuard realized(memory.get(), palette.get(), FALSE);
        if (palette) {
            RealizePalette(memory.get());
        }
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), preview.width, -preview.height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        SetDIBitsToDevice(memory.get(), 0, 0, static_cast<DWORD>(preview.width), static_cast<DWORD>(preview.height), 0,
                          0, 0, static_cast<UINT>(preview.height), preview.pixels.data(), &info, DIB_RGB_COLORS);
    }
    return Picture::Create(std::move(bitmap), std::move(palette));
}

bool ImageBox::Create(HWND parent, int id, const RECT& place)
{
    return BaseWindow::Create(0, L"", WS_CHILD | WS_VISIBLE, place.left, place.top, place.right - place.left,
                              place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void ImageBox::SetPicture(PicturePtr picture)
{
    m_picture = std::move(picture);
    InvalidateRect(m_hwnd, nullptr, TRUE);
}

LRESULT ImageBox::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_PAINT: {
        PaintDC paint(m_hwnd);
        PaintContent(paint.get());
        return 0;
    }
    case WM_PRINTCLIENT: PaintContent(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return m_picture ? 1 : DefaultProc(msg, wParam, lParam);
    default: return DefaultProc(msg, wParam, lParam);
    }
}

// Halftone stretching keeps a shrunk screenshot readable; the picture's palette is realised
// first on a 256-colour display.
void ImageBox::PaintContent(HDC hdc) const
{
    RECT client{};
    GetClientRect(m_hwnd, &client);
    if (!m_picture) {
        FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    const SIZE size = m_picture->SizePixels();
    UniqueDC memory(CreateCompatibleDC(hdc));
    SelectGuard bitmap(memory.get(), m_picture->Bitmap());
    PaletteGuard target(hdc, m_picture->Palette(), FALSE);
    if (m_picture->Palette()) {
        RealizePalette(hdc);
    }
    int oldMode = SetStretchBltMode(hdc, HALFTONE);
    POINT oldOrigin{};
    SetBrushOrgEx(hdc, 0, 0, &oldOrigin);
    StretchBlt(hdc, 0, 0, client.right, client.bottom, memory.get(), 0, 0, size.cx, size.cy, SRCCOPY);
    SetBrushOrgEx(hdc, oldOrigin.x, oldOrigin.y, nullptr);
    SetStretchBltMode(hdc, oldMode);
}

}  // namespace kavlor
