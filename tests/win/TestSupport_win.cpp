// Helpers for the Windows integration tests.
#include "tests/win/TestSupport_win.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "base/App.h"
#include "base/Handles.h"

namespace kavlor::test {

std::wstring TestProgramDir()
{
    wchar_t path[MAX_PATH * 2] = L"";
    GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L'\\'));
}

std::wstring KavlorExePath()
{
    return TestProgramDir() + L"\\..\\app\\" KAVLOR_EXE_W;
}

std::wstring RecorderExePath()
{
    return TestProgramDir() + L"\\" KAVLOR_RECORDER_EXE_W;
}

std::wstring FaultWorkerExePath()
{
    return TestProgramDir() + L"\\" KAVLOR_FAULTWORKER_EXE_W;
}

ClipboardHolder::ClipboardHolder()
{
    const std::wstring tag =
        L"KavlorClipboardHolder" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
    const std::wstring readyName = tag + L"-ready";
    const std::wstring releaseName = tag + L"-release";
    m_ready = CreateEventW(nullptr, TRUE, FALSE, readyName.c_str());
    m_release = CreateEventW(nullptr, TRUE, FALSE, releaseName.c_str());
    const std::wstring program = TestProgramDir() + L"\\" KAVLOR_CLIPBOARDHOLDER_EXE_W;
    std::wstring line = L"\"" + program + L"\" " + readyName + L" " + releaseName;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &m_process)) {
        HANDLE waits[] = {m_ready, m_process.hProcess};
        m_holding = WaitForMultipleObjects(2, waits, FALSE, Deadline(30000)) == WAIT_OBJECT_0;
    }
}

ClipboardHolder::~ClipboardHolder()
{
    Release();
    CloseHandle(m_ready);
    CloseHandle(m_release);
}

void ClipboardHolder::Release()
{
    SetEvent(m_release);
    if (m_process.hProcess) {
        WaitForSingleObject(m_process.hProcess, 30000);
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
        m_process = {};
    }
    m_holding = false;
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

KavlorProcess::KavlorProcess()
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring line = L"\"" + KavlorExePath() + L"\"";
    if (CreateProcessW(KavlorExePath().c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &m_process)) {
        m_main = WaitForWindow(L"KavlorMainWindow");
    }
}

KavlorProcess::~KavlorProcess()
{
    Close();
    if (m_process.hProcess) {
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
}

HWND KavlorProcess::WaitForWindow(const wchar_t* className, const wchar_t* title) const
{
    HWND found = nullptr;
    PumpUntil([&] {
        while ((found = FindWindowExW(nullptr, found, className, title))) {
            DWORD pid = 0;
            GetWindowThreadProcessId(found, &pid);
            if (pid == m_process.dwProcessId && IsWindowVisible(found)) {
                return true;
            }
        }
        return false;
    });
    return found;
}

void KavlorProcess::Command(int id) const
{
    PostMessageW(m_main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

bool KavlorProcess::Close()
{
    if (!m_process.hProcess) {
        return false;
    }
    PostMessageW(m_main, WM_CLOSE, 0, 0);
    return PumpUntil([&] { return WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0; });
}

TempDir::TempDir()
{
    wchar_t base[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, base);
    static int counter = 0;
    for (;;) {
        m_path = std::wstring(base) + L"kavlor-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++counter);
        if (CreateDirectoryW(m_path.c_str(), nullptr)) {
            break;
        }
    }
}

namespace {
void RemoveTree(const std::wstring& dir)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            std::wstring full = dir + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(dir.c_str());
}
}  // namespace

TempDir::~TempDir()
{
    RemoveTree(m_path);
}

std::wstring WindowText(HWND hwnd)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

DWORD Deadline(DWORD ms)
{
    static const DWORD scale = [] {
        wchar_t text[16] = L"";
        GetEnvironmentVariableW(L"KAVLOR_TIME_SCALE", text, 16);
        unsigned long value = wcstoul(text, nullptr, 10);
        return value >= 1 && value <= 20 ? static_cast<DWORD>(value) : DWORD{1};
    }();
    return ms * scale;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    timeoutMs = Deadline(timeoutMs);
    DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) {
                DispatchOne(msg);
            }
        }
        if (done()) {
            return true;
        }
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) {
            return false;
        }
        // Wake for input or after a short while to look at the condition again.
        MsgWaitForMultipleObjectsEx(0, nullptr, 20, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void PumpPending()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) {
            DispatchOne(msg);
        }
    }
}

