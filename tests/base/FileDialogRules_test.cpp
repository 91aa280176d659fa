// The file dialogs' filter text and default-extension rule.
#include "base/FileDialogRules.h"

#include <gtest/gtest.h>

#include <string>

namespace kavlor {
namespace {

using namespace std::string_literals;

TEST(FileDialogRules, FilterPartsBecomeNulSeparatedPairs)
{
    const struct {
        std::wstring filter;
        std::wstring native;
    } rows[] = {
        {L"BMP文件(*.BMP)|*.BMP", L"BMP文件(*.BMP)\0*.BMP\0"s},
        {L"*.bmp", L"*.bmp\0*.bmp\0"s},  // a lone text is its own pattern
        {L"A|*.a|B|*.b", L"A\0*.a\0B\0*.b\0"s},
        {L"A|*.a|*.b", L"A\0*.a\0*.b\0*.b\0"s},
        {L"", L""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(NativeFilter(row.filter), row.native) << row.filter.size();
    }
}

TEST(FileDialogRules, DefaultExtensionOnlyForNamesWithoutOne)
{
    const struct {
        const wchar_t* path;
        const wchar_t* ext;
        const wchar_t* result;
    } rows[] = {
        {L"C:\\pics\\shot", L"bmp", L"C:\\pics\\shot.bmp"},
        {L"C:\\pics\\shot.jpg", L"bmp", L"C:\\pics\\shot.jpg"},
        {L"C:\\pics\\shot.", L"bmp", L"C:\\pics\\shot."},
        {L"C:\\my.pics\\shot", L"bmp", L"C:\\my.pics\\shot.bmp"},  // the folder's dot does not count
        {L"C:/my.pics/shot", L".bmp", L"C:/my.pics/shot.bmp"},
        {L"C:\\pics\\shot", L"", L"C:\\pics\\shot"},
        {L"C:\\pics\\", L"bmp", L"C:\\pics\\"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(WithDefaultExtension(row.path, row.ext), row.result) << row.path;
    }
}

TEST(FileDialogRules, SaveTypeComesFromThePngOrJpegExtensionElseFromTheFilter)
{
    const struct {
        const wchar_t* path;
        SaveType chosen;
        const wchar_t* result;
        SaveType type;
    } rows[] = {
        {L"C:\\my.pics\\shot", SaveType::Png, L"C:\\my.pics\\shot.png", SaveType::Png},
        {L"C:\\pics\\shot.PNG", SaveType::Bmp, L"C:\\pics\\shot.PNG", SaveType::Png},
        {L"C:\\pics\\shot.Jpeg", SaveType::Png, L"C:\\pics\\shot.Jpeg", SaveType::Jpeg},
        {L"C:\\pics\\shot.png.txt", SaveType::Bmp, L"C:\\pics\\shot.png.txt", SaveType::Bmp},
    };
    for (const auto& row : rows) {
        const SaveTarget target = SaveTargetFor(row.path, row.chosen);
        EXPECT_EQ(target.path, row.result);
        EXPECT_EQ(target.type, row.type) << row.path;
    }
}

}  // namespace
}  // namespace kavlor
