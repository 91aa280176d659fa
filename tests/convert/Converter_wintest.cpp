// The converter window through its real dialogs and conversion.dll: layout, menus and the
// hand-over with the main window, the open command, previews, and the conversion run.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/resource.h"
#include "convert/ConverterLists.h"
#include "tests/app/DocumentTestSupport_win.h"
#include "tests/convert/ConverterDriver_win.h"

namespace kavlor::test {
namespace {

using W = ConverterWindow;

constexpr uint32_t kRed = 0xC81E28;
constexpr uint32_t kGreen = 0x1E9632;
constexpr uint32_t kBlue = 0x2832C8;
constexpr uint32_t kYellow = 0xDCC814;

// Places in twips / 15 at 96 dpi, captions, tab order, menus, and the window kept while the
// main window is back.
TEST_F(ConverterTest, WindowMenusAndHandOver)
{
    HWND hwnd = plzh().Hwnd();
    EXPECT_FALSE(IsWindowVisible(window().Hwnd()));
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(WindowText(hwnd), L"批量互换");
    EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, 569);
    EXPECT_EQ(client.bottom, 376);
    struct Control {
        int id;
        const wchar_t* text;
        RECT place;  // left, top, width, height
    };
    const Control controls[] = {
        {W::Frame1, L"BMP图片文件", {8, 8, 249, 161}}, {W::Frame2, L"JPG图片文件", {312, 8, 249, 161}},
        {W::List1, L"", {8, 192, 249, 160}},           {W::List2, L"", {312, 192, 249, 160}},
        {W::Command1, L"转换", {264, 72, 41, 57}},     {W::Command2, L"打开", {264, 248, 41, 49}},
        {W::Label1, L"打开图片区", {8, 176, 244, 12}}, {W::Label2, L"转换图片区", {312, 176, 244, 12}},
        {W::Image1, L"", {16, 24, 233, 137}},          {W::Image2, L"", {320, 24, 233, 137}},
    };
    for (const Control& control : controls) {
        SCOPED_TRACE(control.id);
        RECT rect{};
        GetWindowRect(Item(control.id), &rect);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&rect), 2);
        EXPECT_EQ(Text(control.id), control.text);
        EXPECT_EQ(rect.left, control.place.left);
        EXPECT_EQ(rect.top, control.place.top);
        EXPECT_EQ(rect.right - rect.left, control.place.right);
        EXPECT_EQ(rect.bottom - rect.top, control.place.bottom);
    }
    // Inside a frame, around its preview, the window's own colour shows.
    PumpPending();
    POINT inside{12, 100};
    ClientToScreen(hwnd, &inside);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(ReadScreen({inside.x, inside.y, inside.x + 1, inside.y + 1}).at(0, 0),
              static_cast<uint32_t>(GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face)));
    EXPECT_FALSE(IsWindowEnabled(Item(W::Command1)));
    EXPECT_EQ(GetNextDlgTabItem(hwnd, Item(W::List1), FALSE), Item(W::List2));
    EXPECT_EQ(GetNextDlgTabItem(hwnd, Item(W::List2), FALSE), Item(W::Command2));  // Command1 is disabled
    EXPECT_EQ(GetNextDlgTabItem(hwnd, Item(W::Command2), FALSE), Item(W::List1));

    HMENU bar = GetMenu(hwnd);
    const std::vector<std::vector<std::wstring>> menus = {
        {L"文件(&F)", L"打开(&O)", L"退出(&T)"}, {L"编辑(&E)", L"转换(&Z)"}, {L"关于(&A)", L"帮助(&H)"}};
    ASSERT_EQ(GetMenuItemCount(bar), 3);
    for (int i = 0; i < 3; ++i) {
        wchar_t caption[64] = L"";
        GetMenuStringW(bar, i, caption, 64, MF_BYPOSITION);
        EXPECT_EQ(caption, menus[i][0]);
        HMENU sub = GetSubMenu(bar, i);
        for (int j = 1; j < static_cast<int>(menus[i].size()); ++j) {
            GetMenuStringW(sub, j - 1, caption, 64, MF_BYPOSITION);
            EXPECT_EQ(caption, menus[i][j]);
            EXPECT_FALSE(GetMenuState(sub, j - 1, MF_BYPOSITION) & MF_GRAYED);
        }
    }
    {
        MessageBoxAnswerer box(L"帮助");
        plzh().help_Click();
        EXPECT_EQ(box.text(), L"此程序是一个批量互换BMP与JPG图片格式的工具!");
    }

    SendMessageW(Item(W::List1), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"kept.bmp"));
    plzh().exit_Click();
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_TRUE(IsWindowVisible(window().Hwnd()));
    Command(ID_plzhuan);
    EXPECT_EQ(plzh().Hwnd(), hwnd);
    EXPECT_EQ(Entries(W::List1), std::vector<std::wstring>{L"kept.bmp"});
    SendMessageW(hwnd, WM_CLOSE, 0, 0);  // the close box acts as exit
    EXPECT_TRUE(IsWindowVisible(window().Hwnd()));
    EXPECT_TRUE(IsWindow(hwnd));
}