namespace {

// A 32-bit top-down DIB description: rows from the top, one 0x00RRGGBB word a pixel.
BITMAPINFO TopDown32(int width, int height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    return info;
}

Pixels ReadSelected(HDC source, int x, int y, int width, int height)
{
    Pixels out;
    out.width = width;
    out.height = height;
    out.data.resize(static_cast<size_t>(width) * height);
    BITMAPINFO info = TopDown32(width, height);
    void* bits = nullptr;
    UniqueBitmap dib(CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueDC memory(CreateCompatibleDC(source));
    {
        SelectGuard select(memory.get(), dib.get());
        BitBlt(memory.get(), 0, 0, width, height, source, x, y, SRCCOPY);
        GdiFlush();
    }
    const auto* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < out.data.size(); ++i) {
        out.data[i] = p[i] & 0xFFFFFF;
    }
    return out;
}

}  // namespace

double Psnr(const Pixels& a, const Pixels& b)
{
    double squares = 0;
    for (size_t i = 0; i < a.data.size() && i < b.data.size(); ++i) {
        for (int shift : {0, 8, 16}) {
            const double d =
                static_cast<double>(a.data[i] >> shift & 0xFF) - static_cast<double>(b.data[i] >> shift & 0xFF);
            squares += d * d;
        }
    }
    const double mean = squares / (3.0 * static_cast<double>(std::max<size_t>(a.data.size(), 1)));
    return a.data.size() != b.data.size() ? 0 : mean == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mean);
}

Pixels ReadBitmap(HBITMAP bitmap)
{
    BITMAP bm{};
    GetObjectW(bitmap, sizeof(bm), &bm);
    WindowDC screen(nullptr);
    UniqueDC memory(CreateCompatibleDC(screen.get()));
    SelectGuard select(memory.get(), bitmap);
    return ReadSelected(memory.get(), 0, 0, bm.bmWidth, bm.bmHeight);
}

Pixels ReadScreen(const RECT& area)
{
    WindowDC screen(nullptr);
    return ReadSelected(screen.get(), area.left, area.top, area.right - area.left, area.bottom - area.top);
}

Pixels ReadClipboardBitmap()
{
    Pixels out;
    if (!OpenClipboard(nullptr)) {
        return out;
    }
    if (auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
        out = ReadBitmap(bitmap);
    }
    CloseClipboard();
    return out;
}

uint32_t PatternColor(int x, int y)
{
    uint32_t r = static_cast<uint32_t>(x * 7 + y) & 0xFF;
    uint32_t g = static_cast<uint32_t>(y * 5) & 0xFF;
    uint32_t b = static_cast<uint32_t>((x ^ y) * 3) & 0xFF;
    return (r << 16) | (g << 8) | b;
}

PatternWindow::PatternWindow(const RECT& screenArea, bool activate) : m_area(screenArea)
{
    static const wchar_t* kClass = L"KavlorTestPattern";
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), kClass, &wc)) {
        wc.lpfnWndProc = &PatternWindow::Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        RegisterClassExW(&wc);
    }
    m_hwnd = CreateWindowExW(WS_EX_TOPMOST, kClass, L"pattern", WS_POPUP, m_area.left, m_area.top,
                             m_area.right - m_area.left, m_area.bottom - m_area.top, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    ShowWindow(m_hwnd, activate ? SW_SHOW : SW_SHOWNOACTIVATE);
    UpdateWindow(m_hwnd);
}

PatternWindow::~PatternWindow()
{
    DestroyWindow(m_hwnd);
    PumpPending();
}

