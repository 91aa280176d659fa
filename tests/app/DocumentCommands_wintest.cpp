// The image document commands through the real file dialogs, files, registry and processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "app/DocumentServices_win.h"
#include "app/ImageFile_win.h"
#include "app/Texts.h"
#include "app/resource.h"
#include "base/Handles.h"
#include "convert/ConverterWindow_win.h"
#include "info/AboutWindow_win.h"
#include "info/HelpWindow_win.h"
#include "tests/app/DocumentTestSupport_win.h"
#include "tests/convert/TestPictures.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

bool MenuEnabled(HWND hwnd, int id)
{
    return !(GetMenuState(GetMenu(hwnd), id, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

bool Contains(const std::wstring& text, const std::wstring& part)
{
    return text.find(part) != std::wstring::npos;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            names.push_back(found.cFileName);
        }
    }
    FindClose(search);
    return names;
}

std::wstring Wallpaper()
{
    wchar_t path[MAX_PATH] = L"";
    SystemParametersInfoW(SPI_GETDESKWALLPAPER, MAX_PATH, path, 0);
    return path;
}

class DocumentCommands : public MainWindowTest {
protected:
    // Runs a command whose file dialog is answered with `typed`, or cancelled without it.
    void RunWithDialog(int id, std::optional<std::wstring> typed, std::wstring* initialName = nullptr)
    {
        FileDialogDriver driver(std::move(typed));
        Command(id);
        ASSERT_TRUE(driver.seen());
        if (initialName) {
            *initialName = driver.initialName();
        }
    }
    std::wstring Bmp(const std::wstring& name, int width, int height)
    {
        WriteBytes(m_dir.file(name), MakeBmp(width, height));
        return m_dir.file(name);
    }
    const PicturePtr& Picture() { return window().Picture1().GetPicture(); }

    TempDir m_dir;
};

TEST_F(DocumentCommands, OpenShowsTheFileReplacesThePictureAndEnablesTheWallpaper)
{
    RunWithDialog(ID_open, std::nullopt);
    EXPECT_FALSE(Picture());
    EXPECT_FALSE(MenuEnabled(window().Hwnd(), ID_shezhi));

    const std::wstring first = Bmp(L"first.bmp", 7, 5);
    FileDialogDriver driver(first);
    Command(ID_open);
    EXPECT_EQ(driver.filterShown(), L"BMP文件(*.BMP)");
    ASSERT_TRUE(Picture());
    Pixels shown = ReadBitmap(Picture()->Bitmap());
    ASSERT_EQ(shown.width, 7);
    ASSERT_EQ(shown.height, 5);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            EXPECT_EQ(shown.at(x, y), ColorAt(x, y)) << x << "," << y;
        }
    }
    EXPECT_EQ(window().State().CurrentImagePath, first);
    EXPECT_TRUE(MenuEnabled(window().Hwnd(), ID_shezhi));

    PicturePtr before = Picture();
    RunWithDialog(ID_open, std::nullopt);
    EXPECT_EQ(Picture(), before);
    EXPECT_EQ(window().State().CurrentImagePath, first);

    HBITMAP oldBitmap = before->Bitmap();
    const std::wstring second = Bmp(L"second.bmp", 3, 9);
    RunWithDialog(ID_open, second);
    EXPECT_EQ(Picture()->SizePixels().cy, 9);
    EXPECT_EQ(window().State().CurrentImagePath, second);
    EXPECT_NE(GetObjectType(oldBitmap), 0u) << "still held by the test";
    before.reset();
    EXPECT_EQ(GetObjectType(oldBitmap), 0u);
}

