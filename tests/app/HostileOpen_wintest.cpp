// Hostile files through the main window's open command and its real dialog: each ends in a
// picture or in a Chinese message saying why, and a failure keeps the picture shown before.
#include <windows.h>

#include <gtest/gtest.h>

#include "app/Texts.h"
#include "app/resource.h"
#include "tests/app/DocumentTestSupport_win.h"
#include "tests/convert/HostileDriver_win.h"
#include "tests/win/TestSupport_win.h"

namespace kavlor::test {
namespace {

constexpr size_t kCases = 240;
constexpr size_t kParts = 4;  // each part one test, well inside the time a test may take

const std::pair<const wchar_t*, const char*> kReasons[] = {
    {texts::kImageMissing, "missing"},          {texts::kImageUnreadable, "unreadable"},
    {texts::kImageUnknownKind, "unknown kind"}, {texts::kImageDamaged, "damaged"},
    {texts::kImageTooLarge, "too large"},       {texts::kImageOutOfMemory, "out of memory"},
};

class HostileOpen : public MainWindowTest {
protected:
    void RunPart(size_t part)
    {
        TempDir dir;
        Command(ID_buzuockou);  // a picture to keep
        HostileTally tally;
        std::vector<HostileFile> files = HostileSample(kCases);
        files.push_back(LargestPlainBmp());
        for (size_t i = part; i < files.size(); i += kParts) {
            const HostileFile& file = files[i];
            SCOPED_TRACE(file.label);
            const std::wstring path = dir.file(HostileFileName(i, file));
            WriteHostileFile(path, file);
            const PicturePtr before = window().Picture1().GetPicture();
            MessageBoxAnswerer answer(texts::kNoticeTitle);
            FileDialogDriver driver(path);
            const double start = Seconds();
            Command(ID_open);
            const double seconds = Seconds() - start;
            ASSERT_TRUE(driver.seen());
            const PicturePtr after = window().Picture1().GetPicture();
            if (after != before) {
                ASSERT_TRUE(after);
                EXPECT_GT(after->SizePixels().cx, 0);
                EXPECT_FALSE(answer.answered()) << answer.text();
                EXPECT_EQ(window().State().CurrentImagePath, path);
                tally.Add("picture", file.label, seconds);
            } else {
                ASSERT_TRUE(answer.answered());
                const std::wstring text = answer.text();
                EXPECT_EQ(text.rfind(std::wstring(texts::kCannotOpenImage) + L"\n" + path + L"\n\n", 0), 0u)
                    << file.label;
                std::string reason = "message without a reason";
                for (const auto& [wording, name] : kReasons) {
                    if (text.ends_with(wording)) {
                        reason = name;
                    }
                }
                EXPECT_NE(reason, "message without a reason");
                // A header claiming more than the limit is refused as such, before any decoding.
                if (file.label.find("claiming") != std::string::npos) {
                    EXPECT_EQ(reason, "too large");
                }
                tally.Add("message: " + reason, file.label, seconds);
            }
            DeleteFileW(path.c_str());
        }
        const double peakMb = tally.Print(("open, part " + std::to_string(part + 1)).c_str(), true);
        // The largest picture allowed, 100 megapixels, is decoded straight into the screen's
        // 32-bit format: some 400 MB. More than 640 MB would mean a second copy of it or of its
        // 300 MB file, or memory held on to.
        EXPECT_LT(peakMb, 640);
    }
};

TEST_F(HostileOpen, Part1)
{
    RunPart(0);
}

TEST_F(HostileOpen, Part2)
{
    RunPart(1);
}

TEST_F(HostileOpen, Part3)
{
    RunPart(2);
}

TEST_F(HostileOpen, Part4)
{
    RunPart(3);
}

}  // namespace
}  // namespace kavlor::test
