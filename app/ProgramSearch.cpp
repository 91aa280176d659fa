// Program search folders that leave out the current directory.
#include "app/ProgramSearch.h"

#include <algorithm>
#include <cwctype>

namespace kavlor {

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

std::wstring_view Trimmed(std::wstring_view text)
{
    while (!text.empty() && std::iswspace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::iswspace(text.back())) {
        text.remove_suffix(1);
    }
    // Installers sometimes put quotes around a folder of PATH.
    if (text.size() >= 2 && text.front() == L'"' && text.back() == L'"') {
        text = text.substr(1, text.size() - 2);
    }
    return text;
}

bool SameFolder(std::wstring_view a, std::wstring_view b)
{
    while (!a.empty() && IsSeparator(a.back())) {
        a.remove_suffix(1);
    }
    while (!b.empty() && IsSeparator(b.back())) {
        b.remove_suffix(1);
    }
    return std::ranges::equal(a, b, [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

}  // namespace

bool IsAbsolutePath(std::wstring_view path)
{
    if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        return true;
    }
    return path.size() >= 3 && std::iswalpha(path[0]) && path[1] == L':' && IsSeparator(path[2]);
}

std::vector<std::wstring> ProgramSearchFolders(std::wstring_view systemDir, std::wstring_view windowsDir,
                                               std::wstring_view pathVariable)
{
    std::vector<std::wstring> folders;
    auto add = [&](std::wstring_view folder) {
        if (!IsAbsolutePath(folder)) {
            return;
        }
        if (std::ranges::none_of(folders, [&](const std::wstring& known) { return SameFolder(known, folder); })) {
            folders.emplace_back(folder);
        }
    };
    add(systemDir);
    add(windowsDir);
    for (size_t start = 0; start <= pathVariable.size();) {
        size_t end = pathVariable.find(L';', start);
        if (end == std::wstring_view::npos) {
            end = pathVariable.size();
        }
        add(Trimmed(pathVariable.substr(start, end - start)));
        start = end + 1;
    }
    return folders;
}

}  // namespace kavlor
