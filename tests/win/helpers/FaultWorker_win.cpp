// A stand-in for the program at work, to be killed by the tests at any moment. It repeats one
// of the program's writes forever, alternating between two inputs, and sets the event named
// on its command line once both have been written whole:
//
//   kavlor_faultworker save EVENT TARGET A.bmp B.bmp   the save command's SavePictureFile of
//                                                     picture A, then B, onto TARGET
//   kavlor_faultworker convert EVENT FOLDER            in FOLDER: a.bmp, then b.bmp, copied to
//                                                     x.bmp and turned into X.JPG by the
//                                                     conversion.dll beside this program
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <string>

#include "app/ImageFile_win.h"
#include "convert/dll/Conversion.h"

namespace {

using kavlor::ImageSaveError;
using kavlor::PicturePtr;

// Until both are written, a failed write is tried again for a while: under Wine the files of the
// worker killed just before may stay held (open, or mapped) for a moment after its end.
template <typename Step>
int Repeat(HANDLE ready, Step step)
{
    const DWORD start = GetTickCount();
    for (unsigned long long round = 0;; ++round) {
        while (!step(round % 2)) {
            if (round > 1 || GetTickCount() - start > 10000) {
                return 3;
            }
            Sleep(10);  // another process's end: there is nothing to wait on
        }
        if (round == 1) {
            SetEvent(ready);
        }
    }
}

int SaveForever(HANDLE ready, const std::wstring& target, const std::wstring& a, const std::wstring& b)
{
    PicturePtr pictures[] = {kavlor::LoadPictureFile(a).picture, kavlor::LoadPictureFile(b).picture};
    if (!pictures[0] || !pictures[1]) {
        return 2;
    }
    return Repeat(ready,
                  [&](int which) { return kavlor::SavePictureFile(*pictures[which], target) == ImageSaveError::None; });
}

int ConvertForever(HANDLE ready, const std::wstring& folder)
{
    std::wstring library(MAX_PATH, L'\0');
    library.resize(GetModuleFileNameW(nullptr, library.data(), MAX_PATH));
    library = library.substr(0, library.find_last_of(L'\\') + 1) + L"conversion.dll";
    HMODULE module = LoadLibraryW(library.c_str());
    auto convert =
        module ? reinterpret_cast<decltype(&BmpToJpg)>(reinterpret_cast<void*>(GetProcAddress(module, "BmpToJpg")))
               : nullptr;
    if (!convert || !SetCurrentDirectoryW(folder.c_str())) {
        return 2;
    }
    return Repeat(ready, [&](int which) {
        char name[] = "x.bmp";
        return CopyFileW(which ? L"b.bmp" : L"a.bmp", L"x.bmp", FALSE) && convert(name, 0) == 0;
    });
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (count < 4) {
        return 1;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, args[2]);
    const std::wstring mode = args[1];
    if (mode == L"save" && count == 6) {
        return SaveForever(ready, args[3], args[4], args[5]);
    }
    if (mode == L"convert") {
        return ConvertForever(ready, args[3]);
    }
    return 1;
}
