// The default-printer window: its controls and list, both ways of writing the default printer,
// and the print command following the choice to the second queue.
#include <windows.h>

#include <aclapi.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "app/resource.h"
#include "base/Handles.h"
#include "print/PrinterWindow_win.h"
#include "tests/app/DocumentTestSupport_win.h"
#include "tests/print/PrintDriver_win.h"

namespace kavlor::test {
namespace {

constexpr wchar_t kWindowsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows";

std::wstring Entry(const PrintQueue& queue)
{
    return queue.name + L",wineps.drv,CUPS:" + queue.name;
}

std::vector<std::wstring> ListTexts(HWND list)
{
    std::vector<std::wstring> texts;
    const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring text(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        text.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        texts.push_back(text);
    }
    return texts;
}

struct RegistryText {
    std::wstring text;
    DWORD type = 0;
    DWORD bytes = 0;
};

std::optional<RegistryText> ReadDevice()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kWindowsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    UniqueKey owner(key);
    RegistryText value;
    std::vector<wchar_t> data(1024);
    value.bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, L"Device", nullptr, &value.type, reinterpret_cast<BYTE*>(data.data()), &value.bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    value.text = data.data();
    return value;
}

// Puts the user's default printer back after a test that changed it: later tests print on
// the first queue.
class DefaultPrinterKeeper {
public:
    DefaultPrinterKeeper() : m_saved(ReadDevice()) {}
    ~DefaultPrinterKeeper()
    {
        if (m_saved) {
            WriteDefaultPrinter(DefaultPrinterRoute::Registry, m_saved->text);
        }
    }

private:
    std::optional<RegistryText> m_saved;
};

// A top-level window of the test that counts the announcements of a changed "windows" section.
class BroadcastListener {
public:
    BroadcastListener()
    {
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KavlorTestBroadcastListener";
        RegisterClassW(&wc);
        m_hwnd =
            CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
        gCount = 0;
    }
    ~BroadcastListener() { DestroyWindow(m_hwnd); }
    static int count() { return gCount; }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_WININICHANGE && wParam == 0x7FFF && lParam &&
            std::wstring(reinterpret_cast<const wchar_t*>(lParam)) == L"windows") {
            ++gCount;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    static inline int gCount = 0;
    HWND m_hwnd = nullptr;
};

class PrinterWindowTest : public MainWindowTest {
protected:
    HWND Open()
    {
        Command(ID_dayinsz);
        return FindWindowW(PrinterWindow::kClassName, nullptr);
    }
    static void Click(HWND printers)
    {
        SendMessageW(printers, WM_COMMAND, MAKEWPARAM(PrinterWindow::Command1, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(printers, PrinterWindow::Command1)));
    }
    PrintQueue m_first{1};
    PrintQueue m_second{2};
    DefaultPrinterKeeper m_keeper;
};

// Caption, fixed border, client size, controls in twips / 15 at 96 dpi, tab order, the printers
// in the system's order with nothing selected, and one window however often it is opened.
TEST_F(PrinterWindowTest, ShowsThePrintersOnceInOneWindow)
{
    HWND printers = Open();
    ASSERT_TRUE(printers);
    EXPECT_EQ(WindowText(printers), L"预设打印机");
    const auto style = static_cast<DWORD>(GetWindowLongW(printers, GWL_STYLE));
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
    EXPECT_TRUE(style & WS_CAPTION);
    RECT client{};
    GetClientRect(printers, &client);
    EXPECT_EQ(client.right, 257);
    EXPECT_EQ(client.bottom, 224);
    struct Control {
        int id;
        RECT place;  // left, top, width, height
    };
    for (const Control& control :
         {Control{PrinterWindow::List1, {8, 8, 241, 160}}, Control{PrinterWindow::Command1, {96, 192, 81, 25}}}) {
        HWND hwnd = GetDlgItem(printers, control.id);
        RECT rect{};
        GetWindowRect(hwnd, &rect);
        MapWindowPoints(nullptr, printers, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(rect.left, control.place.left);
        EXPECT_EQ(rect.top, control.place.top);
        EXPECT_EQ(rect.right - rect.left, control.place.right);
        EXPECT_EQ(rect.bottom - rect.top, control.place.bottom);
    }
    HWND list = GetDlgItem(printers, PrinterWindow::List1);
    HWND button = GetDlgItem(printers, PrinterWindow::Command1);
    EXPECT_EQ(WindowText(button), L"设     定");
    EXPECT_EQ(GetNextDlgTabItem(printers, list, FALSE), button);
    EXPECT_EQ(GetNextDlgTabItem(printers, button, FALSE), list);
    EXPECT_EQ(GetFocus(), list);
    EXPECT_EQ(ListTexts(list), (std::vector<std::wstring>{Entry(m_first), Entry(m_second)}));
    EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), LB_ERR);

    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"marker"));
    EXPECT_EQ(Open(), printers);
    EXPECT_EQ(ListTexts(list).size(), 3u);  // not filled again
}

