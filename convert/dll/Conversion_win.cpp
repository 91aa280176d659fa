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

#include "convert/codec/ImageFile.h"
#include "base/Handles.h"
#include "base/ReplacingFile_win.h"
#include "convert/ConversionNames.h"
#include "convert/codec/Codec.h"
#include "convert/dll/Conversion.h"

namespace kavlor {

namespace {

// No BMP of the largest picture allowed (32 bits a pixel) is larger; bigger sources are refused
// unread.
constexpr uint64_t kMaxSourceBytes = kMaxPicturePixels * 4 + (1 << 20);
constexpr DWORD kReadChunkBytes = 16 << 20;

using Converter = CodecError (*)(std::span<const uint8_t>, const ByteSink&);

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

// The whole file, in memory that is not cleared first (it is overwritten at once).
struct Source {
    std::unique_ptr<uint8_t[]> bytes;
    size_t size = 0;
};

ConversionResult ReadSource(const std::wstring& name, Source& source)
{
    UniqueFile file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    // Only files on disk: a device name such as CON would wait for input forever.
    if (!file || GetFileType(file.get()) != FILE_TYPE_DISK) {
        return kConversionSourceUnreadable;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        return kConversionSourceUnreadable;
    }
    if (static_cast<uint64_t>(size.QuadPart) > kMaxSourceBytes) {
        return kConversionTooLarge;
    }
    source.size = static_cast<size_t>(size.QuadPart);
    source.bytes.reset(new uint8_t[source.size]);
    size_t done = 0;
    while (done < source.size) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(kReadChunkBytes, source.size - done));
        DWORD got = 0;
        if (!ReadFile(file.get(), source.bytes.get() + done, want, &got, nullptr) || got == 0) {
            return kConversionSourceUnreadable;
        }
        done += got;
    }
    return kConversionOk;
}

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
        if (ConversionResult result = ReadSource(*source, bytes); result != kConversionOk) {
            return result;
        }
        ReplacingFile temp(L"", L"~conv-");
        if (!temp.Created()) {
            return kConversionCannotWrite;
        }
        const ByteSink sink = [&temp](const uint8_t* data, size_t size) { return temp.Write(data, size); };
        if (CodecError error = convert(std::span(bytes.bytes.get(), bytes.size), sink); error != CodecError::None) {
            return ResultOf(error);
        }
        bytes = Source();  // the source is not needed while the file is moved
        return temp.Commit(produced, false) ? kConversionOk : kConversionCannotWrite;
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
    return kavlor::Convert(fileName, kavlor::ConvertBmpToJpeg);
}

extern "C" int __stdcall JpgToBmp(char* fileName, int /*reserved*/)
{
    return kavlor::Convert(fileName, kavlor::ConvertJpegToBmp);
}
