// Text rules of the file dialogs.
#include "base/FileDialogRules.h"

#include <vector>

namespace kavlor {

std::wstring NativeFilter(std::wstring_view filter)
{
    if (filter.empty()) {
        return {};
    }
    std::vector<std::wstring_view> parts;
    for (size_t start = 0;;) {
        size_t bar = filter.find(L'|', start);
        parts.push_back(filter.substr(start, bar == std::wstring_view::npos ? std::wstring_view::npos : bar - start));
        if (bar == std::wstring_view::npos) {
            break;
        }
        start = bar + 1;
    }
    if (parts.size() % 2 != 0) {
        parts.push_back(parts.back());
    }
    std::wstring native;
    for (std::wstring_view part : parts) {
        native.append(part);
        native.push_back(L'\0');
    }
    return native;  // c_str() adds the second NUL that ends the list
}

std::wstring WithDefaultExtension(std::wstring_view path, std::wstring_view defaultExt)
{
    if (!defaultExt.empty() && defaultExt.front() == L'.') {
        defaultExt.remove_prefix(1);
    }
    size_t separator = path.find_last_of(L"\\/:");
    std::wstring_view name = separator == std::wstring_view::npos ? path : path.substr(separator + 1);
    std::wstring result(path);
    if (!defaultExt.empty() && !name.empty() && name.find(L'.') == std::wstring_view::npos) {
        result.push_back(L'.');
        result.append(defaultExt);
    }
    return result;
}

const wchar_t* SaveTypeExtension(SaveType type)
{
    switch (type) {
    case SaveType::Png: return L"png";
    case SaveType::Jpeg: return L"jpg";
    case SaveType::Bmp: break;
    }
    return L"bmp";
}

SaveTarget SaveTargetFor(std::wstring_view path, SaveType chosen)
{
    std::wstring named = WithDefaultExtension(path, SaveTypeExtension(chosen));
    const size_t dot = named.find_last_of(L".\\/:");
    std::wstring extension = dot != std::wstring::npos && named[dot] == L'.' ? named.substr(dot + 1) : L"";
    for (wchar_t& c : extension) {
        c = c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    }
    const SaveType type = extension == L"png"                           ? SaveType::Png
                          : extension == L"jpg" || extension == L"jpeg" ? SaveType::Jpeg
                                                                        : chosen;
    return {std::move(named), type};
}

}  // namespace kavlor
