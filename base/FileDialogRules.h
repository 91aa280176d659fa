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

}  // namespace kavlor
