// The folders in which a program started by bare name is looked for.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace kavlor {

// The system folder, the Windows folder, then each folder of the PATH value in order. Never
// the current directory: PATH entries that are empty or relative (".", "bin", "C:tools",
// "\tools") would name it or a place under it, and are left out; so are repeats.
std::vector<std::wstring> ProgramSearchFolders(std::wstring_view systemDir, std::wstring_view windowsDir,
                                               std::wstring_view pathVariable);

// Whether a path names its folder from a drive root ("C:\...") or a network share ("\\...").
bool IsAbsolutePath(std::wstring_view path);

}  // namespace kavlor
