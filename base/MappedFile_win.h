// A file's bytes mapped into memory read-only rather than read: nothing is copied, only the pages
// touched are read, and a large file costs address space but no memory of the program's own.
// Files on removable and network volumes are read whole instead: a view of a file whose volume
// goes away (a stick pulled out mid-read) raises an in-page error that would end the program.
// The file stays open without sharing writes while its bytes are in use, so that nobody changes
// them under the reader.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <new>
#include <span>
#include <string>

#include "base/Handles.h"

namespace kavlor {

// Whether the volume that this open file lies on may go away under a view of it: removable media
// and network volumes, by what the volume itself reports for the handle. (A drive letter says
// nothing of the mount points and junctions on the path.) When it cannot be told, it may.
inline bool OnVolumeThatMayGo(HANDLE file)
{
    struct DeviceInformation {  // FILE_FS_DEVICE_INFORMATION
        ULONG deviceType;
        ULONG characteristics;
    };
    struct IoStatus {  // IO_STATUS_BLOCK
        union {
            LONG status;
            void* pointer;
        };
        ULONG_PTR information;
    };
    using Query = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
    constexpr int kFileFsDeviceInformation = 4;
    constexpr ULONG kRemovableMedia = 0x1;
    constexpr ULONG kRemoteDevice = 0x10;
    constexpr ULONG kNetworkFileSystem = 0x14;
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryVolumeInformationFile")));
    DeviceInformation info{};
    IoStatus io{};
    if (!query || query(file, &io, &info, sizeof(info), kFileFsDeviceInformation) < 0) {
        return true;
    }
    return (info.characteristics & (kRemovableMedia | kRemoteDevice)) != 0 || info.deviceType == kNetworkFileSystem;
}

class MappedFile {
public:
    // The first `viewBytes` of the file at most; empty when the file cannot be opened, mapped or
    // read, or is empty.
    explicit MappedFile(const std::wstring& path, uint64_t viewBytes = SIZE_MAX / 2)
    {
        m_file.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER size{};
        if (!m_file || !GetFileSizeEx(m_file.get(), &size)) {
            m_error = GetLastError();
            m_file.reset();
            return;
        }
        if (size.QuadPart <= 0) {
            return;
        }
        m_fileBytes = static_cast<uint64_t>(size.QuadPart);
        const uint64_t view = m_fileBytes < viewBytes ? m_fileBytes : viewBytes;
        if (view > SIZE_MAX / 2) {
            return;
        }
        if (OnVolumeThatMayGo(m_file.get())) {
            Read(static_cast<size_t>(view));
            return;
        }
        UniqueFile mapping(CreateFileMappingW(m_file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
        if (!mapping) {
            return;
        }
        m_view =
            static_cast<const uint8_t*>(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(view)));
        m_size = m_view ? static_cast<size_t>(view) : 0;
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile() { Unmap(); }
    std::span<const uint8_t> bytes() const { return {m_view ? m_view : m_copy.get(), m_size}; }
    // The whole file's size, which may be more than the bytes mapped; 0 when it was not opened.
    uint64_t fileBytes() const { return m_fileBytes; }
    // Why the file could not be opened or read; ERROR_SUCCESS when it was, or is empty, or only
    // the memory for its bytes was missing.
    DWORD error() const { return m_error; }
    // Gives the address space back, and the file, before the owner goes out of scope.
    void Unmap()
    {
        if (m_view) {
            UnmapViewOfFile(m_view);
        }
        m_view = nullptr;
        m_copy.reset();
        m_size = 0;
        m_file.reset();
    }

private:
    // In memory that is not cleared first: it is overwritten at once. No memory for it leaves the
    // bytes empty, as a view that cannot be mapped does.
    void Read(size_t bytes)
    {
        m_copy.reset(new (std::nothrow) uint8_t[bytes]);
        if (!m_copy) {
            return;
        }
        for (size_t done = 0; done < bytes;) {
            const DWORD want = static_cast<DWORD>(bytes - done < (DWORD{1} << 30) ? bytes - done : DWORD{1} << 30);
            DWORD got = 0;
            const BOOL read = ReadFile(m_file.get(), m_copy.get() + done, want, &got, nullptr);
            if (!read || got == 0) {
                m_error = read ? ERROR_HANDLE_EOF : GetLastError();
                m_copy.reset();
                return;
            }
            done += got;
        }
        m_size = bytes;
    }

    UniqueFile m_file;
    const uint8_t* m_view = nullptr;
    std::unique_ptr<uint8_t[]> m_copy;
    size_t m_size = 0;
    uint64_t m_fileBytes = 0;
    DWORD m_error = ERROR_SUCCESS;
};

}  // namespace kavlor
