// The main window's print commands: the default-printer window and the fit-to-page print.
#include "app/MainWindow.h"

#include <cderr.h>
#include <commdlg.h>

#include "app/Texts.h"
#include "base/App.h"
#include "print/FitToPage.h"
#include "print/PrinterWindow_win.h"
#include "print/Printer_win.h"

namespace kavlor {

// Opening the printer window is what makes printing available, whether or not a printer is
// then chosen.
void MainWindow::dayinsz_Click()
{
    m_main->Show(m_hwnd);
    m_state.dayingtuxEnabled = true;
    ApplyMenuState();
}

// One document of one page on the printer, paper and copies chosen in the print dialog.
// Cancelling the dialog prints nothing.
void MainWindow::dayingtux_Click()
{
    PicturePtr picture = m_picture1.GetPicture();
    if (!picture) {
        ShowMessage(m_hwnd, texts::kNothingToPrint, texts::kNoticeTitle);
        return;
    }
    if (!AnyPrinterInstalled()) {
        ShowMessage(m_hwnd, texts::kNoPrinter, texts::kNoticeTitle);
        return;
    }
    m_commonDialog1.title = texts::kPrintDialogTitle;
    PrinterChoice choice;
    DWORD error = 0;
    if (!ShowPrintDialog(m_hwnd, m_commonDialog1.title, choice, error)) {
        if (error == PDERR_NODEFAULTPRN || error == PDERR_PRINTERNOTFOUND) {
            ShowMessage(m_hwnd, texts::kNoPrinter, texts::kNoticeTitle);
        }
        return;
    }
    Printer printer(std::move(choice));
    switch (PrintPictureToFitPage(printer, *picture)) {
    case FitPrint::Drawn:
        if (!printer.EndDoc()) {
            ShowMessage(m_hwnd, texts::kPrintFailed, texts::kNoticeTitle);
        }
        break;
    case FitPrint::CannotFit:
        printer.KillDoc();
        ShowMessage(m_hwnd, texts::kCannotFitPicture, texts::kNoticeTitle);
        break;
    case FitPrint::DrawFailed:
        printer.KillDoc();
        ShowMessage(m_hwnd, texts::kPrintFailed, texts::kNoticeTitle);
        break;
    }
}

// Orientation first, so that the printable area is measured in it; then one drawing at the
// printable area's top-left corner, not centred. The document stays open for the caller.
MainWindow::FitPrint MainWindow::PrintPictureToFitPage(Printer& Prn, const Picture& Pic)
{
    const SIZE size = Pic.SizeHimetric();
    Prn.SetOrientation(OrientationFor(size.cx, size.cy));
    std::optional<PrintedSize> printed = FitPictureToPage(size.cx, size.cy, Prn.Measure());
    if (!printed) {
        return FitPrint::CannotFit;
    }
    return Prn.PaintPicture(Pic, 0, 0, printed->width, printed->height) ? FitPrint::Drawn : FitPrint::DrawFailed;
}

}  // namespace kavlor
