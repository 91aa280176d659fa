// The picture owns its bitmap and palette and deletes both when its last reference goes; the
// file owner knows one empty value.
#include <gtest/gtest.h>

#include "base/MappedFile_win.h"
#include "base/Picture.h"
#include "tests/app/DocumentTestSupport_win.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor {
namespace {

HPALETTE OneEntryPalette()
{
    struct {
        WORD version = 0x300;
        WORD count = 1;
        PALETTEENTRY entry{1, 2, 3, 0};
    } record;
    return CreatePalette(reinterpret_cast<LOGPALETTE*>(&record));
}

TEST(Picture, LastReferenceDeletesBitmapAndPalette)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 8);
    ReleaseDC(nullptr, screen);
    HPALETTE palette = OneEntryPalette();
    ASSERT_NE(GetObjectType(bitmap), 0u);
    ASSERT_NE(GetObjectType(palette), 0u);

    PicturePtr picture = Picture::Create(UniqueBitmap(bitmap), UniquePalette(palette));
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->SizePixels().cx, 16);
    EXPECT_EQ(picture->SizePixels().cy, 8);
    EXPECT_EQ(picture->Handle(), static_cast<int32_t>(reinterpret_cast<uintptr_t>(bitmap)));

    PicturePtr second = picture;
    picture.reset();
    EXPECT_NE(GetObjectType(bitmap), 0u) << "deleted while a reference remained";
    second.reset();
    EXPECT_EQ(GetObjectType(bitmap), 0u);
    EXPECT_EQ(GetObjectType(palette), 0u);
}

TEST(Picture, NoBitmapGivesNoPictureAndReleasesThePalette)
{
    HPALETTE palette = OneEntryPalette();
    EXPECT_FALSE(Picture::Create(UniqueBitmap{}, UniquePalette(palette)));
    EXPECT_EQ(GetObjectType(palette), 0u);
}

// CreateFile fails with INVALID_HANDLE_VALUE, not null: the owner of a file that did not open is
// empty all the same.
TEST(Handles, AFileThatDidNotOpenIsNoFile)
{
    UniqueFile missing(
        CreateFileW(L"C:\\no such folder\\no such file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.get(), nullptr);
}

// Nobody may write the file while its bytes are read.
TEST(MappedFile, NobodyWritesTheFileWhileItsBytesAreInUse)
{
    test::TempDir dir;
    const std::wstring path = dir.file(L"bytes.bin");
    test::WriteBytes(path, {1, 2, 3});
    auto openForWriting = [&] {
        return UniqueFile(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr));
    };
    MappedFile file(path);
    ASSERT_EQ(file.bytes().size(), 3u);
    EXPECT_EQ(file.bytes()[2], 3);
    EXPECT_FALSE(openForWriting());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    file.Unmap();
    EXPECT_TRUE(openForWriting());
}

}  // namespace
}  // namespace kavlor