// Several files replace the list, one file joins it and moves the folder, the first entry
// decides the captions; a cancelled dialog changes nothing.
TEST_F(ConverterTest, OpenFillsTheSourceList)
{
    TempDir first;
    TempDir second;
    WriteSolidPicture(first.file(L"A.BMP"), kRed);
    WriteSolidPicture(first.file(L"B.BMP"), kGreen);
    WriteSolidPicture(first.file(L"my photo 1.bmp"), kBlue);
    WriteSolidPicture(second.file(L"photo.Jpg"), kYellow);
    WriteSolidPicture(second.file(L"x.jpeg"), kGreen);
    struct Step {
        const std::wstring* folder;
        std::optional<std::wstring> typed;
        std::vector<std::wstring> entries;
        const std::wstring* label;
        DirectionCaptions captions;
        uint32_t preview;
    };
    const DirectionCaptions bmp{L"BMP图片文件", L"JPG图片文件", L"BMP To JPG"};
    const Step steps[] = {
        {&first.path(),
         L"\"A.BMP\" \"my photo 1.bmp\" \"B.BMP\"",
         {L"A.BMP", L"my photo 1.bmp", L"B.BMP"},
         &first.path(),
         bmp,
         kRed},
        // The earlier entries are now looked for in the new folder: A.BMP is not there, and
        // the preview keeps what it showed.
        {&second.path(),
         L"photo.Jpg",
         {L"A.BMP", L"my photo 1.bmp", L"B.BMP", L"photo.Jpg"},
         &second.path(),
         bmp,
         kRed},
        {&second.path(),
         std::nullopt,
         {L"A.BMP", L"my photo 1.bmp", L"B.BMP", L"photo.Jpg"},
         &second.path(),
         bmp,
         kRed},
        {&second.path(),
         L"\"photo.Jpg\" \"x.jpeg\"",
         {L"photo.Jpg", L"x.jpeg"},
         &second.path(),
         {L"JPG图片文件", L"BMP图片文件", L"JPG To BMP"},
         kYellow},
        {&second.path(),
         L"\"x.jpeg\" \"photo.Jpg\"",
         {L"x.jpeg", L"photo.Jpg"},
         &second.path(),
         {L"PEG图片文件", L"BMP图片文件", L"JPG To BMP"},
         kGreen},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.typed.value_or(L"(cancel)"));
        Choose(*step.folder, step.typed);
        EXPECT_EQ(Entries(W::List1), step.entries);
        EXPECT_EQ(Text(W::Label1), *step.label);
        EXPECT_EQ(Selected(W::List1), 0);
        EXPECT_EQ((DirectionCaptions{Text(W::Frame1), Text(W::Frame2), Text(W::Command1)}), step.captions);
        EXPECT_TRUE(IsWindowEnabled(Item(W::Command1)));
        EXPECT_TRUE(NearColor(PreviewColor(plzh().Image1Box()), step.preview))
            << std::hex << PreviewColor(plzh().Image1Box());
    }
}

