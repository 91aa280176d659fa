// The common dialog state shared by the main window's open, save and print commands: it keeps
// the file name and default extension between uses, as one dialog control would.
#pragma once
#include <windows.h>

#include <string>

namespace kavlor {

struct CommonDialog {
    std::wstring fileName;    // the name last confirmed; the next file dialog starts with it
    std::wstring defaultExt;  // without the dot; appended to a name typed without extension
    std::wstring filter;      // description|pattern pairs separated by '|'
    DWORD filterIndex = 1;    // the filter entry shown first, from 1; on OK the one chosen
    std::wstring title;       // the print dialog's; the file dialogs keep the system's titles
    DWORD flags = 0;          // the print dialog's; the file dialogs set none

    // Show the open or save dialog. On OK `fileName` holds the full path chosen and the result
    // is true; on cancel nothing changes and the result is false.
    bool ShowOpen(HWND owner);
    bool ShowSave(HWND owner);
};

}  // namespace kavlor
