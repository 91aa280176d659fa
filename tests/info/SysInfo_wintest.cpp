// The system-information start against the real registry of the test prefix, and the
// registry reader behind it.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/resource.h"
#include "base/Handles.h"
#include "info/AboutWindow_win.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

using namespace std::string_literals;

constexpr const char* kPathKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
constexpr const char* kFolderKey = "SOFTWARE\\Microsoft\\Shared Tools Location";
constexpr const char* kTestKey = "SOFTWARE\\Kavlor Tests";

std::string Convert(UINT codePage, const std::wstring& text)
{
    std::string out(text.size() * 4, '\0');
    out.resize(static_cast<size_t>(WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()),
                                                       out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
    return out;
}

struct RawValue {
    DWORD type;
    std::string data;
};

// A string value as a program writes it: ANSI code page, with its terminating zero.
RawValue Sz(const std::wstring& text)
{
    return {REG_SZ, Convert(CP_ACP, text) + '\0'};
}

// Writes the value, or deletes it when there is none. The test reads and writes the registry
// view of its own bitness, which is the view the code under test reads.
void PutValue(const char* key, const char* name, const std::optional<RawValue>& value)
{
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr), 0);
    UniqueKey owner(opened);
    if (value) {
        ASSERT_EQ(RegSetValueExA(opened, name, 0, value->type, reinterpret_cast<const BYTE*>(value->data.data()),
                                 static_cast<DWORD>(value->data.size())),
                  0);
    } else {
        RegDeleteValueA(opened, name);
    }
}

// The About window of the main window, with neither registry location set, and the stand-in
// program logging to a file of the test.
class SysInfoTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ClearValues();
        SetEnvironmentVariableW(L"KAVLOR_RECORDER_LOG", m_log.c_str());
        Command(ID_guanyuwm);
        m_about = FindWindowW(AboutWindow::kClassName, nullptr);
        ASSERT_NE(m_about, nullptr);
    }
    void TearDown() override
    {
        SetEnvironmentVariableW(L"KAVLOR_RECORDER_LOG", nullptr);
        ClearValues();
        MainWindowTest::TearDown();
    }
    static void ClearValues()
    {
        PutValue(kPathKey, "PATH", std::nullopt);
        PutValue(kFolderKey, "MSINFO", std::nullopt);
    }
    std::wstring Recorder(const std::wstring& path)
    {
        EXPECT_TRUE(CopyFileW(RecorderExePath().c_str(), path.c_str(), FALSE)) << path;
        return path;
    }
    std::string Log() const
    {
        UniqueFile file(CreateFileW(m_log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
        std::string bytes(4096, '\0');
        DWORD read = 0;
        ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        return bytes.substr(0, read);
    }

    TempDir m_dir;
    std::wstring m_log = m_dir.file(L"started.log");
    HWND m_about = nullptr;
};

TEST_F(SysInfoTest, StartsTheProgramOrSaysItIsUnavailable)
{
    const std::wstring program = Recorder(m_dir.file(L"sysinfo.exe"));
    const std::wstring tools = m_dir.file(L"tools");
    const std::wstring empty = m_dir.file(L"empty");
    const std::wstring spaced = m_dir.file(L"sys info");
    // œ is 0x9C in code page 1252, U+0153 in Unicode.
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"œ", 1, nullptr, 0, nullptr, &lossy);
    const std::wstring national = m_dir.file(lossy ? L"oeuvre" : L"œuvre");
    for (const std::wstring& folder : {tools, empty, spaced, national}) {
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    Recorder(tools + L"\\MSINFO32.EXE");
    Recorder(national + L"\\MSINFO32.EXE");
    // Started unquoted, "...\sys info\msinfo32.exe" would run "...\sys.exe".
    const std::wstring spacedProgram = Recorder(spaced + L"\\msinfo32.exe");
    Recorder(m_dir.file(L"sys.exe"));
    // A relative path would find the copy in the current directory.
    wchar_t previousDir[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, previousDir);
    SetCurrentDirectoryW(m_dir.path().c_str());

    struct Row {
        const char* name;
        std::optional<RawValue> path;
        std::optional<std::wstring> folder;
        std::wstring started;  // empty: the message instead
    };
    const Row rows[] = {
        {"PATH names a program", Sz(program), tools, program},
        {"folder holding MSINFO32.EXE", std::nullopt, tools, tools + L"\\MSINFO32.EXE"},
        {"folder without it", std::nullopt, empty, L""},
        {"neither value", std::nullopt, std::nullopt, L""},
        {"PATH names a missing file", Sz(m_dir.file(L"missing.exe")), tools, L""},
        {"PATH of another type; the folder is not tried", RawValue{REG_EXPAND_SZ, Sz(program).data}, tools, L""},
        {"PATH empty; the folder is not tried", RawValue{REG_SZ, ""}, tools, L""},
        {"PATH over 1024 bytes counts as missing", Sz(program + std::wstring(1100, L' ')), tools,
         tools + L"\\MSINFO32.EXE"},
        {"PATH with spaces is one path", Sz(spacedProgram), std::nullopt, spacedProgram},
        {"PATH relative to the current directory", Sz(L"sysinfo.exe"), std::nullopt, L""},
        {"folder in the ANSI code page", std::nullopt, national, national + L"\\MSINFO32.EXE"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PutValue(kPathKey, "PATH", row.path);
        PutValue(kFolderKey, "MSINFO", row.folder ? std::optional(Sz(*row.folder)) : std::nullopt);
        DeleteFileW(m_log.c_str());

        MessageBoxAnswerer answerer(L"Kavlor");
        SendMessageW(GetDlgItem(m_about, AboutWindow::cmdSysInfo), BM_CLICK, 0, 0);
        if (row.started.empty()) {
            // The answerer marks the box answered only after closing it: wait for the mark.
            EXPECT_TRUE(PumpUntil([&] { return answerer.answered(); }));
            EXPECT_EQ(answerer.text(), L"此时系统信息不可用");
        } else {
            EXPECT_FALSE(answerer.answered());
            EXPECT_TRUE(PumpUntil([&] { return Log().find('\n') != std::string::npos; }));
            EXPECT_EQ(Log(), Convert(CP_UTF8, row.started + L"\t\"" + row.started + L"\"\n"));
        }
        EXPECT_TRUE(IsWindowVisible(m_about));
    }
    SetCurrentDirectoryW(previousDir);
}

// Enter presses the push button that has the focus, here cmdSysInfo; with neither value
// present the message follows and the window stays.
TEST_F(SysInfoTest, EnterOnTheFocusedButtonStartsIt)
{
    HWND button = GetDlgItem(m_about, AboutWindow::cmdSysInfo);
    SetForegroundWindow(m_about);
    SetFocus(button);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == m_about && GetFocus() == button; }));
    MessageBoxAnswerer answerer(L"Kavlor");
    PressKey(VK_RETURN);
    EXPECT_TRUE(PumpUntil([&] { return answerer.answered(); }));
    EXPECT_EQ(answerer.text(), L"此时系统信息不可用");
    EXPECT_TRUE(IsWindowVisible(m_about));
}

