// The open and save dialogs over the shared common dialog state.
#include "base/CommonDialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "base/FileDialogRules.h"

namespace kavlor {

namespace {

// Room for the longest path the system accepts.
constexpr size_t kFileBufferChars = 32768;

bool ShowFileDialog(CommonDialog& dialog, HWND owner, bool save)
{
    std::vector<wchar_t> file(kFileBufferChars, L'\0');
    std::copy_n(dialog.fileName.begin(), std::min(dialog.fileName.size(), file.size() - 1), file.begin());
    std::wstring filter = NativeFilter(dialog.filter);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = dialog.filterIndex;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrDefExt = dialog.defaultExt.empty() ? nullptr : dialog.defaultExt.c_str();
    // No title and no flags: the system's own titles, and an existing file is replaced
    // without a question.
    BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) {
        return false;
    }
    // Some open dialogs ignore the default extension; the rule is applied here for both.
    dialog.fileName = WithDefaultExtension(file.data(), dialog.defaultExt);
    dialog.filterIndex = ofn.nFilterIndex;
    return true;
}

}  // namespace

bool CommonDialog::ShowOpen(HWND owner)
{
    return ShowFileDialog(*this, owner, false);
}

bool CommonDialog::ShowSave(HWND owner)
{
    return ShowFileDialog(*this, owner, true);
}

}  // namespace kavlor
