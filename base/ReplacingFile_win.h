// A file written beside its target and put in its place only when complete. Until then the
// system deletes it when its handle closes, so nothing is left behind even when the process
// is killed in the middle of writing.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Handles.h"

namespace kavlor {

class ReplacingFile {
public:
    // A new empty file in `folder` (ending in a separator; empty for the current directory),
    // named from `prefix`, the process id and a counter.
    ReplacingFile(const std::wstring& folder, const wchar_t* prefix);
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile();

    bool Created() const { return !m_path.empty(); }
    // Appends at the end of what was written in order.
    bool Write(const void* data, size_t bytes);
    // Writes at `at` from the start of the file, whatever was written before.
    bool WriteAt(uint64_t at, const void* data, size_t bytes);
    // Puts the complete file in place of `target`, replacing any file of that name; with
    // `flush`, its contents reach the disk first.
    bool Commit(const std::wstring& target, bool flush);

private:
    bool CommitByCopy(const std::wstring& target, bool flush);

    std::wstring m_folder;
    std::wstring m_prefix;
    std::wstring m_path;
    UniqueFile m_file;
};

}  // namespace kavlor