void SetAccess(const std::string& key, const char* sddl)
{
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, WRITE_DAC, &opened), 0);
    UniqueKey owner(opened);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr));
    EXPECT_EQ(RegSetKeySecurity(opened, DACL_SECURITY_INFORMATION, descriptor), 0);
    LocalFree(descriptor);
}

// Values of a key of the test's own; one subkey only readable, as HKLM keys are for an
// ordinary user. Wine's RegQueryValueExA adds a zero byte to a string stored without one (a
// 1024-byte unterminated string then fails as 1025 bytes), so that case is left to the
// decoding table.
TEST(GetKeyValueTest, ReadsValuesOfTheRealRegistry)
{
    const std::string readOnly = kTestKey + "\\ReadOnly"s;
    PutValue(readOnly.c_str(), "v", Sz(L"read only"));
    SetAccess(readOnly, "D:P(A;;KR;;;WD)");
    const DWORD dword = 0x1A000105;
    struct Row {
        const char* name;
        std::string key;
        std::optional<RawValue> value;
        std::string before;
        bool read;
        std::string after;
    };
    const Row rows[] = {
        {"string", kTestKey, RawValue{REG_SZ, "C:\\a b\\x.exe\0"s}, "old", true, "C:\\a b\\x.exe"},
        {"1024 bytes are read whole", kTestKey, RawValue{REG_SZ, std::string(1023, 'x') + '\0'}, "", true,
         std::string(1023, 'x')},
        {"1025 bytes count as missing", kTestKey, RawValue{REG_SZ, std::string(1024, 'x') + '\0'}, "old", false, ""},
        {"dword", kTestKey, RawValue{REG_DWORD, std::string(reinterpret_cast<const char*>(&dword), 4)}, "", true,
         "&h1A015"},
        {"expandable string leaves the text", kTestKey, RawValue{REG_EXPAND_SZ, "%TEMP%\0"s}, "old", true, "old"},
        {"missing value", kTestKey, std::nullopt, "old", false, ""},
        {"missing key", kTestKey + "\\Missing"s, std::nullopt, "old", false, ""},
        {"key the user may only read", readOnly, RawValue{}, "", true, "read only"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (row.key == kTestKey) {
            PutValue(kTestKey, "v", row.value);
        }
        std::string text = row.before;
        EXPECT_EQ(AboutWindow::GetKeyValue(HKEY_LOCAL_MACHINE, row.key, "v", text), row.read);
        EXPECT_EQ(text, row.after);
    }
    // The owner may always rewrite the access list; then the keys go.
    SetAccess(readOnly, "D:(A;;KA;;;WD)");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, readOnly.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey);
}

}  // namespace
}  // namespace kavlor::test
