// The print command on the real print dialog and a real CUPS queue: the printed page read back
// from its PDF file.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/resource.h"
#include "print/FitToPage.h"
#include "print/Printer_win.h"
#include "tests/print/PrintDriver_win.h"

namespace kavlor::test {
namespace {

// The printable area of a printer in one orientation, and its offset from the paper's corner.
struct Measured {
    PrintableArea area;
    POINT offset{};
};

Measured MeasurePrinter(const std::wstring& printer, PageOrientation orientation)
{
    std::wstring device = printer;
    std::vector<BYTE> mode(
        static_cast<size_t>(DocumentPropertiesW(nullptr, nullptr, device.data(), nullptr, nullptr, 0)));
    auto* devMode = reinterpret_cast<DEVMODEW*>(mode.data());
    DocumentPropertiesW(nullptr, nullptr, device.data(), devMode, nullptr, DM_OUT_BUFFER);
    devMode->dmFields |= DM_ORIENTATION;
    devMode->dmOrientation = static_cast<short>(orientation);
    HDC dc = CreateDCW(nullptr, device.c_str(), nullptr, devMode);
    Measured measured{{static_cast<float>(GetDeviceCaps(dc, HORZRES)), static_cast<float>(GetDeviceCaps(dc, VERTRES)),
                       GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY)},
                      {GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALOFFSETY)}};
    DeleteDC(dc);
    return measured;
}

bool CloseColor(uint32_t a, uint32_t b)
{
    for (int shift : {16, 8, 0}) {
        if (std::abs(static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF)) > 2) {
            return false;
        }
    }
    return true;
}

using PrintTest = MainWindowTest;

// A block whose public part ends before the orientation: the bytes after it are the driver's
// own, and the orientation is not written into them.
TEST(PrinterSettings, OrientationStaysOutOfABlockTooShortForIt)
{
    constexpr WORD kPublic = offsetof(DEVMODEW, dmOrientation);
    std::vector<BYTE> block(kPublic + 64, 0xAB);
    reinterpret_cast<DEVMODEW*>(block.data())->dmSize = kPublic;
    reinterpret_cast<DEVMODEW*>(block.data())->dmDriverExtra = 64;
    const std::vector<BYTE> before = block;
    EXPECT_FALSE(SetOrientationIn(block, PageOrientation::Landscape));
    EXPECT_EQ(block, before);
}

// Wide pictures turn the page; each picture fills the printable width or height from its
// top-left corner, keeps its proportions and colours, and comes out as one job of one page.
TEST_F(PrintTest, FitsThePictureToThePageInTheOrientationOfItsShape)
{
    struct Row {
        SIZE pixels;
        PageOrientation orientation;
    };
    const Row rows[] = {
        {{400, 200}, PageOrientation::Landscape},
        {{200, 400}, PageOrientation::Portrait},
        {{300, 300}, PageOrientation::Portrait},
    };
    PrintQueue queue(1);
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.pixels.cx << "x" << row.pixels.cy);
        PicturePtr picture = MakeQuarterPicture(row.pixels.cx, row.pixels.cy, false);
        window().Picture1().SetPicture(picture);
        const int jobs = queue.Jobs();
        const int completed = queue.CompletedJobs();
        {
            PrintDialogAnswerer dialog(true);
            Command(ID_dayingtux);
            EXPECT_TRUE(dialog.seen());
            EXPECT_EQ(dialog.caption(), L"打印");
            EXPECT_EQ(dialog.printerShown(), queue.name);
        }
        ASSERT_TRUE(queue.WaitForCompletedJobs(completed + 1));
        EXPECT_EQ(queue.Jobs(), jobs + 1);
        std::optional<PrintedPage> page = ReadNewestPage(queue);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->pages, 1);
        const Pixels& paper = page->pixels;
        EXPECT_EQ(paper.width > paper.height, row.orientation == PageOrientation::Landscape);

        Measured printer = MeasurePrinter(queue.name, row.orientation);
        SIZE himetric = picture->SizeHimetric();
        std::optional<PrintedSize> fitted = FitPictureToPage(himetric.cx, himetric.cy, printer.area);
        ASSERT_TRUE(fitted);
        // Within a printer pixel, and half a pixel more: the PDF renderer inks a partly covered
        // edge pixel.
        constexpr double kPixel = 1.5;
        RECT ink = InkBounds(paper);
        EXPECT_NEAR(ink.left, printer.offset.x, kPixel);
        EXPECT_NEAR(ink.top, printer.offset.y, kPixel);
        EXPECT_NEAR(ink.right - ink.left, fitted->width, kPixel);
        EXPECT_NEAR(ink.bottom - ink.top, fitted->height, kPixel);
        // The picture fills the printable width (wide and square pictures) or height (tall
        // ones); the empty strip lies below or right of it.
        EXPECT_EQ(std::abs(ink.right - ink.left - printer.area.width) <= kPixel, row.pixels.cx >= row.pixels.cy);
        EXPECT_EQ(std::abs(ink.bottom - ink.top - printer.area.height) <= kPixel, row.pixels.cx < row.pixels.cy);
        const LONG midX = (ink.left + ink.right) / 2;
        const LONG midY = (ink.top + ink.bottom) / 2;
        const POINT centres[4] = {{(ink.left + midX) / 2, (ink.top + midY) / 2},
                                  {(midX + ink.right) / 2, (ink.top + midY) / 2},
                                  {(midX + ink.right) / 2, (midY + ink.bottom) / 2},
                                  {(ink.left + midX) / 2, (midY + ink.bottom) / 2}};
        for (int i = 0; i < 4; ++i) {
            EXPECT_TRUE(CloseColor(paper.at(centres[i].x, centres[i].y), kQuarterColors[i]))
                << std::hex << paper.at(centres[i].x, centres[i].y) << " for " << kQuarterColors[i];
        }
    }
}

