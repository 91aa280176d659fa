// What the converter window works out from texts: the files an open dialog returned, the
// extension key and direction captions of an entry, and the plan of a conversion run.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kavlor {

// The files chosen in a multiple-selection open dialog. The dialog returns one full path for a
// single file, or the folder followed by the names, all zero-separated and ended by an empty
// text.
struct ChosenFiles {
    std::wstring folder;  // without a trailing backslash, except a drive's root: "D:\"
    std::vector<std::wstring> names;
    bool single = false;  // one file: it joins the list instead of replacing it
};
ChosenFiles ParseChosenFiles(std::wstring_view dialogResult);

// The path of a list entry: its folder, a backslash unless the folder ends with one, and the entry.
std::wstring EntryPath(std::wstring_view folder, std::wstring_view entry);

// The last three characters of an upper-case entry name (fewer for a shorter name).
std::wstring ExtensionKey(std::wstring_view upperName);

// Captions of the source and result frames and of the convert button for the extension key
// of the first entry: "BMP图片文件", "JPG图片文件", "BMP To JPG" for "BMP", and the key's own
// caption over "BMP图片文件" and "JPG To BMP" for any other.
struct DirectionCaptions {
    std::wstring frame1;
    std::wstring frame2;
    std::wstring command1;
    bool operator==(const DirectionCaptions&) const = default;
};
DirectionCaptions CaptionsFor(std::wstring_view key);

// What the run does with one entry (its name already upper case).
enum class EntryPlan {
    BmpToJpg,
    JpgToBmp,
    TooShort,  // fewer than four characters: no stem to name the result after
};
EntryPlan PlanEntry(std::wstring_view upperName);

// Whether a name is taken in a folder, as the file system matches names (regardless of case).
enum class NameTaken {
    No,
    ByLongName,   // a file's own name
    ByShortName,  // only the short name of a file whose own name differs
};

// What writing an entry's produced file would replace.
enum class Overwrite {
    Nothing,
    Entry,               // a file that is itself an entry of the run: never replaced
    EarlierResult,       // what an earlier entry of the run produces: never replaced
    ShortNameOfAnother,  // the short name of another file: the result would go into that file
    ExistingFile,        // another file already there: replaced only when the user agrees
};
// For each produced name (upper case; empty where an entry produces none), what writing it would
// replace. `entryNames` are the names the run's entries go by, long and short, upper case;
// `taken` tells whether a name is taken in the folder, and how.
std::vector<Overwrite> FindOverwrites(const std::vector<std::wstring>& entryNames,
                                      const std::vector<std::wstring>& producedNames,
                                      const std::function<NameTaken(const std::wstring&)>& taken);

}  // namespace kavlor
