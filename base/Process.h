// Starting other programs, and the ANSI code page texts that older interfaces take.
#pragma once
#include <string>

namespace kavlor {

// Starts the program at a full path with a normal, focused window and does not wait for it.
// The path goes to CreateProcess as the program name and, quoted, as the command line, so a
// path with spaces cannot start another program; relative paths are refused, since they
// would be looked up in the current directory, which the file dialogs move around.
bool StartProgram(const std::wstring& path);

// Text converted to and from the system's ANSI code page.
std::string AnsiFromWide(const std::wstring& text);
std::wstring WideFromAnsi(const std::string& text);

}  // namespace kavlor
