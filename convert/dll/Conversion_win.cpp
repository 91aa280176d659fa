// conversion.dll: BMP to JPEG and JPEG to BMP for one file of the current directory. A call
// reads the whole source, converts it in memory and writes the result to a new file beside it,
// which replaces the produced name only once complete. No state survives a call.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "base/Handles.h"
#include "base/MappedFile_win.h"
#include "base/ReplacingFile_win.h"
#include "codec/Codec.h"
#include "codec/ImageFile.h"
#include "convert/ConversionNames.h"
#include "convert/dll/Conversion.h"

namespace kavlor {

namespace {

// No BMP of the largest picture allowed (32 bits a pixel) is larger; bigger sources are refused
// unread.
constexpr uint64_t kMaxSourceBytes = kMaxPicturePixels * 4 + (1 << 20);
constexpr DWORD kReadChunkBytes = 16 << 20;

using Converter = CodecError (*)(std::span<const uint8_t>, ReplacingFile&);

CodecError ToJpeg(std::span<const uint8_t> bmp, ReplacingFile& out)
{
    return ConvertBmpToJpeg(bmp, [&out](const uint8_t* data, size_t bytes) { return out.Write(data, bytes); });
}

CodecError ToBmp(std::span<const uint8_t> jpeg, ReplacingFile& out)
{
    const PlacedSink sink = [&out](size_t at, const uint8_t* data, size_t bytes) {
        return out.WriteAt(at, data, bytes);
    };
    return ConvertJpegToPlacedBmp(jpeg, sink, 0, 0);
}

// The ANSI name as UTF-16, when it is a plain file name: no folder, drive or stream part.
std::optional<std::wstring> BareName(const char* name)
{
    if (name == nullptr || *name == '\0') {
        return std::nullopt;
    }
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, nullptr, 0);
    if (length <= 1) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length) - 1);
    if (wide.find_first_of(L"\\/:") != std::wstring::npos) {
        return std::nullopt;
    }
    return wide;
}

// The naming rule reads names in upper case, as the converter passes them. A name in lower case
// is raised first: read as it is, "shot.bmp" would be named "shot.BMP", its own source.
std::wstring Upper(std::wstring name)
{
    LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, name.c_str(), static_cast<int>(name.size()), name.data(),
                 static_cast<int>(name.size()));
    return name;
}

// The source's bytes: mapped, so that nothing is copied and no fresh memory is taken, except on
// a volume that may go away under the view, which would raise an exception in the caller's
// process: files on network and removable volumes are read whole. The file stays open without
// sharing writes, so nobody changes it meanwhile.
class Source {
public:
    Source() = default;
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;
    ~Source() { Release(); }

    ConversionResult Open(const std::wstring& name)
    {
        m_file.reset(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        // Only files on disk: a device name such as CON would wait for input forever.
        if (!m_file || GetFileType(m_file.get()) != FILE_TYPE_DISK) {
            return kConversionSourceUnreadable;
        }
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(m_file.get(), &size)) {
            return kConversionSourceUnreadable;
        }
        if (static_cast<uint64_t>(size.QuadPart) > kMaxSourceBytes) {
            return kConversionTooLarge;
        }
        m_size = static_cast<size_t>(size.QuadPart);
        if (m_size > 0 && !OnVolumeThatMayGo(m_file.get())) {
            UniqueFile mapping(CreateFileMappingW(m_file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
            m_view =
                mapping ? static_cast<const uint8_t*>(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0)) : nullptr;
            if (m_view) {
                return kConversionOk;
            }
        }
        return Read();
    }
    std::span<const uint8_t> bytes() const { return {m_view ? m_view : m_copy.get(), m_size}; }
    // Gives the memory back before the call ends.
    void Release()
    {
        if (m_view) {
            UnmapViewOfFile(m_view);
        }
        m_view = nullptr;
        m_copy.reset();
        m_file.reset();
        m_size = 0;
    }

private:
    // In memory that is not cleared first: it is overwritten at once.
    ConversionResult Read()
    {
        m_copy.reset(new uint8_t[m_size]);
        size_t done = 0;
        while (done < m_size) {
            const DWORD want = static_cast<DWORD>(std::min<size_t>(kReadChunkBytes, m_size - done));
            DWORD got = 0;
            if (!ReadFile(m_file.get(), m_copy.get() + done, want, &got, nullptr) || got == 0) {
                return kConversionSourceUnreadable;
            }
            done += got;
        }
        return kConversionOk;
    }

    UniqueFile m_file;
    const uint8_t* m_view = nullptr;
    std::unique_ptr<uint8_t[]> m_copy;
    size_t m_size = 0;
};

ConversionResult ResultOf(CodecError error)
{
    switch (error) {
    case CodecError::None: return kConversionOk;
    case CodecError::Damaged: return kConversionDamaged;
    case CodecError::TooLarge: return kConversionTooLarge;
    case CodecError::WriteFailed: return kConversionCannotWrite;
    }
    return kConversionDamaged;
}

int Convert(const char* name, Converter convert) noexcept
{
    try {
        const std::optional<std::wstring> source = BareName(name);
        if (!source) {
            return kConversionSourceUnreadable;
        }
        const std::wstring produced = ProducedName<wchar_t>(Upper(*source));
        Source bytes;
        if (ConversionResult result = bytes.Open(*source); result != kConversionOk) {
            return result;
        }
        ReplacingFile temp(L"", L"~conv-");
        if (!temp.Created()) {
            return kConversionCannotWrite;
        }
        if (CodecError error = convert(bytes.bytes(), temp); error != CodecError::None) {
            return ResultOf(error);
        }
        bytes.Release();  // the source is not needed while the file is moved
        // Flushed before it replaces the old result: after a power cut, the file reads back whole
        // or not at all, never as zeros.
        return temp.Commit(produced, true) ? kConversionOk : kConversionCannotWrite;
    } catch (const std::bad_alloc&) {
        return kConversionTooLarge;
    } catch (...) {
        return kConversionDamaged;
    }
}

}  // namespace

}  // namespace kavlor

extern "C" int __stdcall BmpToJpg(char* fileName, int /*reserved*/)
{
    return kavlor::Convert(fileName, kavlor::ToJpeg);
}

extern "C" int __stdcall JpgToBmp(char* fileName, int /*reserved*/)
{
    return kavlor::Convert(fileName, kavlor::ToBmp);
}
