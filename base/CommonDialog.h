// The common dialog state shared by the main window's open, save and print commands: it keeps
// the file name and default extension between uses, as one dialog control would.
#pragma once
#include <windows.h>

#include <string>

namespace kavlor {

struct CommonDialog {
    std::wstring fileName;
    std::wstring defaultExt;
    std::wstring filter;  // description|pattern pairs separated by '|'
    std::wstring title;
    DWORD flags = 0;
};

}  // namespace kavlor