TEST_F(DocumentCommands, DialogsShareTheLastConfirmedNameAndTheDefaultExtension)
{
    Bmp(L"a.bmp", 2, 2);
    std::wstring initial;
    RunWithDialog(ID_open, m_dir.file(L"a.bmp"));
    RunWithDialog(ID_open, std::nullopt, &initial);
    EXPECT_TRUE(initial.ends_with(L"a.bmp")) << initial;

    FileDialogDriver save(m_dir.file(L"plain"));
    Command(ID_baocuntx);
    EXPECT_EQ(save.initialName(), L"") << "the save command empties the name";
    EXPECT_EQ(save.filterShown(), L"*.bmp");
    EXPECT_EQ(ReadBytes(m_dir.file(L"plain.bmp")).at(0), 'B');
    RunWithDialog(ID_open, std::nullopt, &initial);
    EXPECT_TRUE(initial.ends_with(L"plain.bmp")) << initial;

    RunWithDialog(ID_baocuntx, std::nullopt);
    RunWithDialog(ID_open, std::nullopt, &initial);
    EXPECT_EQ(initial, L"") << "a cancelled save leaves no name";

    RunWithDialog(ID_open, m_dir.file(L"plain"));
    EXPECT_EQ(window().State().CurrentImagePath, m_dir.file(L"plain.bmp"));
    // Also where only a file of the bare name exists, which the dialog alone would return.
    WriteBytes(m_dir.file(L"bare"), MakeBmp(1, 1));
    MessageBoxAnswerer answer(texts::kNoticeTitle);
    RunWithDialog(ID_open, m_dir.file(L"bare"));
    EXPECT_TRUE(Contains(answer.text(), m_dir.file(L"bare.bmp"))) << answer.text();
}

TEST_F(DocumentCommands, SaveWritesTheBmpAtThePicturesSizeAndDepthOverAnExistingFile)
{
    RunWithDialog(ID_open, Bmp(L"source.bmp", 13, 6));
    WriteBytes(m_dir.file(L"over.bmp"), {'o', 'l', 'd'});
    // A question would keep the dialog open until the driver cancels it, and the file unchanged.
    RunWithDialog(ID_baocuntx, m_dir.file(L"over.bmp"));
    RunWithDialog(ID_baocuntx, m_dir.file(L"other.txt"));

    BITMAP bm{};
    GetObjectW(Picture()->Bitmap(), sizeof(bm), &bm);
    for (const wchar_t* name : {L"over.bmp", L"other.txt"}) {
        std::vector<uint8_t> bytes = ReadBytes(m_dir.file(name));
        ASSERT_GE(bytes.size(), 54u) << name;
        EXPECT_EQ(bytes[0], 'B');
        EXPECT_EQ(Get32(bytes, 2), bytes.size());
        EXPECT_EQ(Get32(bytes, 18), 13u);
        EXPECT_EQ(Get32(bytes, 22), 6u);
        EXPECT_EQ(bytes[28], bm.bmBitsPixel);
        ImageLoad reread = LoadPictureFile(m_dir.file(name));
        ASSERT_TRUE(reread.picture) << name;
        EXPECT_EQ(ReadBitmap(reread.picture->Bitmap()), ReadBitmap(Picture()->Bitmap())) << name;
    }
    std::vector<std::wstring> files = FilesIn(m_dir.path());
    EXPECT_EQ(files.size(), 3u) << "no temporary file stays behind";
}

// The type comes from a .png or .jpg name, else from the type chosen, which the next save shows.
// The capture, then a grainy photograph of an odd width, which takes every filter of the PNG and
// is large enough for Open to decode its JPEG in two parts at once.
TEST_F(DocumentCommands, SaveWritesPngAndJpegThatOpenAgain)
{
    Command(ID_buzuockou);
    Pixels shown = ReadBitmap(Picture()->Bitmap());
    // Its first rows are grey, so that the PNG writer starts with a palette and has to leave it.
    Raster photo = test::PhotoLike(1031, 517);
    for (int32_t y = 0; y < 9; ++y) {
        std::fill_n(photo.Row(y), 3 * photo.width, static_cast<uint8_t>(30 * y));
    }
    WriteBytes(m_dir.file(L"photo.bmp"), test::EncodeBmp(photo, {}));
    const struct {
        const wchar_t* typed;
        int type;
        const wchar_t* file;
        const char* magic;
        const wchar_t* nextShows;
    } rows[] = {
        {L"a.png", 0, L"a.png", "\x89PNG", L"*.bmp"},
        {L"b.jpg", 0, L"b.jpg", "\xFF\xD8\xFF", L"*.bmp"},
        {L"c", 2, L"c.png", "\x89PNG", L"PNG 图像 (*.png)"},
        {L"d.txt", 0, L"d.txt", "\x89PNG", L"PNG 图像 (*.png)"},
        {L"e", 3, L"e.jpg", "\xFF\xD8\xFF", L"JPEG 图像 (*.jpg;*.jpeg)"},
        {L"photo.png", 0, L"photo.png", "\x89PNG", L"JPEG 图像 (*.jpg;*.jpeg)"},
        {L"photo", 0, L"photo.jpg", "\xFF\xD8\xFF", L"JPEG 图像 (*.jpg;*.jpeg)"},
    };
    for (const auto& row : rows) {
        if (row.typed == std::wstring(L"photo.png")) {
            RunWithDialog(ID_open, m_dir.file(L"photo.bmp"));
            shown = ReadBitmap(Picture()->Bitmap());
        }
        {
            FileDialogDriver save(m_dir.file(row.typed), row.type);
            Command(ID_baocuntx);
        }
        const std::vector<uint8_t> bytes = ReadBytes(m_dir.file(row.file));
        ASSERT_GE(bytes.size(), 4u) << row.file;
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(std::strlen(row.magic))), row.magic)
            << row.file;
        ImageLoad reread = LoadPictureFile(m_dir.file(row.file));
        ASSERT_TRUE(reread.picture) << row.file;
        const Pixels back = ReadBitmap(reread.picture->Bitmap());
        if (row.magic[1] == 'P') {
            EXPECT_EQ(back, shown) << row.file;
        } else {
            EXPECT_GE(Psnr(back, shown), 40) << row.file;
        }
        FileDialogDriver next(std::nullopt);
        Command(ID_baocuntx);
        EXPECT_EQ(next.filterShown(), row.nextShows) << row.file;
    }
}

