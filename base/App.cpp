// Application-wide window-layer services: start-up, message pump, mouse pointer, messages.
#include "base/App.h"

#include <commctrl.h>
#include <ole2.h>

#include <vector>

namespace kavlor {

HINSTANCE gInstance = nullptr;

namespace {

HWND gAcceleratorWindow = nullptr;
HACCEL gAccelerators = nullptr;
std::vector<HWND> gDialogWindows;
AppMousePointer gMousePointer = AppMousePointer::Default;
bool gOleStarted = false;

// Libraries load from the program's folder and System32 only, never from the current
// directory, which the file dialogs move around. Looked up at run time because older
// systems lack the call.
void RestrictDllSearch()
{
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto fn = reinterpret_cast<SetDefaultDllDirectoriesFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (fn) {
        fn(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}

bool TranslateForWindow(MSG& msg)
{
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) {
        return false;
    }
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    if (root && root == gAcceleratorWindow && gAccelerators &&
        TranslateAcceleratorW(gAcceleratorWindow, gAccelerators, &msg)) {
        return true;
    }
    for (HWND dialog : gDialogWindows) {
        if (root == dialog && IsDialogMessageW(dialog, &msg)) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool InitApplication(HINSTANCE instance)
{
    gInstance = instance;
    RestrictDllSearch();
    SetProcessDPIAware();
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof(icc);
    icc.dwICC = ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&icc);
    gOleStarted = SUCCEEDED(OleInitialize(nullptr));
    return gOleStarted;
}

void ShutdownApplication()
{
    if (gOleStarted) {
        OleUninitialize();
        gOleStarted = false;
    }
}

void SetAcceleratorWindow(HWND hwnd, HACCEL accelerators)
{
    gAcceleratorWindow = hwnd;
    gAccelerators = accelerators;
}

void SetDialogNavigation(HWND hwnd, bool enabled)
{
    std::erase(gDialogWindows, hwnd);
    if (enabled) {
        gDialogWindows.push_back(hwnd);
    }
}

void DispatchOne(MSG& msg)
{
    if (!TranslateForWindow(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool DispatchPendingMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        DispatchOne(msg);
    }
    return true;
}

long long WallClockMs()
{
    FILETIME utc;
    FILETIME local;
    GetSystemTimeAsFileTime(&utc);
    FileTimeToLocalFileTime(&utc, &local);
    ULARGE_INTEGER t{};
    t.LowPart = local.dwLowDateTime;
    t.HighPart = local.dwHighDateTime;
    return static_cast<long long>(t.QuadPart / 10000);
}

bool RunMessagesUntil(long long untilMs)
{
    for (;;) {
        if (!DispatchPendingMessages()) {
            return false;
        }
        long long now = WallClockMs();
        if (now >= untilMs) {
            return true;
        }
        // Sleep until a message arrives or the time is up, whichever comes first.
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(untilMs - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

int RunMessageLoop()
{
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchOne(msg);
    }
    return static_cast<int>(msg.wParam);
}

void SetAppMousePointer(AppMousePointer pointer)
{
    gMousePointer = pointer;
    // Apply at once: a window holding the mouse capture gets no WM_SETCURSOR.
    if (pointer == AppMousePointer::Crosshair) {
        SetCursor(LoadCursorW(nullptr, IDC_CROSS));
    } else {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
}

AppMousePointer GetAppMousePointer()
{
    return gMousePointer;
}

bool ApplyAppMousePointer()
{
    if (gMousePointer == AppMousePointer::Default) {
        return false;
    }
    SetCursor(LoadCursorW(nullptr, IDC_CROSS));
    return true;
}

void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title)
{
    MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK);
}

bool AskBeforeReplacing(HWND owner, const std::wstring& text, const std::wstring& title)
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {}
    return MessageBoxW(owner, text.c_str(), title.c_str(), MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

namespace {
const wchar_t* gFailureText = L"";
const wchar_t* gFailureTitle = L"";
}  // namespace

void SetUnexpectedFailureText(const wchar_t* text, const wchar_t* title)
{
    gFailureText = text;
    gFailureTitle = title;
}

void ReportUnexpectedFailure()
{
    MessageBoxW(nullptr, gFailureText, gFailureTitle, MB_OK);
}

}  // namespace kavlor
