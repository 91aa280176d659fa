// The system-information start against the real registry of the test prefix, and the
// registry reader behind it.
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

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

std::string Ansi(const std::wstring& text)
{
    int bytes = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), out.data(), bytes, nullptr, nullptr);
    return out;
}

struct RawValue {
    DWORD type = REG_SZ;
    std::string data;
};

RawValue Sz(const std::wstring& text)
{
    return {REG_SZ, Ansi(text) + '\0'};
}

// Writes the value, or deletes it when there is none. This process reads the same registry
// view as the code under test, so a 32-bit run writes where a 32-bit program looks.
void PutValue(const char* key, const char* name, const std::optional<RawValue>& value)
{
    HKEY opened = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr),
              ERROR_SUCCESS);
    UniqueKey owner(opened);
    if (value) {
        ASSERT_EQ(RegSetValueExA(opened, name, 0, value->type, reinterpret_cast<const BYTE*>(value->data.data()),
                                 static_cast<DWORD>(value->data.size())),
                  ERROR_SUCCESS);
    } else {
        RegDeleteValueA(opened, name);
    }
}

std::optional<RawValue> GetRawValue(const char* key, const char* name)
{
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    UniqueKey owner(opened);
    DWORD size = 0;
    RawValue value;
    if (RegQueryValueExA(opened, name, nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.data.resize(size);
    RegQueryValueExA(opened, name, nullptr, &value.type, reinterpret_cast<BYTE*>(value.data.data()), &size);
    return value;
}

std::wstring ReadUtf8File(const std::wstring& path)
{
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string bytes(4096, '\0');
    DWORD read = 0;
    ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    std::wstring text(read, L'\0');
    text.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(read), text.data(), static_cast<int>(read))));
    return text;
}

// The About window of the main window, with both registry locations cleared for the test and
// put back afterwards, and the stand-in program's log in a folder of its own.
class SysInfoTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        m_savedPath = GetRawValue(kPathKey, "PATH");
        m_savedFolder = GetRawValue(kFolderKey, "MSINFO");
        PutValue(kPathKey, "PATH", std::nullopt);
        PutValue(kFolderKey, "MSINFO", std::nullopt);
        m_log = m_dir.file(L"started.log");
        SetEnvironmentVariableW(L"KAVLOR_RECORDER_LOG", m_log.c_str());
        Command(ID_guanyuwm);
        m_about = FindWindowW(AboutWindow::kClassName, nullptr);
        ASSERT_NE(m_about, nullptr);
    }
    void TearDown() override
    {
        SetEnvironmentVariableW(L"KAVLOR_RECORDER_LOG", nullptr);
        PutValue(kPathKey, "PATH", m_savedPath);
        PutValue(kFolderKey, "MSINFO", m_savedFolder);
        MainWindowTest::TearDown();
    }
    std::wstring CopyRecorder(const std::wstring& path)
    {
        EXPECT_TRUE(CopyFileW(RecorderExePath().c_str(), path.c_str(), FALSE)) << "copy to " << path;
        return path;
    }

    TempDir m_dir;
    std::wstring m_log;
    HWND m_about = nullptr;
    std::optional<RawValue> m_savedPath;
    std::optional<RawValue> m_savedFolder;
};

