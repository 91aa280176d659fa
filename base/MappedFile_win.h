// A file's bytes mapped into memory read-only rather than read: nothing is copied, only the pages
// touched are read, and a large file costs address space but no memory of the program's own.
#pragma once
#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "base/Handles.h"

namespace kavlor {

class MappedFile {
public:
    // The first `viewBytes` of the file at most; empty when the file cannot be opened or mapped,
    // or is empty.
    explicit MappedFile(const std::wstring& path, uint64_t viewBytes = SIZE_MAX / 2)
    {
        UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER size{};
        if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) {
            return;
        }
        m_fileBytes = static_cast<uint64_t>(size.QuadPart);
        const uint64_t view = m_fileBytes < viewBytes ? m_fileBytes : viewBytes;
        UniqueFile mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (!mapping || view > SIZE_MAX / 2) {
            return;
        }
        m_view =
            static_cast<const uint8_t*>(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(view)));
        m_size = m_view ? static_cast<size_t>(view) : 0;
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile() { Unmap(); }
    std::span<const uint8_t> bytes() const { return {m_view, m_size}; }
    // The whole file's size, which may be more than the bytes mapped; 0 when it was not opened.
    uint64_t fileBytes() const { return m_fileBytes; }
    // Gives the address space back before the owner goes out of scope.
    void Unmap()
    {
        if (m_view) {
            UnmapViewOfFile(m_view);
        }
        m_view = nullptr;
        m_size = 0;
    }

private:
    const uint8_t* m_view = nullptr;
    size_t m_size = 0;
    uint64_t m_fileBytes = 0;
};

}  // namespace kavlor
