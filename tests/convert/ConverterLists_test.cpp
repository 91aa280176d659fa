// The converter window's texts: chosen files, extension keys, captions and entry plans.
#include "convert/ConverterLists.h"

#include <gtest/gtest.h>

namespace kavlor {
namespace {

using namespace std::string_literals;

TEST(ConverterLists, ChosenFilesFromTheDialogResult)
{
    struct Row {
        std::wstring result;  // zero-separated, ended by an empty text
        ChosenFiles expected;
    };
    const Row rows[] = {
        {L"D:\\pics\\a.bmp\0\0"s, {L"D:\\pics", {L"a.bmp"}, true}},
        {L"D:\\a.bmp\0\0"s, {L"D:\\", {L"a.bmp"}, true}},
        {L"D:\\my pics\0A.BMP\0my photo 1.bmp\0图片 2.bmp\0\0"s,
         {L"D:\\my pics", {L"A.BMP", L"my photo 1.bmp", L"图片 2.bmp"}, false}},
        {L"D:\\\0b.jpg\0a.jpg\0\0"s, {L"D:\\", {L"b.jpg", L"a.jpg"}, false}},
        {L"D:\\pics\\\0a.jpg\0b.jpg\0\0"s, {L"D:\\pics", {L"a.jpg", L"b.jpg"}, false}},
        {L"\0"s, {L"", {}, false}},
    };
    for (const Row& row : rows) {
        ChosenFiles chosen = ParseChosenFiles(row.result);
        EXPECT_EQ(chosen.folder, row.expected.folder);
        EXPECT_EQ(chosen.names, row.expected.names);
        EXPECT_EQ(chosen.single, row.expected.single);
    }
    EXPECT_EQ(EntryPath(L"D:\\", L"a.bmp"), L"D:\\a.bmp");
    EXPECT_EQ(EntryPath(L"D:\\pics", L"a.bmp"), L"D:\\pics\\a.bmp");
}

TEST(ConverterLists, KeysCaptionsAndPlans)
{
    struct Row {
        std::wstring upperName;
        std::wstring key;
        DirectionCaptions captions;
        EntryPlan plan;
    };
    const Row rows[] = {
        {L"A.BMP", L"BMP", {L"BMP图片文件", L"JPG图片文件", L"BMP To JPG"}, EntryPlan::BmpToJpg},
        {L"PHOTO.JPG", L"JPG", {L"JPG图片文件", L"BMP图片文件", L"JPG To BMP"}, EntryPlan::JpgToBmp},
        {L"X.JPEG", L"PEG", {L"PEG图片文件", L"BMP图片文件", L"JPG To BMP"}, EntryPlan::JpgToBmp},
        {L"PHOTOBMP", L"BMP", {L"BMP图片文件", L"JPG图片文件", L"BMP To JPG"}, EntryPlan::BmpToJpg},
        {L"ABC", L"ABC", {L"ABC图片文件", L"BMP图片文件", L"JPG To BMP"}, EntryPlan::TooShort},
        {L"AB", L"AB", {L"AB图片文件", L"BMP图片文件", L"JPG To BMP"}, EntryPlan::TooShort},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ExtensionKey(row.upperName), row.key);
        EXPECT_EQ(CaptionsFor(row.key), row.captions);
        EXPECT_EQ(PlanEntry(row.upperName), row.plan);
    }
}

// a.bmp and a.jpg listed together would each destroy the other; B.JPG is another file that is
// already there; an entry too short to produce anything replaces nothing.
TEST(ConverterLists, OverwritesOfARun)
{
    const std::vector<std::wstring> entries = {L"A.BMP", L"A.JPG", L"B.BMP", L"C.JPG", L"AB"};
    const std::vector<std::wstring> produced = {L"A.JPG", L"A.BMP", L"B.JPG", L"C.BMP", L""};
    auto taken = [](const std::wstring& name) {
        return name == L"A.JPG" || name == L"A.BMP" || name == L"B.JPG" ? NameTaken::ByLongName : NameTaken::No;
    };
    EXPECT_EQ(FindOverwrites(entries, produced, taken),
              (std::vector<Overwrite>{Overwrite::Entry, Overwrite::Entry, Overwrite::ExistingFile, Overwrite::Nothing,
                                      Overwrite::Nothing}));
}

}  // namespace
}  // namespace kavlor
