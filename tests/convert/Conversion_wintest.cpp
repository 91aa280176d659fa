// conversion.dll as the converter loads it: plain export names, conversions in the current
// directory, the documented results, and nothing left behind by a failed call.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/Bmp.h"
#include "convert/dll/Conversion.h"
#include "tests/app/DocumentTestSupport_win.h"
#include "tests/convert/TestPictures.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

using ConvertFunction = decltype(&BmpToJpg);

class ConversionDll : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_library = LoadLibraryW((TestProgramDir() + L"\\..\\app\\conversion.dll").c_str());
        ASSERT_NE(m_library, nullptr);
        m_bmpToJpg = reinterpret_cast<ConvertFunction>(reinterpret_cast<void*>(GetProcAddress(m_library, "BmpToJpg")));
        m_jpgToBmp = reinterpret_cast<ConvertFunction>(reinterpret_cast<void*>(GetProcAddress(m_library, "JpgToBmp")));
        ASSERT_NE(m_bmpToJpg, nullptr);
        ASSERT_NE(m_jpgToBmp, nullptr);
        GetCurrentDirectoryW(MAX_PATH, m_previous);
        ASSERT_TRUE(SetCurrentDirectoryW(m_dir.path().c_str()));
    }
    void TearDown() override
    {
        SetCurrentDirectoryW(m_previous);
        if (m_library) {
            FreeLibrary(m_library);
        }
    }
    int Call(ConvertFunction function, const char* name, int reserved = 0)
    {
        std::string buffer(name);  // the library may write into the caller's buffer
        return function(buffer.data(), reserved);
    }
    std::vector<std::wstring> Files() const
    {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found{};
        HANDLE search = FindFirstFileW(m_dir.file(L"*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
            if (found.cFileName[0] != L'.') {
                names.push_back(found.cFileName);
            }
        }
        FindClose(search);
        return names;
    }

    TempDir m_dir;
    HMODULE m_library = nullptr;
    ConvertFunction m_bmpToJpg = nullptr;
    ConvertFunction m_jpgToBmp = nullptr;
    wchar_t m_previous[MAX_PATH] = L"";
};

TEST_F(ConversionDll, ExportsArePlainNamesAndConvertBothWaysInTheCurrentDirectory)
{
    EXPECT_EQ(GetProcAddress(m_library, "BmpToJpg@8"), nullptr);
    EXPECT_EQ(GetProcAddress(m_library, "_BmpToJpg@8"), nullptr);
    const Raster photo = PhotoLike(160, 120);
    WriteBytes(m_dir.file(L"PHOTO.BMP"), EncodeBmp(photo, {}));
    ASSERT_EQ(Call(m_bmpToJpg, "PHOTO.BMP"), kConversionOk);
    ASSERT_TRUE(MoveFileW(m_dir.file(L"PHOTO.JPG").c_str(), m_dir.file(L"BACK.JPEG").c_str()));
    ASSERT_EQ(Call(m_jpgToBmp, "BACK.JPEG", 7), kConversionOk);  // A.JPEG gives A..BMP
    Raster back;
    ASSERT_EQ(ReadBmp(ReadBytes(m_dir.file(L"BACK..BMP")), back), CodecError::None);
    EXPECT_GE(Psnr(photo, back), 38);
    // A name in lower case is named by the same rule in upper case, so the result never lands on
    // its source ("shot.bmp" would give "shot.BMP").
    const std::vector<uint8_t> lower = EncodeBmp(PhotoLike(8, 8), {});
    WriteBytes(m_dir.file(L"shot.bmp"), lower);
    ASSERT_EQ(Call(m_bmpToJpg, "shot.bmp"), kConversionOk);
    EXPECT_EQ(ReadBytes(m_dir.file(L"shot.bmp")), lower);
    const std::vector<std::wstring> files = Files();
    EXPECT_EQ(files.size(), 5u);
    EXPECT_NE(std::find(files.begin(), files.end(), L"SHOT.JPG"), files.end());
}

TEST_F(ConversionDll, FailuresReturnTheirCodeAndLeaveTheOldResultAndNoTemporaryFile)
{
    std::vector<uint8_t> huge = EncodeBmp(PhotoLike(4, 4), {});
    huge[19] = 0x9C;  // 4 + 0x9C00 = 39,940 pixels wide
    WriteBytes(m_dir.file(L"BAD.BMP"), {'B', 'M', 0, 0});
    WriteBytes(m_dir.file(L"HUGE.BMP"), huge);
    WriteBytes(m_dir.file(L"TEXT.JPG"), {'n', 'o', 't', ' ', 'j', 'p', 'e', 'g'});
    WriteBytes(m_dir.file(L"GOOD.BMP"), EncodeBmp(PhotoLike(8, 8), {}));
    ASSERT_TRUE(CreateDirectoryW(m_dir.file(L"GOOD.JPG").c_str(), nullptr));  // the result cannot go there
    const std::vector<uint8_t> old{'o', 'l', 'd'};
    WriteBytes(m_dir.file(L"BAD.JPG"), old);
    const struct {
        bool toJpeg;
        const char* name;
        int result;
    } rows[] = {
        {true, "MISSING.BMP", kConversionSourceUnreadable},
        {false, "..\\ELSEWHERE.JPG", kConversionSourceUnreadable},
        {false, "CON", kConversionSourceUnreadable},
        {false, "", kConversionSourceUnreadable},
        {true, "BAD.BMP", kConversionDamaged},
        {false, "TEXT.JPG", kConversionDamaged},
        {true, "HUGE.BMP", kConversionTooLarge},
        {true, "GOOD.BMP", kConversionCannotWrite},
    };
    const size_t before = Files().size();
    for (const auto& row : rows) {
        EXPECT_EQ(Call(row.toJpeg ? m_bmpToJpg : m_jpgToBmp, row.name), row.result) << row.name;
    }
    EXPECT_EQ(ReadBytes(m_dir.file(L"BAD.JPG")), old);
    EXPECT_EQ(Files().size(), before) << "a failed call leaves no file";
}

}  // namespace
}  // namespace kavlor::test