TEST_F(DocumentCommands, FailedSaveSaysSoAndLeavesTheOldFileByteForByte)
{
    RunWithDialog(ID_open, Bmp(L"source.bmp", 4, 4));
    const std::vector<uint8_t> old = MakeBmp(9, 9);
    WriteBytes(m_dir.file(L"held.bmp"), old);
    {
        UniqueFile hold(
            CreateFileW(m_dir.file(L"held.bmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        MessageBoxAnswerer answer(texts::kNoticeTitle);
        RunWithDialog(ID_baocuntx, m_dir.file(L"held.bmp"));
        EXPECT_TRUE(answer.answered());
        EXPECT_TRUE(Contains(answer.text(), texts::kSaveCannotReplace)) << answer.text();
        EXPECT_TRUE(Contains(answer.text(), texts::kSaveOldFileKept)) << answer.text();
    }
    EXPECT_EQ(ReadBytes(m_dir.file(L"held.bmp")), old);

    MessageBoxAnswerer answer(texts::kNoticeTitle);
    RunWithDialog(ID_baocuntx, m_dir.file(L"gone\\new.bmp"));
    EXPECT_TRUE(Contains(answer.text(), texts::kSaveCannotCreate)) << answer.text();
    EXPECT_EQ(FilesIn(m_dir.path()).size(), 2u) << "no temporary file stays behind";
}

// The test session mounts a small file system of its own where it may (scripts/wine-session.sh).
// Filled up to the last byte, it takes no new picture: the save says the disk may be full, and
// the old file is as it was, with no temporary file left beside it.
TEST_F(DocumentCommands, SaveOntoAFullDiskLeavesTheOldFileByteForByte)
{
    wchar_t unixPath[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"KAVLOR_SMALL_DISK", unixPath, MAX_PATH)) {
        GTEST_SKIP() << "no small file system in this session (mounting needs root)";
    }
    std::wstring disk = std::wstring(L"Z:") + unixPath;
    for (wchar_t& c : disk) {
        c = c == L'/' ? L'\\' : c;
    }
    const std::wstring target = disk + L"\\shot.bmp";
    const std::wstring filler = disk + L"\\filler";
    const std::vector<uint8_t> old = MakeBmp(9, 9);
    WriteBytes(target, old);
    {
        UniqueFile fill(CreateFileW(filler.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        std::vector<uint8_t> block(4096);
        for (DWORD written = 0; WriteFile(fill.get(), block.data(), 4096, &written, nullptr) && written == 4096;) {}
        for (DWORD written = 0; WriteFile(fill.get(), block.data(), 1, &written, nullptr) && written == 1;) {}
    }
    RunWithDialog(ID_open, Bmp(L"source.bmp", 40, 30));
    {
        MessageBoxAnswerer answer(texts::kNoticeTitle);
        RunWithDialog(ID_baocuntx, target);
        EXPECT_TRUE(Contains(answer.text(), texts::kSaveWriteFailed)) << answer.text();
        EXPECT_TRUE(Contains(answer.text(), texts::kSaveOldFileKept)) << answer.text();
    }
    EXPECT_EQ(ReadBytes(target), old);
    EXPECT_EQ(FilesIn(disk).size(), 2u) << "no temporary file stays behind";
    // With room again, the same save goes through.
    DeleteFileW(filler.c_str());
    {
        MessageBoxAnswerer unexpected(texts::kNoticeTitle);
        RunWithDialog(ID_baocuntx, target);
        EXPECT_FALSE(unexpected.answered()) << unexpected.text();
    }
    ImageLoad saved = LoadPictureFile(target);
    ASSERT_TRUE(saved.picture);
    EXPECT_EQ(ReadBitmap(saved.picture->Bitmap()), ReadBitmap(Picture()->Bitmap()));
    DeleteFileW(target.c_str());
}

TEST_F(DocumentCommands, SaveWithoutAPictureSaysSoAndAsksForNoName)
{
    MessageBoxAnswerer answer(texts::kNoticeTitle);
    FileDialogDriver driver;
    Command(ID_baocuntx);
    EXPECT_EQ(answer.text(), texts::kNothingToSave);
    EXPECT_FALSE(driver.seen());
}

TEST_F(DocumentCommands, OpenReadsAValid32BitBitFieldBmpThatWicRefuses)
{
    // Ten bits a channel: the colours used here survive the round trip exactly.
    Raster raster = MakeRaster(5, 3);
    const uint8_t colors[][3] = {{0, 0, 255}, {0, 255, 0}, {255, 0, 0}, {128, 255, 0}, {255, 255, 255}};
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 5; ++x) {
            std::memcpy(raster.Row(y) + 3 * x, colors[(x + y) % 5], 3);
        }
    }
    WriteBytes(m_dir.file(L"fields.bmp"),
               EncodeBmp(raster, {BmpHeader::Info, 32, kBmpBitFields, {0x3FF00000, 0xFFC00, 0x3FF}}));
    RunWithDialog(ID_open, m_dir.file(L"fields.bmp"));
    ASSERT_TRUE(Picture());
    EXPECT_EQ(window().State().CurrentImagePath, m_dir.file(L"fields.bmp"));
    const Pixels shown = ReadBitmap(Picture()->Bitmap());
    ASSERT_EQ(shown.width, 5);
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 5; ++x) {
            const uint8_t* bgr = raster.Row(y) + 3 * x;
            EXPECT_EQ(shown.at(x, y), static_cast<uint32_t>(bgr[2] << 16 | bgr[1] << 8 | bgr[0])) << x << "," << y;
        }
    }
}

