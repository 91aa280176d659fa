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

// A path's name for the rename and link calls, which take a FILE_RENAME_INFO's layout.
std::vector<unsigned char> NameInfo(const std::wstring& target)
{
    const std::wstring name = NtPath(FullPathName(target));
    const size_t nameBytes = name.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* info = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(nameBytes);
    std::copy(name.begin(), name.end(), info->FileName);
    return buffer;
}

bool RenameOver(HANDLE file, const std::wstring& target)
{
    std::vector<unsigned char> info = NameInfo(target);
    return SetFileInformationByHandle(file, FileRenameInfo, info.data(), static_cast<DWORD>(info.size())) != FALSE;
}

// Gives the file `target` as a second name, replacing any file of that name in one step. The
// system has no other call that replaces by a link; file systems without links refuse it.
bool LinkOver(HANDLE file, const std::wstring& target)
{
    struct IoStatus {
        void* status;  // a status or a pointer, as the system keeps it
        ULONG_PTR information;
    };
    using SetInformationFile = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
    constexpr int kFileLinkInformation = 11;  // takes the layout of FILE_RENAME_INFO
    static const auto setInformation = reinterpret_cast<SetInformationFile>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtSetInformationFile")));
    if (!setInformation) {
        return false;
    }
    std::vector<unsigned char> info = NameInfo(target);
    IoStatus status{};
    return setInformation(file, &status, info.data(), static_cast<ULONG>(info.size()), kFileLinkInformation) >= 0;
}

// A new file of a name from `prefix`; `flags` as CreateFile takes them.
UniqueFile CreateTemporary(const std::wstring& folder, const wchar_t* prefix, DWORD flags, std::wstring& path)
{
    static unsigned counter = 0;
    UniqueFile file;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        path = folder + prefix + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount()) +
               L"-" + std::to_wstring(++counter) + L".tmp";
        file.reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | flags, nullptr));
        if (!file && GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (!file) {
        path.clear();
    }
    return file;
}

}  // namespace

// Deleted on close from its creation on: a kill at any moment leaves nothing of it.
ReplacingFile::ReplacingFile(const std::wstring& folder, const wchar_t* prefix)
    : m_folder(folder), m_prefix(prefix), m_file(CreateTemporary(folder, prefix, FILE_FLAG_DELETE_ON_CLOSE, m_path))
{
}

ReplacingFile::~ReplacingFile()
{
    m_file.reset();
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

// The target becomes a second name of the file, and closing it deletes only its own name. A kill
// before the link leaves the old target, after it the new one, and never this file.
bool ReplacingFile::Commit(const std::wstring& target, bool flush)
{
    if (flush && !FlushFileBuffers(m_file.get())) {
        return false;
    }
    if (LinkOver(m_file.get(), target)) {
        m_file.reset();
        m_path.clear();
        return true;
    }
    return CommitByCopy(target, flush);
}

// Where the file system has no links: the contents go into a file that is deleted on close only
// until it is renamed over the target. A kill between the two leaves that file beside the old
// target, which is still whole.
bool ReplacingFile::CommitByCopy(const std::wstring& target, bool flush)
{
    std::wstring path;
    UniqueFile copy = CreateTemporary(m_folder, m_prefix.c_str(), 0, path);
    if (!copy) {
        return false;
    }
    if (!SetDeleteOnClose(copy.get(), true)) {
        copy.reset();
        DeleteFileW(path.c_str());
        return false;
    }
    std::vector<unsigned char> buffer(1 << 20);
    LARGE_INTEGER start{};
    bool copied = SetFilePointerEx(m_file.get(), start, nullptr, FILE_BEGIN) != FALSE;
    for (DWORD got = 0; copied &&
                        ReadFile(m_file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
                        got > 0;) {
        DWORD written = 0;
        copied = WriteFile(copy.get(), buffer.data(), got, &written, nullptr) && written == got;
    }
    if (!copied || (flush && !FlushFileBuffers(copy.get())) || !SetDeleteOnClose(copy.get(), false)) {
        return false;
    }
    if (RenameOver(copy.get(), target)) {
        return true;
    }
    copy.reset();
    const bool moved =
        MoveFileExW(path.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | (flush ? MOVEFILE_WRITE_THROUGH : 0));
    if (!moved) {
        DeleteFileW(path.c_str());
    }
    return moved;
}

}  // namespace kavlor
