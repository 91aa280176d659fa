// Helpers for the Windows integration tests: waiting on conditions, reading pixels, a window
// of known pattern, real keyboard and mouse input, and answering message boxes.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/MainWindow.h"

namespace kavlor::test {

// Folder of the running test program; the stand-in recorder program lies beside it.
std::wstring TestProgramDir();
// Full paths of the built kavlor.exe and of the stand-in recorder program.
std::wstring KavlorExePath();
std::wstring RecorderExePath();
// The stand-in that repeats the program's writes until killed (tests/win/helpers).
std::wstring FaultWorkerExePath();
// A fresh empty folder for one test's files, removed with everything in it at destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::wstring& path() const { return m_path; }
    std::wstring file(const std::wstring& name) const { return m_path + L"\\" + name; }

private:
    std::wstring m_path;
};

// The text of a window or control.
std::wstring WindowText(HWND hwnd);

// A wait's limit in milliseconds, times KAVLOR_TIME_SCALE where the session runs programs more
// slowly than natively (the i686 build under emulation): limits stretch, checks stay the same.
DWORD Deadline(DWORD ms);
// Runs messages until `done` holds or `timeoutMs` (stretched by Deadline) passes; returns
// whether it holds.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 15000);
// Runs the messages that are waiting now, plus those they cause, until the queue is quiet.
void PumpPending();

// Pixels as 0x00RRGGBB, row by row from the top.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> data;
    uint32_t at(int x, int y) const { return data[static_cast<size_t>(y) * width + x]; }
    bool operator==(const Pixels&) const = default;
};
Pixels ReadBitmap(HBITMAP bitmap);
// Peak signal-to-noise ratio of two pictures of one size over their red, green and blue, in dB.
double Psnr(const Pixels& a, const Pixels& b);
Pixels ReadScreen(const RECT& area);
Pixels ReadClipboardBitmap();

// The colour the pattern window shows at screen point (x, y).
uint32_t PatternColor(int x, int y);

// A top-level popup window painting PatternColor in screen coordinates.
class PatternWindow {
public:
    explicit PatternWindow(const RECT& screenArea, bool activate = false);
    ~PatternWindow();
    PatternWindow(const PatternWindow&) = delete;
    PatternWindow& operator=(const PatternWindow&) = delete;
    HWND hwnd() const { return m_hwnd; }
    const RECT& area() const { return m_area; }
    // Waits until the screen shows the pattern over the whole window.
    bool WaitShown();

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hwnd = nullptr;
    RECT m_area{};
};

// Another program holding the clipboard open, with the text "held by another program" on it,
// from construction until Release().
class ClipboardHolder {
public:
    ClipboardHolder();
    ~ClipboardHolder();
    ClipboardHolder(const ClipboardHolder&) = delete;
    ClipboardHolder& operator=(const ClipboardHolder&) = delete;
    bool holding() const { return m_holding; }
    void Release();

private:
    HANDLE m_ready = nullptr;
    HANDLE m_release = nullptr;
    PROCESS_INFORMATION m_process{};
    bool m_holding = false;
};
// The clipboard's text, empty when it holds none.
std::wstring ClipboardText();

// Real input through SendInput.
void PressKey(WORD vk);
// Moves the pointer to (x, y) on the virtual screen and, in the same input, presses or releases
// `buttons` (MOUSEEVENTF_LEFTDOWN...) there. Under Wine a button sent on its own takes the
// cursor's position of that moment, which a motion reported late by another thread's window (an
// older move, the pointer entering a window just shown) may have moved back.
void MoveMouse(int x, int y, DWORD buttons = 0);
void MouseButton(DWORD flag);  // at the cursor's position

// Watches for a message box of this process with the given title on another thread and
// closes it with `button` (OK unless given), remembering its text and when it was answered.
// `button` kEnter presses Enter in it instead, which answers with its default button.
class MessageBoxAnswerer {
public:
    static constexpr int kEnter = 0;
    explicit MessageBoxAnswerer(std::wstring title, std::function<void()> afterAnswer = {}, int button = IDOK);
    ~MessageBoxAnswerer();
    bool answered() const { return m_answered; }
    std::wstring text() const { return m_text; }
    long long answeredAtMs() const { return m_answeredAtMs; }

private:
    std::wstring m_title;
    std::function<void()> m_afterAnswer;
    int m_button;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_answered{false};
    std::wstring m_text;
    long long m_answeredAtMs = 0;
    std::thread m_thread;
};

// A running kavlor.exe, closed at the end of the test.
class KavlorProcess {
public:
    KavlorProcess();
    ~KavlorProcess();
    KavlorProcess(const KavlorProcess&) = delete;
    KavlorProcess& operator=(const KavlorProcess&) = delete;
    // A top-level window of the program, waited for; nullptr when none shows up in time.
    HWND WaitForWindow(const wchar_t* className, const wchar_t* title = nullptr) const;
    // Sends a menu command to its main window without waiting for it.
    void Command(int id) const;
    // Closes the main window and waits for the program to end.
    bool Close();
    HWND MainHwnd() const { return m_main; }

private:
    PROCESS_INFORMATION m_process{};
    HWND m_main = nullptr;
};

// A shown main window, foreground, ready to take commands; torn down with the test.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void Command(int id);
    MainWindow& window() { return *m_window; }
    RECT ScreenRect() const;

    std::unique_ptr<MainWindow> m_window;
};

}  // namespace kavlor::test
