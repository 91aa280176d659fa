// The installer as a user runs it silently: the files, the Start-menu shortcut and the
// installed-programs entry it adds, the installed program capturing, and an uninstall that
// leaves none of them behind.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <cwctype>
#include <optional>
#include <string>

#include "KavlorVersion.h"
#include "app/resource.h"
#include "base/Handles.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

constexpr const wchar_t* kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kavlor";
constexpr DWORD kDeadlineMs = 60000;

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return text;
}

std::wstring KnownFolder(int csidl)
{
    wchar_t path[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Starts a program; with `wait`, returns its exit code once it has ended.
DWORD Launch(std::wstring commandLine, PROCESS_INFORMATION* started = nullptr)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        return GetLastError() | 0x80000000u;
    }
    CloseHandle(process.hThread);
    if (started) {
        *started = process;
        return 0;
    }
    DWORD exitCode = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, kDeadlineMs) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &exitCode);
    }
    CloseHandle(process.hProcess);
    return exitCode;
}

std::optional<std::wstring> EntryText(const wchar_t* name)
{
    wchar_t value[1024] = L"";
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

bool EntryExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

std::wstring ShortcutTarget(const std::wstring& shortcut)
{
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::wstring result;
    {
        Microsoft::WRL::ComPtr<IShellLinkW> link;
        Microsoft::WRL::ComPtr<IPersistFile> file;
        wchar_t target[MAX_PATH] = L"";
        if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) &&
            SUCCEEDED(link.As(&file)) && SUCCEEDED(file->Load(shortcut.c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0))) {
            result = target;
        }
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return result;
}

HWND MainWindowOf(DWORD pid)
{
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExW(nullptr, hwnd, MainWindow::kClassName, nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid) {
            return hwnd;
        }
    }
    return nullptr;
}

bool ClipboardHasBitmap()
{
    return IsClipboardFormatAvailable(CF_BITMAP) != FALSE;
}

TEST(Installer, SilentInstallWorksAndSilentUninstallLeavesNothing)
{
    const std::wstring dir = KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Kavlor";
    const std::wstring exe = dir + L"\\kavlor.exe";
    const std::wstring dll = dir + L"\\conversion.dll";
    const std::wstring uninstaller = dir + L"\\uninstall.exe";
    const std::wstring shortcut = KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\Kavlor 简化版.lnk";
    ASSERT_FALSE(Exists(dir));
    ASSERT_FALSE(EntryExists());

    const std::wstring setup = TestProgramDir() + L"\\..\\package\\" KAVLOR_SETUP_W;
    ASSERT_EQ(Launch(L"\"" + setup + L"\" /S"), 0u);

    for (const std::wstring& file : {exe, dll, uninstaller}) {
        EXPECT_TRUE(Exists(file)) << file;
    }
    EXPECT_EQ(Lower(ShortcutTarget(shortcut)), Lower(exe));
    const struct {
        const wchar_t* name;
        std::wstring value;
    } entries[] = {
        {L"DisplayName", L"Kavlor 简化版"},
        {L"DisplayVersion", KAVLOR_RELEASE_W},
        {L"Publisher", L"Kavlor"},
        {L"DisplayIcon", exe + L",0"},
        {L"InstallLocation", dir},
        {L"UninstallString", L"\"" + uninstaller + L"\""},
        {L"QuietUninstallString", L"\"" + uninstaller + L"\" /S"},
    };
    for (const auto& entry : entries) {
        EXPECT_EQ(EntryText(entry.name).value_or(L"(missing)"), entry.value) << entry.name;
    }
    DWORD sizeKb = 0;
    DWORD size = sizeof(sizeKb);
    EXPECT_EQ(
        RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize", RRF_RT_REG_DWORD, nullptr, &sizeKb, &size),
        ERROR_SUCCESS);
    EXPECT_GT(sizeKb, 100u);

    // The installed DLL is the converter's, of this program's bitness.
    if (HMODULE conversion = LoadLibraryExW(dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
        EXPECT_NE(GetProcAddress(conversion, "BmpToJpg"), nullptr);
        EXPECT_NE(GetProcAddress(conversion, "JpgToBmp"), nullptr);
        FreeLibrary(conversion);
    } else {
        ADD_FAILURE() << "the installed conversion.dll does not load";
    }

    // The installed program starts, and its fixed-size capture lands on the clipboard, even with
    // stand-ins of the system's libraries beside it that lack every function (as a folder of
    // downloads may hold): it takes those libraries from the system folder only.
    const std::wstring planted[] = {dir + L"\\winspool.drv", dir + L"\\windowscodecs.dll"};
    for (const std::wstring& standIn : planted) {
        ASSERT_TRUE(CopyFileW(dll.c_str(), standIn.c_str(), TRUE)) << standIn;
    }
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    PROCESS_INFORMATION process{};
    ASSERT_EQ(Launch(L"\"" + exe + L"\"", &process), 0u);
    UniqueFile processHandle(process.hProcess);
    HWND main = nullptr;
    ASSERT_TRUE(PumpUntil([&] { return (main = MainWindowOf(process.dwProcessId)) != nullptr; }, kDeadlineMs));
    // Sent, not posted: when the send returns, the capture is on the clipboard and closed there.
    DWORD_PTR answer = 0;
    ASSERT_NE(SendMessageTimeoutW(main, WM_COMMAND, ID_buhuo, 0, SMTO_NORMAL, kDeadlineMs, &answer), 0);
    ASSERT_TRUE(ClipboardHasBitmap());
    Pixels captured = ReadClipboardBitmap();
    EXPECT_EQ(captured.width, 640);
    EXPECT_EQ(captured.height, 480);
    PostMessageW(main, WM_COMMAND, ID_tuichu, 0);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, kDeadlineMs), WAIT_OBJECT_0);
    for (const std::wstring& standIn : planted) {
        DeleteFileW(standIn.c_str());
    }

    // The uninstaller runs from a copy of itself, so the files go a little after it returns.
    ASSERT_EQ(Launch(L"\"" + uninstaller + L"\" /S"), 0u);
    EXPECT_TRUE(PumpUntil([&] { return !Exists(dir) && !Exists(shortcut) && !EntryExists(); }, kDeadlineMs));
    EXPECT_FALSE(Exists(dir));
    EXPECT_FALSE(Exists(shortcut));
    EXPECT_FALSE(EntryExists());
}

}  // namespace
}  // namespace kavlor::test
