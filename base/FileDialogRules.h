// Text rules of the file dialogs: the "description|pattern" filter and the default extension.
#pragma once
#include <string>
#include <string_view>

namespace kavlor {

// Turns "description|pattern|description|pattern" into the dialog's list of NUL-terminated
// texts. A description without a pattern (an odd last part, as in "*.bmp") also serves as its
// own pattern. An empty filter gives an empty text: the dialog then shows every file.
std::wstring NativeFilter(std::wstring_view filter);

// Appends "." and the default extension to a path whose file name has no extension at all.
std::wstring WithDefaultExtension(std::wstring_view path, std::wstring_view defaultExt);

// The types the save dialog offers, in the order of its filter.
enum class SaveType { Bmp, Png, Jpeg };

// The extension, without its dot, that a name of the type gets: "bmp", "png" or "jpg".
const wchar_t* SaveTypeExtension(SaveType type);

struct SaveTarget {
    std::wstring path;
    SaveType type;
};

// What a save writes, from the name confirmed and the type chosen in the dialog: a name ending in
// .png, .jpg or .jpeg (in any case) is written in that format; any other extension is kept and
// gets the chosen type's format; a name without one gets the chosen type's extension.
SaveTarget SaveTargetFor(std::wstring_view path, SaveType chosen);

}  // namespace kavlor
