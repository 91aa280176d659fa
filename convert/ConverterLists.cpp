// Texts of the converter window: chosen files, extension keys, captions and entry plans.
#include "convert/ConverterLists.h"

#include <unordered_set>

#include "convert/ConversionNames.h"

namespace kavlor {

namespace {

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// A drive's root keeps its backslash: "D:" alone names the drive's own current directory, which
// may be any folder of it.
std::wstring WithoutTrailingBackslash(std::wstring_view folder)
{
    while (folder.size() > 1 && IsSeparator(folder.back()) && !(folder.size() == 3 && folder[1] == L':')) {
        folder.remove_suffix(1);
    }
    return std::wstring(folder);
}

}  // namespace

ChosenFiles ParseChosenFiles(std::wstring_view dialogResult)
{
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start < dialogResult.size()) {
        size_t end = dialogResult.find(L'\0', start);
        if (end == std::wstring_view::npos) {
            end = dialogResult.size();
        }
        if (end == start) {
            break;  // the empty text that ends the list
        }
        parts.emplace_back(dialogResult.substr(start, end - start));
        start = end + 1;
    }
    ChosenFiles chosen;
    if (parts.size() == 1) {
        const std::wstring& path = parts.front();
        size_t separator = path.find_last_of(L"\\/");
        chosen.single = true;
        if (separator == std::wstring::npos) {
            chosen.names.push_back(path);
        } else {
            chosen.folder = WithoutTrailingBackslash(std::wstring_view(path).substr(0, separator + 1));
            chosen.names.push_back(path.substr(separator + 1));
        }
    } else if (!parts.empty()) {
        chosen.folder = WithoutTrailingBackslash(parts.front());
        chosen.names.assign(parts.begin() + 1, parts.end());
    }
    return chosen;
}

std::wstring EntryPath(std::wstring_view folder, std::wstring_view entry)
{
    std::wstring path(folder);
    if (path.empty() || !IsSeparator(path.back())) {
        path += L'\\';
    }
    path += entry;
    return path;
}

std::wstring ExtensionKey(std::wstring_view upperName)
{
    return std::wstring(upperName.substr(upperName.size() >= 3 ? upperName.size() - 3 : 0));
}

DirectionCaptions CaptionsFor(std::wstring_view key)
{
    const std::wstring suffix = L"图片文件";
    if (key == L"BMP") {
        return {L"BMP" + suffix, L"JPG" + suffix, L"BMP To JPG"};
    }
    return {std::wstring(key) + suffix, L"BMP" + suffix, L"JPG To BMP"};
}

EntryPlan PlanEntry(std::wstring_view upperName)
{
    if (upperName.size() < 4) {
        return EntryPlan::TooShort;
    }
    return ConvertsToJpeg(upperName) ? EntryPlan::BmpToJpg : EntryPlan::JpgToBmp;
}

std::vector<Overwrite> FindOverwrites(const std::vector<std::wstring>& entryNames,
                                      const std::vector<std::wstring>& producedNames,
                                      const std::function<NameTaken(const std::wstring&)>& taken)
{
    const std::unordered_set<std::wstring> entries(entryNames.begin(), entryNames.end());
    std::unordered_set<std::wstring> earlier;
    std::vector<Overwrite> overwrites;
    overwrites.reserve(producedNames.size());
    for (const std::wstring& produced : producedNames) {
        if (produced.empty()) {
            overwrites.push_back(Overwrite::Nothing);
        } else if (entries.count(produced) > 0) {
            overwrites.push_back(Overwrite::Entry);
        } else if (!earlier.insert(produced).second) {
            overwrites.push_back(Overwrite::EarlierResult);
        } else {
            switch (taken(produced)) {
            case NameTaken::No: overwrites.push_back(Overwrite::Nothing); break;
            case NameTaken::ByLongName: overwrites.push_back(Overwrite::ExistingFile); break;
            case NameTaken::ByShortName: overwrites.push_back(Overwrite::ShortNameOfAnother); break;
            }
        }
    }
    return overwrites;
}

}  // namespace kavlor