TEST_F(SysInfoTest, StartsTheProgramOrSaysItIsUnavailable)
{
    const std::wstring program = CopyRecorder(m_dir.file(L"sysinfo.exe"));
    const std::wstring tools = m_dir.file(L"tools");
    const std::wstring empty = m_dir.file(L"empty");
    const std::wstring spaced = m_dir.file(L"sys info");
    CreateDirectoryW(tools.c_str(), nullptr);
    CreateDirectoryW(empty.c_str(), nullptr);
    CreateDirectoryW(spaced.c_str(), nullptr);
    CopyRecorder(tools + L"\\MSINFO32.EXE");
    // An unquoted start of "...\sys info\msinfo32.exe" would run "...\sys.exe" first.
    const std::wstring spacedProgram = CopyRecorder(spaced + L"\\msinfo32.exe");
    CopyRecorder(m_dir.file(L"sys.exe"));
    // A folder name in the ANSI code page beyond ASCII (œ is 0x9C in code page 1252).
    BOOL lossy = FALSE;
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"œ", 1, nullptr, 0, nullptr, &lossy);
    const std::wstring national = m_dir.file(lossy ? L"oeuvre" : L"œuvre");
    CreateDirectoryW(national.c_str(), nullptr);
    CopyRecorder(national + L"\\MSINFO32.EXE");
    // A relative path would be looked for in the current directory, where a copy waits.
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
        {"PATH of another type; the folder is not tried", RawValue{REG_EXPAND_SZ, Ansi(program) + '\0'}, tools, L""},
        {"PATH empty; the folder is not tried", RawValue{REG_SZ, ""}, tools, L""},
        {"PATH longer than 1024 bytes counts as missing", Sz(program + std::wstring(1100, L' ')), tools,
         tools + L"\\MSINFO32.EXE"},
        {"PATH with spaces is one path", Sz(spacedProgram), std::nullopt, spacedProgram},
        {"PATH relative to the current directory", Sz(L"sysinfo.exe"), std::nullopt, L""},
        {"folder in the ANSI code page", std::nullopt, national, national + L"\\MSINFO32.EXE"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PutValue(kPathKey, "PATH", row.path);
        PutValue(kFolderKey, "MSINFO",
                 row.folder ? std::optional<RawValue>(Sz(*row.folder)) : std::optional<RawValue>());
        DeleteFileW(m_log.c_str());

        MessageBoxAnswerer answerer(L"Kavlor");
        SendMessageW(GetDlgItem(m_about, AboutWindow::cmdSysInfo), BM_CLICK, 0, 0);

        if (row.started.empty()) {
            EXPECT_TRUE(answerer.answered());
            EXPECT_EQ(answerer.text(), L"此时系统信息不可用");
        } else {
            EXPECT_FALSE(answerer.answered());
            std::wstring log;
            EXPECT_TRUE(PumpUntil([&] { return (log = ReadUtf8File(m_log)).find(L'\n') != std::wstring::npos; }));
            EXPECT_EQ(log, row.started + L"\t\"" + row.started + L"\"\n");
        }
        EXPECT_TRUE(IsWindowVisible(m_about));
    }
    SetCurrentDirectoryW(previousDir);
}

// Keys of the test's own, removed afterwards; one of them only readable, as HKLM keys are for
// an ordinary user.
class GetKeyValueTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        // The owner may always rewrite the access list, and then remove the key.
        HKEY readOnly = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ReadOnlyKey().c_str(), 0, WRITE_DAC, &readOnly) == ERROR_SUCCESS) {
            UniqueKey owner(readOnly);
            SetAccess(readOnly, "D:(A;;KA;;;WD)");
        }
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, ReadOnlyKey().c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey);
    }
    static std::string ReadOnlyKey() { return std::string(kTestKey) + "\\ReadOnly"; }
    static void SetAccess(HKEY key, const char* sddl)
    {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr));
        EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor), ERROR_SUCCESS);
        LocalFree(descriptor);
    }
};

TEST_F(GetKeyValueTest, ReadsValuesOfTheRealRegistry)
{
    PutValue(ReadOnlyKey().c_str(), "v", Sz(L"read only"));
    HKEY readOnly = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ReadOnlyKey().c_str(), 0, WRITE_DAC, &readOnly), ERROR_SUCCESS);
    SetAccess(readOnly, "D:P(A;;KR;;;WD)");
    RegCloseKey(readOnly);

    struct Row {
        const char* name;
        std::string key;
        std::optional<RawValue> value;
        std::string before;
        bool read;
        std::string after;
    };
    const DWORD dword = 0x1A000105;
    const Row rows[] = {
        {"string", kTestKey, RawValue{REG_SZ, "C:\\a b\\x.exe\0"s}, "old", true, "C:\\a b\\x.exe"},
        {"exactly 1024 bytes are read whole", kTestKey, RawValue{REG_SZ, std::string(1023, 'x') + '\0'}, "", true,
         std::string(1023, 'x')},
        {"1025 bytes count as missing", kTestKey, RawValue{REG_SZ, std::string(1024, 'x') + '\0'}, "old", false, ""},
        {"dword", kTestKey, RawValue{REG_DWORD, std::string(reinterpret_cast<const char*>(&dword), 4)}, "", true,
         "&h1A015"},
        {"expandable string leaves the text", kTestKey, RawValue{REG_EXPAND_SZ, "%TEMP%\0"s}, "old", true, "old"},
        {"missing value", kTestKey, std::nullopt, "old", false, ""},
        {"missing key", std::string(kTestKey) + "\\Missing", std::nullopt, "old", false, ""},
        {"key the user may only read", ReadOnlyKey(), RawValue{}, "", true, "read only"},
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
}

}  // namespace
}  // namespace kavlor::test