// The NT route: the registry value only, no announcement. Nothing selected writes nothing and
// keeps the window; a choice closes it, and the next opening lists the printers afresh. The
// print command then prints on the chosen queue.
TEST_F(PrinterWindowTest, ChoiceBecomesTheDefaultPrinterAndReceivesThePrint)
{
    ASSERT_EQ(CurrentDefaultPrinterRoute(), DefaultPrinterRoute::Registry);
    BroadcastListener listener;
    HWND printers = Open();
    const std::optional<RegistryText> before = ReadDevice();
    Click(printers);
    EXPECT_TRUE(IsWindow(printers));
    EXPECT_EQ(ReadDevice()->text, before->text);

    SendMessageW(GetDlgItem(printers, PrinterWindow::List1), LB_SETCURSEL, 1, 0);
    Click(printers);
    EXPECT_FALSE(IsWindow(printers));
    std::optional<RegistryText> device = ReadDevice();
    ASSERT_TRUE(device);
    EXPECT_EQ(device->text, Entry(m_second));
    EXPECT_EQ(device->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(device->bytes, (Entry(m_second).size() + 1) * sizeof(wchar_t));
    PumpPending();
    EXPECT_EQ(BroadcastListener::count(), 0);

    HWND again = Open();
    ASSERT_TRUE(again);
    EXPECT_EQ(ListTexts(GetDlgItem(again, PrinterWindow::List1)).size(), 2u);
    EXPECT_EQ(SendMessageW(GetDlgItem(again, PrinterWindow::List1), LB_GETCURSEL, 0, 0), LB_ERR);
    SendMessageW(again, WM_CLOSE, 0, 0);

    window().Picture1().SetPicture(MakeQuarterPicture(120, 90, false));
    const int firstJobs = m_first.Jobs();
    const int secondJobs = m_second.CompletedJobs();
    {
        PrintDialogAnswerer dialog(true);
        Command(ID_dayingtux);
        EXPECT_EQ(dialog.printerShown(), m_second.name);
    }
    EXPECT_TRUE(m_second.WaitForCompletedJobs(secondJobs + 1));
    EXPECT_EQ(m_first.Jobs(), firstJobs);
}

// A key the user may not change: the failure is reported and the window stays for another try.
TEST_F(PrinterWindowTest, RefusedWriteIsReportedAndTheWindowStays)
{
    HKEY opened = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kWindowsKey, 0, READ_CONTROL | WRITE_DAC, &opened), ERROR_SUCCESS);
    UniqueKey key(opened);
    PSECURITY_DESCRIPTOR original = nullptr;
    PACL originalAcl = nullptr;
    ASSERT_EQ(GetSecurityInfo(key.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, &originalAcl,
                              nullptr, &original),
              ERROR_SUCCESS);
    // Everyone may read the key, nobody may set its values.
    wchar_t everyone[] = L"EVERYONE";
    EXPLICIT_ACCESSW readOnly{};
    BuildExplicitAccessWithNameW(&readOnly, everyone, KEY_READ, SET_ACCESS, NO_INHERITANCE);
    PACL acl = nullptr;
    ASSERT_EQ(SetEntriesInAclW(1, &readOnly, nullptr, &acl), ERROR_SUCCESS);
    ASSERT_EQ(SetSecurityInfo(key.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr),
              ERROR_SUCCESS);

    HWND printers = Open();
    SendMessageW(GetDlgItem(printers, PrinterWindow::List1), LB_SETCURSEL, 1, 0);
    {
        MessageBoxAnswerer box(L"Kavlor 提示");
        Click(printers);
        EXPECT_TRUE(box.answered());
        EXPECT_EQ(box.text(), L"无法设置默认打印机:\n" + Entry(m_second) + L"\n\n没有修改这项系统设置的权限。");
    }
    EXPECT_TRUE(IsWindow(printers));
    SetSecurityInfo(key.get(), SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, originalAcl, nullptr);
    LocalFree(acl);
    LocalFree(original);
    EXPECT_NE(ReadDevice()->text, Entry(m_second));
}

