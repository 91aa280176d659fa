// The printer of one print command: the printer, paper and copies chosen in the print dialog,
// the orientation the program sets, and a document that starts with the first drawing.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/Picture.h"
#include "print/FitToPage.h"

namespace kavlor {

// What the print dialog hands back: the printer's names and the settings chosen for it.
struct PrinterChoice {
    std::wstring driver;
    std::wstring device;
    std::wstring port;
    std::vector<BYTE> devMode;  // a DEVMODEW with the driver's private part; may be empty
};

class Printer {
public:
    explicit Printer(PrinterChoice choice) : m_choice(std::move(choice)) {}
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;
    // A document still open is cancelled: nothing half-drawn reaches the printer.
    ~Printer();

    // Takes effect on the next page; set it before measuring.
    void SetOrientation(PageOrientation orientation);
    // The printable area in device pixels with the printer's resolution; empty without a printer.
    PrintableArea Measure();
    // Draws the picture stretched into the rectangle (device pixels, from the printable area's
    // top-left corner), starting the document and its page first when needed.
    bool PaintPicture(const Picture& picture, double x, double y, double width, double height);
    // Ends the page and the document, which sends the job to the printer.
    bool EndDoc();
    // Cancels the document if one was started.
    void KillDoc();

    const std::wstring& DeviceName() const { return m_choice.device; }

private:
    HDC Dc();
    bool StartDocument();

    PrinterChoice m_choice;
    HDC m_dc = nullptr;
    bool m_docStarted = false;
};

// The print dialog: the printer, paper and copies for one picture. The dialog starts on the
// system's default printer; its caption is `title`. False when cancelled or when it cannot be
// shown; `error` then holds CommDlgExtendedError's code (0 for a plain cancel).
bool ShowPrintDialog(HWND owner, const std::wstring& title, PrinterChoice& choice, DWORD& error);

// Sets the orientation in a settings block (a DEVMODEW and the driver's part); false, with the
// block unchanged, when its public part does not reach the orientation.
bool SetOrientationIn(std::vector<BYTE>& devMode, PageOrientation orientation);

// Whether any printer is installed for this user.
bool AnyPrinterInstalled();

}  // namespace kavlor
