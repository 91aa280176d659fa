// The picture type shared by the capture, document and printing commands.
#include "base/Picture.h"

#include "base/Units.h"

namespace kavlor {

std::shared_ptr<Picture> Picture::Create(UniqueBitmap bitmap, UniquePalette palette)
{
    BITMAP info{};
    if (!bitmap || GetObjectW(bitmap.get(), sizeof(info), &info) == 0) {
        return nullptr;
    }
    SIZE size{info.bmWidth, info.bmHeight};
    return std::shared_ptr<Picture>(new Picture(std::move(bitmap), std::move(palette), size));
}

Picture::Picture(UniqueBitmap bitmap, UniquePalette palette, SIZE size)
    : m_bitmap(std::move(bitmap)), m_palette(std::move(palette)), m_size(size)
{
}

int32_t Picture::Handle() const
{
    // GDI handles carry 32 significant bits on every Windows, also in 64-bit processes.
    return static_cast<int32_t>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(m_bitmap.get())));
}

SIZE Picture::SizeHimetric() const
{
    WindowDC screen(nullptr);
    int dpiX = GetDeviceCaps(screen.get(), LOGPIXELSX);
    int dpiY = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return {HimetricFromPixels(m_size.cx, dpiX), HimetricFromPixels(m_size.cy, dpiY)};
}

void Picture::Draw(HDC hdc, int x, int y) const
{
    UniqueDC memory(CreateCompatibleDC(hdc));
    SelectGuard bitmap(memory.get(), m_bitmap.get());
    PaletteGuard target(hdc, m_palette.get(), FALSE);
    if (m_palette) {
        RealizePalette(hdc);
    }
    BitBlt(hdc, x, y, m_size.cx, m_size.cy, memory.get(), 0, 0, SRCCOPY);
}

}  // namespace kavlor