// A printer whose name the ANSI code page cannot hold (a snowman has no GBK code) keeps its
// true name in the list and in the setting.
TEST_F(PrinterWindowTest, NameOutsideTheAnsiCodePageIsStoredWhole)
{
    HANDLE first = nullptr;
    std::wstring firstName = m_first.name;
    ASSERT_TRUE(OpenPrinterW(firstName.data(), &first, nullptr));
    DWORD needed = 0;
    GetPrinterW(first, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(GetPrinterW(first, 2, buffer.data(), needed, &needed));
    ClosePrinter(first);
    PRINTER_INFO_2W info = *reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    wchar_t name[] = L"Kavlor 打印机 \u2603";
    info.pPrinterName = name;
    info.pShareName = nullptr;
    HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    ASSERT_TRUE(added);

    HWND printers = Open();
    HWND list = GetDlgItem(printers, PrinterWindow::List1);
    const std::wstring prefix = std::wstring(name) + L",";
    const auto index =
        SendMessageW(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(prefix.c_str()));
    ASSERT_NE(index, LB_ERR) << "not listed";
    const std::wstring entry = ListTexts(list)[static_cast<size_t>(index)];
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    Click(printers);
    EXPECT_EQ(ReadDevice()->text, entry);
    DeletePrinter(added);
    ClosePrinter(added);
}

// The other family's route, taken by a real kavlor.exe that the system reports as Windows 98:
// the profile entry, then one announcement that reaches a window of this test.
TEST_F(PrinterWindowTest, ProfileRouteAnnouncesTheChangeToEveryWindow)
{
    const std::wstring exe = KavlorExePath();
    const std::wstring appKey = L"Software\\Wine\\AppDefaults\\" + exe.substr(exe.find_last_of(L"\\/") + 1);
    HKEY opened = nullptr;
    ASSERT_EQ(
        RegCreateKeyExW(HKEY_CURRENT_USER, appKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr),
        ERROR_SUCCESS);
    UniqueKey key(opened);
    const wchar_t win98[] = L"win98";
    RegSetValueExW(key.get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(win98), sizeof(win98));
    BroadcastListener listener;

    KavlorProcess kavlor;
    kavlor.Command(ID_dayinsz);
    HWND printers = kavlor.WaitForWindow(PrinterWindow::kClassName);
    ASSERT_TRUE(printers);
    HWND list = GetDlgItem(printers, PrinterWindow::List1);
    ASSERT_TRUE(PumpUntil([&] { return SendMessageW(list, LB_GETCOUNT, 0, 0) == 2; }));
    SendMessageW(list, LB_SETCURSEL, 1, 0);
    PostMessageW(printers, WM_COMMAND, MAKEWPARAM(PrinterWindow::Command1, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(printers, PrinterWindow::Command1)));
    EXPECT_TRUE(PumpUntil([&] { return BroadcastListener::count() == 1 && !IsWindow(printers); }));
    EXPECT_EQ(ReadDevice()->text, Entry(m_second));
    EXPECT_TRUE(kavlor.Close());
    RegDeleteValueW(key.get(), L"Version");
    EXPECT_EQ(BroadcastListener::count(), 1);
}

}  // namespace
}  // namespace kavlor::test