// Each entry goes its own way by its name, in the folder shown whatever the current directory
// was; the results are listed upper case, written, and previewed.
TEST_F(ConverterTest, RunConvertsEachEntryByItsOwnName)
{
    TempDir pictures;
    TempDir elsewhere;
    struct Row {
        const wchar_t* name;
        uint32_t color;
        const wchar_t* produced;
    };
    const Row rows[] = {
        {L"a.bmp", kRed, L"A.JPG"},      {L"my photo.bmp", kGreen, L"MY PHOTO.JPG"}, {L"b.jpg", kBlue, L"B.BMP"},
        {L"c.jpeg", kYellow, L"C..BMP"}, {L"abmp.bmp", kGreen, L"ABMP.JPG"},
    };
    std::wstring typed;
    for (const Row& row : rows) {
        WriteSolidPicture(pictures.file(row.name), row.color);
        typed += L"\"" + std::wstring(row.name) + L"\" ";
    }
    Choose(pictures.path(), typed);
    // Another dialog of the program may leave the current directory anywhere.
    SetCurrentDirectoryW(elsewhere.path().c_str());
    EXPECT_EQ(Run(), L"");

    std::vector<std::wstring> produced;
    for (const Row& row : rows) {
        produced.push_back(row.produced);
        SCOPED_TRACE(row.produced);
        std::optional<uint32_t> color = PictureColor(pictures.file(row.produced));
        ASSERT_TRUE(color);
        EXPECT_TRUE(NearColor(*color, row.color)) << std::hex << *color;
    }
    EXPECT_EQ(Entries(W::List2), produced);
    EXPECT_EQ(Text(W::Label2), pictures.path());
    EXPECT_EQ(Selected(W::List1), 4);
    EXPECT_EQ(Selected(W::List2), 4);
    EXPECT_TRUE(NearColor(PreviewColor(plzh().Image2Box()), kGreen));
    EXPECT_TRUE(IsWindowEnabled(Item(W::Command1)));
    wchar_t current[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_EQ(std::wstring(current), elsewhere.path());
    EXPECT_EQ(Text(W::Command1), L"BMP To JPG");
}

// Failures keep their place in the result list and are reported together at the end.
TEST_F(ConverterTest, FailedEntriesAreListedAndReported)
{
    TempDir pictures;
    WriteBytes(pictures.file(L"bad.bmp"), {'B', 'M', 1, 2, 3});
    WriteSolidPicture(pictures.file(L"gone.jpg"), kBlue);
    WriteSolidPicture(pictures.file(L"fine.bmp"), kRed);
    Choose(pictures.path(), L"\"bad.bmp\" \"gone.jpg\" \"fine.bmp\"");
    Choose(pictures.path(), L"ab");  // a typed name too short to name a result after
    DeleteFileW(pictures.file(L"gone.jpg").c_str());

    EXPECT_EQ(Run(),
              L"以下文件没有转换成功:\nBAD.BMP: 不是这种格式的图片,或者文件已损坏\n"
              L"GONE.JPG: 源文件不存在或无法读取\nAB: 文件名太短,无法得出转换后的名称");
    EXPECT_EQ(Entries(W::List2), (std::vector<std::wstring>{L"BAD.JPG", L"GONE.BMP", L"FINE.JPG", L"AB"}));
    EXPECT_TRUE(PictureColor(pictures.file(L"FINE.JPG")));
    EXPECT_EQ(GetFileAttributesW(pictures.file(L"BAD.JPG").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(IsWindowEnabled(Item(W::Command1)));
}

// No entry of the run is replaced: a.bmp and a.jpg would destroy each other. Another file of a
// produced name is replaced only when the user says so, asked once before the first conversion.
// Enter answers No, and a key typed ahead of the question (Y) answers nothing.
TEST_F(ConverterTest, RunReplacesNoEntryAndAsksBeforeReplacingOtherFiles)
{
    TempDir pictures;
    WriteSolidPicture(pictures.file(L"a.bmp"), kRed);
    WriteSolidPicture(pictures.file(L"a.jpg"), kBlue);
    WriteSolidPicture(pictures.file(L"b.bmp"), kGreen);
    Choose(pictures.path(), L"\"a.bmp\" \"a.jpg\" \"b.bmp\"");
    const std::wstring entriesKept =
        L"以下文件没有转换成功:\nA.BMP: 转换后的文件会覆盖列表中的另一个源文件,所以没有转换"
        L"\nA.JPG: 转换后的文件会覆盖列表中的另一个源文件,所以没有转换";
    SetForegroundWindow(plzh().Hwnd());
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == plzh().Hwnd(); }));
    for (int answer : {IDNO, IDYES, MessageBoxAnswerer::kEnter}) {
        WriteSolidPicture(pictures.file(L"B.JPG"), kYellow);
        MessageBoxAnswerer question(L"Kavlor", {}, answer);
        if (answer == MessageBoxAnswerer::kEnter) {
            PressKey('Y');
        }
        EXPECT_EQ(Run(),
                  answer != IDYES ? entriesKept + L"\nB.BMP: 已有同名的转换后文件,按您的选择保留了它" : entriesKept);
        EXPECT_EQ(question.text(), L"以下转换后的文件已经存在:\nB.JPG\n\n要替换这些文件吗?");
        EXPECT_EQ(Entries(W::List2), (std::vector<std::wstring>{L"A.JPG", L"A.BMP", L"B.JPG"}));
        for (auto [name, color] : {std::pair{L"a.bmp", kRed}, std::pair{L"a.jpg", kBlue},
                                   std::pair{L"B.JPG", answer != IDYES ? kYellow : kGreen}}) {
            EXPECT_TRUE(NearColor(PictureColor(pictures.file(name)).value_or(0), color)) << name;
        }
    }
}

