// CRTP base for the program's top-level and child window classes.
#pragma once
#include <windows.h>

#include "base/App.h"

namespace kavlor {

// Derived supplies `static constexpr const wchar_t* kClassName` and
// `LRESULT HandleMessage(UINT, WPARAM, LPARAM)`; it may also supply
// `static void AdjustClass(WNDCLASSEXW&)` to change the class before it is registered.
template <typename Derived>
class BaseWindow {
public:
    BaseWindow() = default;
    BaseWindow(const BaseWindow&) = delete;
    BaseWindow& operator=(const BaseWindow&) = delete;
    // The derived part is gone by now: the window's last messages get default handling.
    // A derived class that must see its own WM_DESTROY destroys the window in its destructor.
    virtual ~BaseWindow()
    {
        if (m_hwnd) {
            SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
            DestroyWindow(m_hwnd);
        }
    }

    HWND Hwnd() const { return m_hwnd; }
    bool Exists() const { return m_hwnd != nullptr; }

protected:
    bool Create(DWORD exStyle, const wchar_t* caption, DWORD style, int x, int y, int cx, int cy, HWND parent,
                HMENU menuOrId)
    {
        RegisterOnce();
        CreateWindowExW(exStyle, Derived::kClassName, caption, style, x, y, cx, cy, parent, menuOrId, gInstance, this);
        return m_hwnd != nullptr;
    }

    LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(m_hwnd, msg, wParam, lParam); }

    HWND m_hwnd = nullptr;

private:
    static void RegisterOnce()
    {
        WNDCLASSEXW existing{};
        existing.cbSize = sizeof(existing);
        if (GetClassInfoExW(gInstance, Derived::kClassName, &existing)) {
            return;
        }
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = &BaseWindow::WindowProc;
        wc.hInstance = gInstance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = Derived::kClassName;
        if constexpr (requires(WNDCLASSEXW & c) { Derived::AdjustClass(c); }) {
            Derived::AdjustClass(wc);
        }
        RegisterClassExW(&wc);
    }

    // Nothing may unwind through user32: a failing handler is reported and the message gets
    // its default treatment.
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
    {
        Derived* self = nullptr;
        if (msg == WM_NCCREATE) {
            auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            self = static_cast<Derived*>(static_cast<BaseWindow*>(cs->lpCreateParams));
            self->m_hwnd = hwnd;
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<Derived*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (!self) {
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        }
        if (msg == WM_SETCURSOR && ApplyAppMousePointer()) {
            return TRUE;
        }
        if (msg == WM_NCDESTROY) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            LRESULT result = DefWindowProcW(hwnd, msg, wParam, lParam);
            self->m_hwnd = nullptr;
            self->OnDestroyed();
            return result;
        }
        try {
            return self->HandleMessage(msg, wParam, lParam);
        } catch (...) {
            ReportUnexpectedFailure();
            return DefWindowProcW(hwnd, msg, wParam, lParam);
        }
    }

    // Called after the native window is gone; the object itself stays usable.
    virtual void OnDestroyed() {}
};

}  // namespace kavlor
