// Move-only owners for Win32 handles and a guard that puts back a selected GDI object.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace kavlor {

// Owns one handle and gives it to Release when it leaves scope. A null handle releases
// nothing, so an owner may hold the result of a call that failed.
template <typename T, auto Release>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T handle) : m_handle(handle) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }

    T get() const { return m_handle; }
    explicit operator bool() const { return m_handle != T{}; }
    // Hands the handle to a new owner (the clipboard, a picture); this owner forgets it.
    [[nodiscard]] T release() { return std::exchange(m_handle, T{}); }
    void reset(T handle = T{})
    {
        T old = std::exchange(m_handle, handle);
        if (old != T{}) {
            Release(old);
        }
    }

private:
    T m_handle{};
};

using UniqueDC = UniqueHandle<HDC, DeleteDC>;
using UniqueBitmap = UniqueHandle<HBITMAP, DeleteObject>;
using UniquePalette = UniqueHandle<HPALETTE, DeleteObject>;
using UniqueFont = UniqueHandle<HFONT, DeleteObject>;
using UniqueBrush = UniqueHandle<HBRUSH, DeleteObject>;
using UniqueKey = UniqueHandle<HKEY, RegCloseKey>;
using UniqueAccel = UniqueHandle<HACCEL, DestroyAcceleratorTable>;
using UniqueImageList = UniqueHandle<HIMAGELIST, ImageList_Destroy>;
using UniqueModule = UniqueHandle<HMODULE, FreeLibrary>;

// A kernel handle: a file, a mapping, a process. CreateFile reports failure as
// INVALID_HANDLE_VALUE where the other calls give null; the owner keeps both as null, its one
// empty value, so that `if (file)` says whether there is a file.
class UniqueFile : public UniqueHandle<HANDLE, CloseHandle> {
public:
    UniqueFile() = default;
    explicit UniqueFile(HANDLE handle) : UniqueHandle(Valid(handle)) {}
    void reset(HANDLE handle = nullptr) { UniqueHandle::reset(Valid(handle)); }

private:
    static HANDLE Valid(HANDLE handle) { return handle == INVALID_HANDLE_VALUE ? nullptr : handle; }
};

// A device context from GetDC or GetWindowDC; ReleaseDC needs the window it came from.
class WindowDC {
public:
    enum class Area { Client, Window };
    explicit WindowDC(HWND hwnd, Area area = Area::Client)
        : m_hwnd(hwnd), m_hdc(area == Area::Client ? GetDC(hwnd) : GetWindowDC(hwnd))
    {
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC()
    {
        if (m_hdc) {
            ReleaseDC(m_hwnd, m_hdc);
        }
    }
    HDC get() const { return m_hdc; }

private:
    HWND m_hwnd;
    HDC m_hdc;
};

// BeginPaint/EndPaint pair; keeps the PAINTSTRUCT that EndPaint needs.
class PaintDC {
public:
    explicit PaintDC(HWND hwnd) : m_hwnd(hwnd) { BeginPaint(hwnd, &m_ps); }
    PaintDC(const PaintDC&) = delete;
    PaintDC& operator=(const PaintDC&) = delete;
    ~PaintDC() { EndPaint(m_hwnd, &m_ps); }
    HDC get() const { return m_ps.hdc; }
    const RECT& paintRect() const { return m_ps.rcPaint; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps{};
};

// Selects an object into a DC and selects the previous one back when it leaves scope.
// Declare it after the owner of the DC so that the DC outlives the selection.
class SelectGuard {
public:
    SelectGuard(HDC hdc, HGDIOBJ obj) : m_hdc(hdc), m_previous(SelectObject(hdc, obj)) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard()
    {
        if (m_previous) {
            SelectObject(m_hdc, m_previous);
        }
    }

private:
    HDC m_hdc;
    HGDIOBJ m_previous;
};

// The same for palettes, which SelectObject does not take.
class PaletteGuard {
public:
    PaletteGuard(HDC hdc, HPALETTE palette, BOOL background)
        : m_hdc(hdc), m_previous(palette ? SelectPalette(hdc, palette, background) : nullptr), m_background(background)
    {
    }
    PaletteGuard(const PaletteGuard&) = delete;
    PaletteGuard& operator=(const PaletteGuard&) = delete;
    ~PaletteGuard()
    {
        if (m_previous) {
            SelectPalette(m_hdc, m_previous, m_background);
        }
    }

private:
    HDC m_hdc;
    HPALETTE m_previous;
    BOOL m_background;
};

}  // namespace kavlor
