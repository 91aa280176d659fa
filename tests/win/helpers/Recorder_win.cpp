// A stand-in program for the tests: appends one line to the file named by the environment
// variable KAVLOR_RECORDER_LOG, holding its own path, a tab and its command line (UTF-8),
// then exits. Copied under other names it plays a browser, a mail program, mspaint.exe or
// the system-information tool.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    wchar_t logPath[MAX_PATH * 2] = L"";
    if (!GetEnvironmentVariableW(L"KAVLOR_RECORDER_LOG", logPath, MAX_PATH * 2)) {
        return 1;
    }
    wchar_t self[MAX_PATH * 2] = L"";
    GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
    std::wstring line = std::wstring(self) + L"\t" + GetCommandLineW() + L"\n";
    int bytes =
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes, nullptr, nullptr);
    HANDLE file = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 2;
    }
    DWORD written = 0;
    WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
