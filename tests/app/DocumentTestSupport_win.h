// Helpers of the document-command and routing tests: driving the real file dialogs from
// another thread, crafted BMP files, and stand-in programs whose starts are recorded.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace kavlor::test {

// A visible open or save dialog of this process, or nullptr.
HWND FindFileDialog();

// Answers the next open or save dialog of this process: remembers the name and filter it
// shows, then types `typed` into its file-name box and presses OK, or cancels it when there
// is nothing to type.
class FileDialogDriver {
public:
    // Types the name and confirms it, or cancels; chooses the type of that number first (from 1).
    explicit FileDialogDriver(std::optional<std::wstring> typed = std::nullopt, int type = 0);
    ~FileDialogDriver();
    FileDialogDriver(const FileDialogDriver&) = delete;
    FileDialogDriver& operator=(const FileDialogDriver&) = delete;
    // Valid once the command that showed the dialog has returned.
    bool seen() const { return m_seen; }
    const std::wstring& initialName() const { return m_initialName; }
    const std::wstring& filterShown() const { return m_filterShown; }

private:
    std::optional<std::wstring> m_typed;
    int m_type;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_seen{false};
    std::wstring m_initialName;
    std::wstring m_filterShown;
    std::thread m_thread;
};

// A 24-bit bottom-up BMP whose pixel (x, y) has the colour 0xRRGGBB given by ColorAt.
// Or with the colours that `colorAt` gives.
uint32_t ColorAt(int x, int y);
std::vector<uint8_t> MakeBmp(int width, int height, uint32_t (*colorAt)(int x, int y) = ColorAt);
void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::wstring& path);
void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value);
uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at);

// Sets an environment variable of this process (and so of the programs it starts) for the
// life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::wstring name, const std::wstring& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::wstring m_name;
    std::optional<std::wstring> m_old;
};

// The lines the stand-in recorder program appends: the program's path, a tab, its command line.
class RecorderLog {
public:
    explicit RecorderLog(const std::wstring& path);
    std::vector<std::wstring> Lines() const;
    // Waits until at least `count` lines are there.
    bool WaitForLines(size_t count) const;

private:
    std::wstring m_path;
    ScopedEnvironment m_variable;
};

// Makes the recorder the program that opens links of one scheme (https, mailto). Wine reads
// these from the machine's classes only, not from the user's.
class SchemeHandler {
public:
    SchemeHandler(const std::wstring& scheme, const std::wstring& program);
    ~SchemeHandler();
    SchemeHandler(const SchemeHandler&) = delete;
    SchemeHandler& operator=(const SchemeHandler&) = delete;

private:
    std::wstring m_key;
    std::optional<std::wstring> m_old;
};

}  // namespace kavlor::test