bool PatternWindow::WaitShown()
{
    return PumpUntil([&] {
        Pixels shown = ReadScreen(m_area);
        for (int y = 0; y < shown.height; y += 7) {
            for (int x = 0; x < shown.width; x += 5) {
                if (shown.at(x, y) != PatternColor(m_area.left + x, m_area.top + y)) {
                    return false;
                }
            }
        }
        return true;
    });
}

LRESULT CALLBACK PatternWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg != WM_PAINT) {
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    PaintDC paint(hwnd);
    RECT client{};
    GetClientRect(hwnd, &client);
    POINT origin{0, 0};
    ClientToScreen(hwnd, &origin);
    int width = client.right;
    int height = client.bottom;
    std::vector<uint32_t> bits(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bits[static_cast<size_t>(y) * width + x] = PatternColor(origin.x + x, origin.y + y);
        }
    }
    BITMAPINFO info = TopDown32(width, height);
    SetDIBitsToDevice(paint.get(), 0, 0, width, height, 0, 0, 0, height, bits.data(), &info, DIB_RGB_COLORS);
    return 0;
}

void PressKey(WORD vk)
{
    INPUT inputs[2]{};
    inputs[0].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = vk;
    inputs[1] = inputs[0];
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

void MoveMouse(int x, int y, DWORD buttons)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    // Absolute coordinates are normalised to 0..65535 over the virtual screen, every monitor, and
    // taken back as left + dx * width / 65536 rounded down: rounded up here, they land on (x, y).
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int cx = GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const int cy = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    input.mi.dx = static_cast<LONG>(((x - left) * 65536LL + cx - 1) / cx);
    input.mi.dy = static_cast<LONG>(((y - top) * 65536LL + cy - 1) / cy);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | buttons;
    SendInput(1, &input, sizeof(INPUT));
}

void MouseButton(DWORD flag)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flag;
    SendInput(1, &input, sizeof(INPUT));
}

MessageBoxAnswerer::MessageBoxAnswerer(std::wstring title, std::function<void()> afterAnswer, int button)
    : m_title(std::move(title)), m_afterAnswer(std::move(afterAnswer)), m_button(button)
{
    m_thread = std::thread([this] {
        while (!m_stop) {
            HWND box = FindWindowW(L"#32770", m_title.c_str());
            DWORD pid = 0;
            if (box) {
                GetWindowThreadProcessId(box, &pid);
            }
            if (box && pid == GetCurrentProcessId() && IsWindowVisible(box)) {
                std::wstring text(8192, L'\0');
                text.resize(static_cast<size_t>(GetDlgItemTextW(box, 0xFFFF, text.data(), 8192)));
                m_text = text;
                m_answeredAtMs = WallClockMs();
                // Marked before the box can close, so that the code waiting on it sees it.
                m_answered = true;
                if (m_button == kEnter) {
                    GUITHREADINFO thread{};
                    thread.cbSize = sizeof(thread);
                    GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &thread);
                    HWND focus = thread.hwndFocus ? thread.hwndFocus : box;
                    PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 1);
                    PostMessageW(focus, WM_KEYUP, VK_RETURN, 0xC0000001);
                } else {
                    PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(m_button), 0);
                }
                if (m_afterAnswer) {
                    m_afterAnswer();
                }
                return;
            }
            Sleep(10);  // polling another thread's windows; no message to wait for here
        }
    });
}

MessageBoxAnswerer::~MessageBoxAnswerer()
{
    m_stop = true;
    m_thread.join();
}

void MainWindowTest::SetUp()
{
    m_window = std::make_unique<MainWindow>();
    ASSERT_TRUE(m_window->Create(SW_SHOWNORMAL));
    SetForegroundWindow(m_window->Hwnd());
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == m_window->Hwnd(); }));
    PumpPending();
}

void MainWindowTest::TearDown()
{
    m_window.reset();
    PumpPending();
}

void MainWindowTest::Command(int id)
{
    SendMessageW(m_window->Hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

RECT MainWindowTest::ScreenRect() const
{
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace kavlor::test
