// Functions of the system libraries that are not among the system's known DLLs (winspool.drv,
// windowscodecs.dll). Imported statically, such a library is looked for in the program's folder
// first, so that a copy of that name planted in a folder of downloads would run inside the
// program. These are loaded by their full path in the system folder instead, once, on first use.
#pragma once
#include <windows.h>

#include <string>

namespace kavlor {

// The function `name` of the system library `library`, typed as `Function` (use decltype of the
// header's declaration, so that the call cannot disagree with it); nullptr when the library or
// the function is missing.
template <typename Function>
Function* SystemFunction(const wchar_t* library, const char* name)
{
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    const std::wstring path = std::wstring(folder, length) + L"\\" + library;
    // Never freed: the program keeps using the library until it ends.
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) {
        return nullptr;
    }
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace kavlor
