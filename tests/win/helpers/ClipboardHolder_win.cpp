// A stand-in for another program that keeps the clipboard open: it opens the clipboard, puts
// the text "held by another program" on it, sets the event named first on its command line,
// and closes the clipboard when the event named second is set (or after a minute).
#include <windows.h>
#include <shellapi.h>

#include <cstring>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (count < 3 || !OpenClipboard(nullptr)) {
        return 1;
    }
    EmptyClipboard();
    const wchar_t text[] = L"held by another program";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(text));
    std::memcpy(GlobalLock(memory), text, sizeof(text));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, args[1]);
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, args[2]);
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    CloseClipboard();
    return 0;
}