// A name the ANSI code page cannot hold goes to the library by its short name, whose result
// is the one listed.
TEST_F(ConverterTest, NameOutsideTheCodePageGoesByItsShortName)
{
    TempDir pictures;
    const std::wstring name = L"snow \u2603 \u56fe.bmp";  // no code page of the system holds both
    WriteSolidPicture(pictures.file(name), kRed);
    wchar_t shortPath[MAX_PATH] = L"";
    if (GetFileAttributesW(pictures.file(name).c_str()) == INVALID_FILE_ATTRIBUTES ||
        GetShortPathNameW(pictures.file(name).c_str(), shortPath, MAX_PATH) == 0) {
        GTEST_SKIP() << "this system keeps no such file name or no short name for it";
    }
    Choose(pictures.path(), L"\"" + name + L"\"");
    EXPECT_EQ(Run(), L"");
    std::wstring shortName = shortPath;
    shortName = shortName.substr(shortName.find_last_of(L'\\') + 1);
    CharUpperBuffW(shortName.data(), static_cast<DWORD>(shortName.size()));
    const std::wstring produced = shortName.substr(0, shortName.size() - 4) + L".JPG";
    EXPECT_EQ(Entries(W::List2), std::vector<std::wstring>{produced});
    std::optional<uint32_t> color = PictureColor(pictures.file(produced));
    ASSERT_TRUE(color);
    EXPECT_TRUE(NearColor(*color, kRed));
}

// No result goes under another file's name: under Wine the snowman's result, by its short name, is
// the short name of "snow 122289.jpg", just there, an entry, or written first; d.jpg and d.jpe.
TEST_F(ConverterTest, NoResultGoesUnderAnotherFilesName)
{
    const std::wstring snowman = L"snow \u2603 \u56fe.bmp", other = L"snow 122289.jpg";
    const std::wstring failed = L"以下文件没有转换成功:\n", shortSnowman = L"SNOW \u2603 \u56fe.BMP: ";
    const std::wstring shortNameTaken = L"转换后的文件名是另一个文件的短文件名,会覆盖那个文件,所以没有转换";
    const std::wstring replacesEntry = L"转换后的文件会覆盖列表中的另一个源文件,所以没有转换";
    const std::wstring sameResult = L"D.JPE: 列表中前面的一个文件会转换成同名的文件,所以没有转换";
    struct Case {
        std::vector<std::wstring> files;  // red, then blue; the first `entries` are chosen
        size_t entries;
        std::wstring message;
        std::wstring kept;  // and its colour
        uint32_t color;
    };
    const Case cases[] = {
        {{snowman, other}, 1, failed + shortSnowman + shortNameTaken, other, kBlue},
        {{snowman, other}, 2, failed + shortSnowman + replacesEntry, other, kBlue},
        {{L"snow 122289.bmp", snowman}, 2, failed + shortSnowman + shortNameTaken, L"SNOW 122289.JPG", kRed},
        {{L"d.jpg", L"d.jpe"}, 2, failed + sameResult, L"D.BMP", kRed},
    };
    wchar_t shortPath[MAX_PATH] = L"";
    TempDir probe;
    WriteBytes(probe.file(other), {});
    GetShortPathNameW(probe.file(other).c_str(), shortPath, MAX_PATH);
    ASSERT_TRUE(std::wstring(shortPath).ends_with(L"\\SNOW~Q51.JPG")) << "Wine's short names are no longer these";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        TempDir pictures;
        WriteSolidPicture(pictures.file(c.files[0]), kRed);
        WriteSolidPicture(pictures.file(c.files[1]), kBlue);
        Choose(pictures.path(), c.entries == 1 ? c.files[0] : L"\"" + c.files[0] + L"\" \"" + c.files[1] + L"\"");
        MessageBoxAnswerer question(L"Kavlor", {}, IDYES);
        EXPECT_EQ(Run(), c.message);
        EXPECT_EQ(question.text(), L"");
        EXPECT_TRUE(NearColor(PictureColor(pictures.file(c.kept)).value_or(0), c.color));
    }
}

