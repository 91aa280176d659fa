// The file that replaces its target only when complete.
#include "base/ReplacingFile_win.h"

#include <algorithm>
#include <vector>

namespace kavlor {
namespace {

bool SetDeleteOnClose(HANDLE file, bool deletes)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deletes ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

// The name the file system takes for a rename by handle: the NT form of a full path.
std::wstring NtPath(const std::wstring& path)
{
    if (path.rfind(L"\\\\?\\", 0) == 0) {
        return L"\\??\\" + path.substr(4);
    }
    if (path.rfind(L"\\\\", 0) == 0) {
        return L"\\??\\UNC\\" + path.substr(2);
    }
    return L"\\??\\" + path;
}

std::wstring FullPathName(const std::wstring& path)
{
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (length == 0) {
            return path;
        }
        if (length < full.size()) {
            full.resize(length);
            return full;
        }
        full.resize(length);
    }
}

bool RenameOver(HANDLE file, const std::wstring& target)
{
    const std::wstring name = NtPath(FullPathName(target));
    const size_t nameBytes = name.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::copy(name.begin(), name.end(), rename->FileName);
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != FALSE;
}

}  // namespace

ReplacingFile::ReplacingFile(const std::wstring& folder, const wchar_t* prefix)
{
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
        m_path = folder + prefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) +
                 L"-" + std::to_wstring(++counter) + L".tmp";
        m_file.reset(CreateFileW(m_path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (!m_file && GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (!m_file) {
        m_path.clear();
        return;
    }
    // Where the file system cannot do this, the destructor deletes the file instead.
    m_deletesOnClose = SetDeleteOnClose(m_file.get(), true);
}

ReplacingFile::~ReplacingFile()
{
    m_file.reset();
    if (!m_path.empty() && !m_deletesOnClose) {
        DeleteFileW(m_path.c_str());
    }
}

bool ReplacingFile::Write(const void* data, size_t bytes)
{
    const auto* at = static_cast<const unsigned char*>(data);
    while (bytes > 0) {
        const DWORD chunk = static_cast<DWORD>(bytes < (1u << 30) ? bytes : (1u << 30));
        DWORD written = 0;
        if (!WriteFile(m_file.get(), at, chunk, &written, nullptr) || written != chunk) {
            return false;
        }
        at += chunk;
        bytes -= chunk;
    }
    return true;
}

bool ReplacingFile::WriteAt(uint64_t at, const void* data, size_t bytes)
{
    const auto* from = static_cast<const unsigned char*>(data);
    while (bytes > 0) {
        const DWORD chunk = static_cast<DWORD>(bytes < (1u << 30) ? bytes : (1u << 30));
        OVERLAPPED place{};
        place.Offset = static_cast<DWORD>(at);
        place.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD written = 0;
        if (!WriteFile(m_file.get(), from, chunk, &written, &place) || written != chunk) {
            return false;
        }
        from += chunk;
        at += chunk;
        bytes -= chunk;
    }
    return true;
}

bool ReplacingFile::Commit(const std::wstring& target, bool flush)
{
    if (flush && !FlushFileBuffers(m_file.get())) {
        return false;
    }
    if (m_deletesOnClose) {
        // Kept from here on: a kill before the rename leaves this file beside the old one,
        // never a half-written target.
        if (!SetDeleteOnClose(m_file.get(), false)) {
            return false;
        }
        m_deletesOnClose = false;
        if (RenameOver(m_file.get(), target)) {
            m_file.reset();
            m_path.clear();
            return true;
        }
    }
    m_file.reset();
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (flush ? MOVEFILE_WRITE_THROUGH : 0);
    if (!MoveFileExW(m_path.c_str(), target.c_str(), flags)) {
        return false;
    }
    m_path.clear();
    return true;
}

}  // namespace kavlor
