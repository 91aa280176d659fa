// Helpers of the document-command and routing tests.
#include "tests/app/DocumentTestSupport_win.h"

#include <dlgs.h>

#include "base/Handles.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {

// Message boxes have no file-name box.
HWND FindFileDialog()
{
    HWND dialog = nullptr;
    while ((dialog = FindWindowExW(nullptr, dialog, L"#32770", nullptr))) {
        DWORD pid = 0;
        GetWindowThreadProcessId(dialog, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(dialog) && GetDlgItem(dialog, cmb13)) {
            return dialog;
        }
    }
    return nullptr;
}

FileDialogDriver::FileDialogDriver(std::optional<std::wstring> typed, int type)
    : m_typed(std::move(typed)), m_type(type)
{
    m_thread = std::thread([this] {
        HWND dialog = nullptr;
        while (!m_stop && !(dialog = FindFileDialog())) {
            Sleep(10);  // polling another thread's windows; no message to wait for here
        }
        if (!dialog) {
            return;
        }
        HWND name = GetDlgItem(dialog, cmb13);
        m_initialName = WindowText(name);
        m_filterShown = WindowText(GetDlgItem(dialog, cmb1));
        m_seen = true;
        if (HWND types = GetDlgItem(dialog, cmb1); m_type > 0) {
            SendMessageW(types, CB_SETCURSEL, m_type - 1, 0);
            for (WORD notification : {CBN_SELCHANGE, CBN_SELENDOK}) {  // as a choice with the mouse sends them
                SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, notification), reinterpret_cast<LPARAM>(types));
            }
        }
        if (m_typed) {
            SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(m_typed->c_str()));
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
        } else {
            PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
        }
        // A name the dialog does not accept keeps it open; cancel it then so the test ends.
        for (DWORD start = GetTickCount(); GetTickCount() - start < Deadline(10000); Sleep(10)) {
            if (!IsWindow(dialog) || !IsWindowVisible(dialog)) {
                return;
            }
        }
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
}

FileDialogDriver::~FileDialogDriver()
{
    m_stop = true;
    m_thread.join();
}

uint32_t ColorAt(int x, int y)
{
    auto channel = [](int value) { return static_cast<uint32_t>(value) & 0xFF; };
    return channel(x * 40 + 15) << 16 | channel(y * 60 + 30) << 8 | channel((x + y) * 25 + 5);
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

uint32_t Get32(const std::vector<uint8_t>& bytes, size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

std::vector<uint8_t> MakeBmp(int width, int height, uint32_t (*colorAt)(int x, int y))
{
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bmp(54 + stride * height, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    Put32(bmp, 2, static_cast<uint32_t>(bmp.size()));
    Put32(bmp, 10, 54);
    Put32(bmp, 14, 40);
    Put32(bmp, 18, static_cast<uint32_t>(width));
    Put32(bmp, 22, static_cast<uint32_t>(height));
    bmp[26] = 1;
    bmp[28] = 24;
    Put32(bmp, 34, static_cast<uint32_t>(stride * height));
    for (int y = 0; y < height; ++y) {
        uint8_t* row = &bmp[54 + stride * (height - 1 - y)];
        for (int x = 0; x < width; ++x) {
            uint32_t c = colorAt(x, y);
            row[x * 3] = static_cast<uint8_t>(c);
            row[x * 3 + 1] = static_cast<uint8_t>(c >> 8);
            row[x * 3 + 2] = static_cast<uint8_t>(c >> 16);
        }
    }
    return bmp;
}

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes)
{
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::vector<uint8_t> ReadBytes(const std::wstring& path)
{
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    std::vector<uint8_t> bytes(
        GetFileSize(file.get(), nullptr) == INVALID_FILE_SIZE ? 0 : GetFileSize(file.get(), nullptr));
    DWORD read = 0;
    if (!bytes.empty()) {
        ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    }
    bytes.resize(read);
    return bytes;
}

ScopedEnvironment::ScopedEnvironment(std::wstring name, const std::wstring& value) : m_name(std::move(name))
{
    wchar_t old[32767];
    if (GetEnvironmentVariableW(m_name.c_str(), old, 32767)) {
        m_old = old;
    }
    SetEnvironmentVariableW(m_name.c_str(), value.c_str());
}

ScopedEnvironment::~ScopedEnvironment()
{
    SetEnvironmentVariableW(m_name.c_str(), m_old ? m_old->c_str() : nullptr);
}

RecorderLog::RecorderLog(const std::wstring& path) : m_path(path), m_variable(L"KAVLOR_RECORDER_LOG", path) {}

std::vector<std::wstring> RecorderLog::Lines() const
{
    std::vector<uint8_t> utf8 = ReadBytes(m_path);
    std::wstring text(utf8.size(), L'\0');
    text.resize(MultiByteToWideChar(CP_UTF8, 0, reinterpret_cast<const char*>(utf8.data()),
                                    static_cast<int>(utf8.size()), text.data(), static_cast<int>(text.size())));
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    return lines;
}

bool RecorderLog::WaitForLines(size_t count) const
{
    return PumpUntil([&] { return Lines().size() >= count; });
}

SchemeHandler::SchemeHandler(const std::wstring& scheme, const std::wstring& program)
    : m_key(L"Software\\Classes\\" + scheme + L"\\shell\\open\\command")
{
    wchar_t old[2048] = L"";
    DWORD bytes = sizeof(old);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, m_key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, old, &bytes) ==
        ERROR_SUCCESS) {
        m_old = old;
    }
    std::wstring command = L"\"" + program + L"\" \"%1\"";
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, m_key.c_str(), nullptr, REG_SZ, command.c_str(),
                    static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
}

SchemeHandler::~SchemeHandler()
{
    if (m_old) {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, m_key.c_str(), nullptr, REG_SZ, m_old->c_str(),
                        static_cast<DWORD>((m_old->size() + 1) * sizeof(wchar_t)));
    } else {
        RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, m_key.c_str(), nullptr);
    }
}

}  // namespace kavlor::test