// Without its own library the converter says so and converts nothing, even with a working copy
// of the library planted among the pictures; an empty list calls nothing at all.
TEST_F(ConverterTest, LibraryComesOnlyFromTheProgramFolder)
{
    TempDir pictures;
    EXPECT_EQ(Run(), L"");
    EXPECT_TRUE(IsWindowEnabled(Item(W::Command1)));

    WriteSolidPicture(pictures.file(L"a.bmp"), kRed);
    ASSERT_TRUE(CopyFileW(LibraryBesideProgram().c_str(), pictures.file(L"conversion.dll").c_str(), FALSE));
    ASSERT_TRUE(DeleteFileW(LibraryBesideProgram().c_str()));
    Choose(pictures.path(), L"a.bmp");
    EXPECT_EQ(Run(), L"无法载入转换程序库 conversion.dll:它不在本程序的文件夹中,或者已经损坏。");
    EXPECT_EQ(GetFileAttributesW(pictures.file(L"A.JPG").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(IsWindowEnabled(Item(W::Command1)));
}

// A damaged library in the program's folder: the run says so, converts nothing and leaves the
// window usable; with the library mended, the same list converts.
TEST_F(ConverterTest, DamagedLibraryIsReportedAndTheWindowStaysUsable)
{
    const std::wstring library = LibraryBesideProgram();
    const std::vector<uint8_t> good = ReadBytes(library);
    wchar_t system[MAX_PATH] = L"";
    GetSystemDirectoryW(system, MAX_PATH);
    const std::vector<uint8_t> otherLibrary = ReadBytes(std::wstring(system) + L"\\version.dll");
    const std::wstring missing = L"无法载入转换程序库 conversion.dll:它不在本程序的文件夹中,或者已经损坏。";
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        std::wstring message;
    };
    const Case cases[] = {
        {"empty file", {}, missing},
        {"text", {'n', 'o', 't', ' ', 'a', ' ', 'd', 'l', 'l'}, missing},
        {"first half", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2), missing},
        {"header only", std::vector<uint8_t>(good.begin(), good.begin() + 1024), missing},
        {"another library", otherLibrary, L"转换程序库 conversion.dll 中缺少函数 BmpToJpg"},
    };
    TempDir pictures;
    WriteSolidPicture(pictures.file(L"a.bmp"), kRed);
    Choose(pictures.path(), L"a.bmp");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(library, c.bytes);
        EXPECT_EQ(Run(), c.message);
        EXPECT_EQ(GetFileAttributesW(pictures.file(L"A.JPG").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(IsWindowEnabled(Item(W::Command1)));
    }
    WriteBytes(library, good);
    EXPECT_EQ(Run(), L"");
    EXPECT_EQ(Entries(W::List2), std::vector<std::wstring>{L"A.JPG"});
    EXPECT_NE(GetFileAttributesW(pictures.file(L"A.JPG").c_str()), INVALID_FILE_ATTRIBUTES);
}

// What another program sends the converter during a run, held back until the run is surely in
// the middle: a hook on this thread sees the first result listed, has the watcher send a second
// run's command, a click on 打开 and a minimise without waiting for them, and stays until they
// are queued and the next beat is due. The run then meets them at that beat, with most of its
// entries still to go, however fast the machine converts; once the window is minimised, a close
// follows. Until then, at every entry listed, the window must be visible and hit-tested as its
// own at its middle and on its caption.
class MidRunSender {
public:
    MidRunSender(HWND list2, HWND target, HWND open) : m_list2(list2), m_target(target), m_open(open)
    {
        s_self = this;
        m_hook = SetWindowsHookExW(WH_CALLWNDPROCRET, &MidRunSender::Hook, nullptr, GetCurrentThreadId());
        m_thread = std::thread([this] {
            WaitForSingleObject(m_listed, INFINITE);
            if (!m_stop) {
                SendNotifyMessageW(m_target, WM_COMMAND, ID_plzh_zhuanhuan, 0);
                SendNotifyMessageW(m_open, BM_CLICK, 0, 0);
                PostMessageW(m_target, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            }
            SetEvent(m_sent);
            WaitForSingleObject(m_minimised, Deadline(10000));
            m_closing = true;
            if (!m_stop) {
                SendNotifyMessageW(m_target, WM_CLOSE, 0, 0);
            }
        });
    }
    ~MidRunSender()
    {
        UnhookWindowsHookEx(m_hook);
        m_stop = true;
        SetEvent(m_listed);
        SetEvent(m_minimised);
        m_thread.join();
        for (HANDLE event : {m_listed, m_sent, m_minimised}) {
            CloseHandle(event);
        }
        s_self = nullptr;
    }
    bool sent() const { return m_fired; }
    bool minimised() const { return m_wasMinimised; }
    int checked() const { return m_checked; }
    int notItsOwn() const { return m_notItsOwn; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        MidRunSender* self = s_self;
        if (code == HC_ACTION && self && call->hwnd == self->m_list2 && call->message == LB_ADDSTRING) {
            self->Listed();
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    void Listed()
    {
        if (IsIconic(m_target)) {
            m_wasMinimised = true;
            SetEvent(m_minimised);
        } else if (!m_closing) {
            RECT frame{};
            GetWindowRect(m_target, &frame);
            const LONG middle = (frame.left + frame.right) / 2;
            const LONG caption = frame.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
            const bool visible = (GetWindowLongW(m_target, GWL_STYLE) & WS_VISIBLE) != 0;
            for (POINT p : {POINT{middle, (frame.top + frame.bottom) / 2}, POINT{middle, caption}}) {
                ++m_checked;
                m_notItsOwn += !visible || GetAncestor(WindowFromPoint(p), GA_ROOT) != m_target;
            }
        }
        if (!m_fired) {
            m_fired = true;
            SetEvent(m_listed);
            WaitForSingleObject(m_sent, Deadline(10000));
            Sleep(150);  // past the run's 100 ms beat
        }
    }

    static inline MidRunSender* s_self = nullptr;
    HWND m_list2;
    HWND m_target;
    HWND m_open;
    HHOOK m_hook = nullptr;
    HANDLE m_listed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE m_sent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE m_minimised = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_closing{false};
    bool m_fired = false;
    bool m_wasMinimised = false;
    int m_checked = 0;
    int m_notItsOwn = 0;
    std::thread m_thread;
};

// A long run never looks hung, stays an ordinary window and answers other programs at its
// beats: a second run's command and a click on 打开 sent meanwhile do nothing, a minimise
// minimises it, and a close hides it for good. Input aimed at the busy window is dropped.
TEST_F(ConverterTest, LongRunShowsItsProgress)
{
    TempDir pictures;
    constexpr int kFiles = 300;
    SetWindowTextW(Item(W::Label1), pictures.path().c_str());
    for (int i = 0; i < kFiles; ++i) {
        std::wstring name = L"shot " + std::to_wstring(i) + L".bmp";
        WriteSolidPicture(pictures.file(name), kBlue, 64, 48);
        SendMessageW(Item(W::List1), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    HWND hwnd = plzh().Hwnd();
    std::atomic<bool> done{false};
    std::atomic<bool> hung{false};
    // Writing the files kept this thread from its messages long enough to seem hung.
    PumpPending();
    std::thread watcher([&] {
        while (!done) {
            hung = hung || IsHungAppWindow(hwnd);
            Sleep(50);  // sampling another thread's window
        }
    });
    // A click on the convert button, waiting while the window is busy.
    HWND button = Item(W::Command1);
    PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    {
        FileDialogDriver dialog;  // cancels a file dialog the click on 打开 would show
        MidRunSender sender(Item(W::List2), hwnd, Item(W::Command2));
        EXPECT_EQ(Run(), L"");
        EXPECT_TRUE(sender.sent());
        EXPECT_TRUE(sender.minimised());
        EXPECT_GT(sender.checked(), 0);
        EXPECT_EQ(sender.notItsOwn(), 0) << "of " << sender.checked() << " points";
        EXPECT_FALSE(dialog.seen());
    }
    done = true;
    watcher.join();
    EXPECT_FALSE(hung.load());
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_EQ(Entries(W::List2).size(), static_cast<size_t>(kFiles));
    // A second run would now miss this file and say so.
    DeleteFileW(pictures.file(L"shot 0.bmp").c_str());
    MessageBoxAnswerer box(L"Kavlor 提示");
    PumpPending();
    EXPECT_FALSE(box.answered());
}

}  // namespace
}  // namespace kavlor::test