// No picture: a message and no dialog. Cancelling the dialog: no job at all, as the one job of
// the print confirmed afterwards shows.
TEST_F(PrintTest, NothingIsPrintedWithoutAPictureOrAfterCancel)
{
    PrintQueue queue(1);
    const int jobs = queue.Jobs();
    const int completed = queue.CompletedJobs();
    {
        PrintDialogAnswerer dialog(false);
        MessageBoxAnswerer box(L"Kavlor 提示");
        Command(ID_dayingtux);
        EXPECT_TRUE(box.answered());
        EXPECT_EQ(box.text(), L"没有可以打印的图像。");
        EXPECT_FALSE(dialog.seen());
    }
    window().Picture1().SetPicture(MakeQuarterPicture(64, 48, false));
    {
        PrintDialogAnswerer dialog(false);
        Command(ID_dayingtux);
        EXPECT_TRUE(dialog.seen());
    }
    {
        PrintDialogAnswerer dialog(true);
        Command(ID_dayingtux);
    }
    ASSERT_TRUE(queue.WaitForCompletedJobs(completed + 1));
    EXPECT_EQ(queue.Jobs(), jobs + 1);
}

// With no printer installed the command says so instead of showing the print dialog. This test
// runs in a session without a print scheduler and without print tests after it: printers that
// Wine lists anyway are deleted, and in the 32-bit Wine the ones it makes again for the next
// program fail the print dialog (it ends at once, as if cancelled) in every program after.
TEST_F(PrintTest, SaysThatNoPrinterIsInstalled)
{
    DWORD needed = 0;
    DWORD count = 0;
    EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, nullptr, 0, &needed, &count);
    std::vector<BYTE> listed(needed);
    if (needed > 0) {
        ASSERT_TRUE(EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 4, listed.data(), needed, &needed, &count));
    }
    for (DWORD i = 0; i < count; ++i) {
        PRINTER_DEFAULTSW access{nullptr, nullptr, PRINTER_ALL_ACCESS};
        HANDLE printer = nullptr;
        ASSERT_TRUE(OpenPrinterW(reinterpret_cast<PRINTER_INFO_4W*>(listed.data())[i].pPrinterName, &printer, &access));
        EXPECT_TRUE(DeletePrinter(printer));
        ClosePrinter(printer);
    }
    window().Picture1().SetPicture(MakeQuarterPicture(64, 48, false));
    PrintDialogAnswerer dialog(false);
    MessageBoxAnswerer box(L"Kavlor 提示");
    Command(ID_dayingtux);
    EXPECT_TRUE(box.answered());
    EXPECT_EQ(box.text(), L"系统中没有安装打印机,无法打印。请先安装打印机。");
    EXPECT_FALSE(dialog.seen());
}

// A queue that refuses jobs makes the print command say so, and a paused queue keeps the job
// until it goes on again; neither holds the program up.
TEST_F(PrintTest, AStoppedQueueEndsTheCommandWithAMessageOrAHeldJob)
{
    struct Case {
        const char* stop;
        const char* resume;
        const wchar_t* message;  // nullptr: no message, the job waits in the queue
    };
    const Case cases[] = {
        {"cupsreject", "cupsaccept", L"打印失败:无法把图像送到打印机。"},
        {"cupsdisable", "cupsenable", nullptr},
    };
    PrintQueue queue(1);
    window().Picture1().SetPicture(MakeQuarterPicture(64, 48, false));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stop);
        const int jobs = queue.Jobs();
        const int completed = queue.CompletedJobs();
        RunUnix(std::string(c.stop) + " " + queue.unixName);
        {
            PrintDialogAnswerer dialog(true);
            MessageBoxAnswerer box(L"Kavlor 提示");
            Command(ID_dayingtux);
            EXPECT_TRUE(dialog.seen());
            EXPECT_EQ(box.answered(), c.message != nullptr);
            if (c.message) {
                EXPECT_EQ(box.text(), c.message);
            }
        }
        EXPECT_EQ(queue.Jobs(), jobs + (c.message ? 0 : 1));
        RunUnix(std::string(c.resume) + " " + queue.unixName);
        EXPECT_TRUE(queue.WaitForCompletedJobs(completed + (c.message ? 0 : 1)));
    }
}

// Printing becomes available once the printer window has been opened, and stays so.
TEST_F(PrintTest, PrintItemWaitsForThePrinterWindow)
{
    HMENU menu = GetMenu(window().Hwnd());
    EXPECT_TRUE(GetMenuState(menu, ID_dayingtux, MF_BYCOMMAND) & MF_GRAYED);
    Command(ID_dayinsz);
    EXPECT_FALSE(GetMenuState(menu, ID_dayingtux, MF_BYCOMMAND) & MF_GRAYED);
    SendMessageW(FindWindowW(L"KavlorPrinterWindow", nullptr), WM_CLOSE, 0, 0);
    EXPECT_EQ(FindWindowW(L"KavlorPrinterWindow", nullptr), nullptr);
    EXPECT_FALSE(GetMenuState(menu, ID_dayingtux, MF_BYCOMMAND) & MF_GRAYED);
}

}  // namespace
}  // namespace kavlor::test