TEST_F(DocumentCommands, BadFilesGiveAMessageAndChangeNothing)
{
    Command(ID_buzuockou);
    const PicturePtr before = Picture();
    auto bmp = [](int w, int h, size_t at, uint32_t value) {
        std::vector<uint8_t> bytes = MakeBmp(w, h);
        Put32(bytes, at, value);
        return bytes;
    };
    std::vector<uint8_t> truncated = MakeBmp(100, 100);
    truncated.resize(200);
    std::vector<uint8_t> megapixels = bmp(10001, 1, 22, 10000);  // 100,010,000 pixels, sides allowed
    megapixels.resize(4096);
    // A PNG of 0 x 16 pixels; a GIF of three frames of 6000 x 6000, 108 megapixels in all.
    const std::vector<uint8_t> nothing = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0,  0, 0, 13, 'I', 'H', 'D',
                                          'R',  0,   0,   0,   0,    0,    0,    0,    16, 8, 2, 0,  0,   0};
    std::vector<uint8_t> frames = {'G', 'I', 'F', '8', '9', 'a', 0x70, 0x17, 0x70, 0x17, 0, 0, 0};
    for (int i = 0; i < 3; ++i) {
        for (uint8_t byte : {0x2C, 0, 0, 0, 0, 0x70, 0x17, 0x70, 0x17, 0, 2, 1, 0x2C, 0}) {
            frames.push_back(byte);
        }
    }
    frames.push_back(0x3B);
    const struct {
        const wchar_t* name;
        std::optional<std::vector<uint8_t>> bytes;
        const wchar_t* reason;
        bool heldForWriting = false;  // by another program, which lets others read it
    } rows[] = {
        {L"missing.bmp", std::nullopt, texts::kImageMissing},
        {L"text.bmp", std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}, texts::kImageUnknownKind},
        {L"empty.bmp", std::vector<uint8_t>{}, texts::kImageUnknownKind},
        {L"magic.bmp", std::vector<uint8_t>{'B', 'M'}, texts::kImageDamaged},
        {L"truncated.bmp", truncated, texts::kImageDamaged},
        {L"headersize.bmp", bmp(4, 3, 14, 0x7FFFFFF0), texts::kImageDamaged},
        {L"offset.bmp", bmp(4, 3, 10, 1000000), texts::kImageDamaged},
        {L"depth7.bmp", bmp(4, 3, 28, 7), texts::kImageUnknownKind},
        {L"huge.bmp", bmp(4, 3, 18, 100000), texts::kImageTooLarge},
        {L"tall.bmp", bmp(4, 3, 22, 32768), texts::kImageTooLarge},
        {L"megapixels.bmp", megapixels, texts::kImageTooLarge},
        {L"nothing.png", nothing, texts::kImageDamaged},
        {L"frames.gif", frames, texts::kImageTooLarge},
        {L"held.bmp", MakeBmp(4, 3), texts::kImageUnreadable, true},
    };
    for (const auto& row : rows) {
        if (row.bytes) {
            WriteBytes(m_dir.file(row.name), *row.bytes);
        }
        UniqueFile writer(row.heldForWriting
                              ? CreateFileW(m_dir.file(row.name).c_str(), GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr)
                              : nullptr);
        ASSERT_EQ(!!writer, row.heldForWriting);
        MessageBoxAnswerer answer(texts::kNoticeTitle);
        RunWithDialog(ID_open, m_dir.file(row.name));
        EXPECT_TRUE(Contains(answer.text(), row.reason)) << row.name << ": " << answer.text();
        EXPECT_TRUE(Contains(answer.text(), m_dir.file(row.name))) << row.name;
        EXPECT_EQ(Picture(), before) << row.name;
        EXPECT_EQ(window().State().CurrentImagePath, L"") << row.name;
        EXPECT_FALSE(MenuEnabled(window().Hwnd(), ID_shezhi)) << row.name;
    }
}

