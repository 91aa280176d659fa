// Application-wide pieces of the window layer: the instance handle, the message pump with its
// accelerator and dialog-navigation hooks, the application mouse pointer and message boxes.
#pragma once
#include <windows.h>

#include <string>

namespace kavlor {

extern HINSTANCE gInstance;

// Prepares the process: safe DLL search, DPI awareness, OLE and the common controls.
// Returns false when OLE cannot start; the caller should then end the program.
bool InitApplication(HINSTANCE instance);
void ShutdownApplication();

// The window whose accelerator table the pump translates (the main window's F5-F9).
void SetAcceleratorWindow(HWND hwnd, HACCEL accelerators);
// Top-level windows whose keyboard input goes through IsDialogMessage (Tab, Enter, Esc).
void SetDialogNavigation(HWND hwnd, bool enabled);

// Translates and dispatches one message as the main loop does.
void DispatchOne(MSG& msg);
// Runs every message that is waiting. Returns false when WM_QUIT was taken from the queue;
// it is then posted again so that the outer loop ends too.
bool DispatchPendingMessages();
// Runs messages until the wall-clock tick `untilMs` (from WallClockMs) has been reached,
// blocking while the queue is empty. Returns false when WM_QUIT arrived first (re-posted).
bool RunMessagesUntil(long long untilMs);
// Milliseconds of the local wall clock (local date-time, as the waits measure it).
long long WallClockMs();
// The main loop; returns the exit code of WM_QUIT.
int RunMessageLoop();

// The one mouse pointer the whole application shows while it is set.
enum class AppMousePointer { Default = 0, Crosshair = 2 };
void SetAppMousePointer(AppMousePointer pointer);
AppMousePointer GetAppMousePointer();
// Called for WM_SETCURSOR by every window; true when the application pointer was applied.
bool ApplyAppMousePointer();

// A message box with an OK button only and no icon.
void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title);
// A question whose Yes cannot be undone (replacing files): Yes and No buttons, No the default,
// with a warning icon; true for Yes. Keys typed ahead of it are dropped before it shows, so that
// no stray key answers it.
bool AskBeforeReplacing(HWND owner, const std::wstring& text, const std::wstring& title);
// Tells the user that a command failed in an unexpected way (an exception in a handler), in the
// words the program gave at start-up (the window layer has no texts of its own).
void SetUnexpectedFailureText(const wchar_t* text, const wchar_t* title);
void ReportUnexpectedFailure();

}  // namespace kavlor