struct SpiCall {
    UINT action = 0;
    UINT param = 0;
    std::wstring text;
    UINT winIni = 0;
};
SpiCall gSpiCall;

BOOL WINAPI FailingSystemParametersInfoW(UINT action, UINT param, PVOID value, UINT winIni)
{
    gSpiCall = {action, param, static_cast<const wchar_t*>(value), winIni};
    return FALSE;
}

// The path goes to the system as it is, also where the ANSI code page cannot hold it.
TEST_F(DocumentCommands, WallpaperIsTheLastOpenedFileOrTheTextAFullScreenCaptureLeft)
{
    const std::wstring file = Bmp(L"wall \u2603 \u56fe.bmp", 4, 4);
    RunWithDialog(ID_open, file);
    Command(ID_shezhi);
    EXPECT_EQ(Wallpaper(), file);

    Command(ID_qinchutx);
    EXPECT_FALSE(Picture());
    SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(L""), 0);  // so the next set shows
    Command(ID_shezhi);
    EXPECT_EQ(Wallpaper(), file);

    Command(ID_buzuoqping);
    Command(ID_shezhi);
    EXPECT_EQ(Wallpaper(), std::to_wstring(Picture()->Handle()));
}

TEST_F(DocumentCommands, WallpaperRefusedBySystemGivesTheMessage)
{
    window().State().CurrentImagePath = L"C:\\pics\\wall.bmp";
    struct StagedFailure {
        DocumentServices real = ActiveDocumentServices();
        StagedFailure() { ActiveDocumentServices().systemParametersInfoW = &FailingSystemParametersInfoW; }
        ~StagedFailure() { ActiveDocumentServices() = real; }
    } staged;
    MessageBoxAnswerer answer(texts::kNoticeTitle);
    Command(ID_shezhi);
    EXPECT_EQ(answer.text(), L"设置墙纸失败!");
    EXPECT_EQ(gSpiCall.action, 20u);
    EXPECT_EQ(gSpiCall.param, 0xFFFFFFFFu);
    EXPECT_EQ(gSpiCall.text, L"C:\\pics\\wall.bmp");
    EXPECT_EQ(gSpiCall.winIni, 1u);
}

// A hook that refuses to create the converter window.
LRESULT CALLBACK RefuseConverter(int code, WPARAM wParam, LPARAM lParam)
{
    wchar_t name[64] = L"";
    GetClassNameW(reinterpret_cast<HWND>(wParam), name, 64);
    return code == HCBT_CREATEWND && std::wstring(name) == ConverterWindow::kClassName
               ? 1
               : CallNextHookEx(nullptr, code, wParam, lParam);
}

// The converter window is shown before the main window goes: when it cannot be made, the main
// window stays.
TEST_F(DocumentCommands, ConverterThatCannotBeShownLeavesTheMainWindow)
{
    HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseConverter, nullptr, GetCurrentThreadId());
    MessageBoxAnswerer failure(texts::kAppTitle);
    Command(ID_plzhuan);
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(failure.answered());
    EXPECT_TRUE(IsWindowVisible(window().Hwnd()));
}

TEST_F(DocumentCommands, PaintProgramComesFromTheSystemPathNeverTheCurrentDirectory)
{
    CreateDirectoryW(m_dir.file(L"bin").c_str(), nullptr);
    CreateDirectoryW(m_dir.file(L"pictures").c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(RecorderExePath().c_str(), m_dir.file(L"bin\\mspaint.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(RecorderExePath().c_str(), m_dir.file(L"pictures\\mspaint.exe").c_str(), FALSE));
    RecorderLog log(m_dir.file(L"started.txt"));
    wchar_t oldDirectory[MAX_PATH] = L"";
    GetCurrentDirectoryW(MAX_PATH, oldDirectory);
    SetCurrentDirectoryW(m_dir.file(L"pictures").c_str());
    {
        MessageBoxAnswerer answer(texts::kNoticeTitle);
        Command(ID_huatu);
        EXPECT_EQ(answer.text(), texts::kPaintCannotStart);
    }
    {
        wchar_t systemPath[32767] = L"";
        GetEnvironmentVariableW(L"PATH", systemPath, 32767);
        ScopedEnvironment path(L"PATH", m_dir.file(L"bin") + L";" + systemPath);
        Command(ID_huatu);
        EXPECT_TRUE(log.WaitForLines(1));
    }
    SetCurrentDirectoryW(oldDirectory);
    ASSERT_EQ(log.Lines().size(), 1u);
    EXPECT_TRUE(log.Lines()[0].starts_with(m_dir.file(L"bin\\mspaint.exe") + L"\t")) << log.Lines()[0];
}

HWND FindWindowOf(DWORD pid, const wchar_t* className)
{
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExW(nullptr, hwnd, className, nullptr))) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid) {
            return hwnd;
        }
    }
    return nullptr;
}

TEST(ProgramEnd, ExitAndTheCloseBoxEndTheProgramWithItsWindows)
{
    const struct {
        const char* what;
        UINT msg;
        WPARAM wParam;
    } rows[] = {{"exit", WM_COMMAND, ID_tuichu}, {"close box", WM_CLOSE, 0}};
    for (const auto& row : rows) {
        std::wstring commandLine = L"\"" + KavlorExePath() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(KavlorExePath().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &process));
        UniqueFile processHandle(process.hProcess);
        UniqueFile threadHandle(process.hThread);
        HWND main = nullptr;
        const DWORD pid = process.dwProcessId;
        ASSERT_TRUE(PumpUntil([&] { return (main = FindWindowOf(pid, MainWindow::kClassName)) != nullptr; }))
            << row.what;
        PostMessageW(main, WM_COMMAND, ID_guanyuwm, 0);
        PostMessageW(main, WM_COMMAND, ID_bangzhu, 0);
        EXPECT_TRUE(PumpUntil([&] {
            return FindWindowOf(pid, AboutWindow::kClassName) && FindWindowOf(pid, HelpWindow::kClassName);
        })) << row.what;
        PostMessageW(main, row.msg, row.wParam, 0);
        ASSERT_EQ(WaitForSingleObject(process.hProcess, Deadline(15000)), WAIT_OBJECT_0) << row.what;
        DWORD exitCode = 1;
        GetExitCodeProcess(process.hProcess, &exitCode);
        EXPECT_EQ(exitCode, 0u) << row.what;
    }
}

}  // namespace
}  // namespace kavlor::test
