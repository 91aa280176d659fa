// A folder of hostile files through the converter's real open dialog, conversion run and
// conversion.dll: every entry converts or is reported, with the reason the codec gives its bytes,
// and nothing is left behind for a failed entry, neither a result nor a temporary file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <atomic>
#include <cwchar>
#include <map>
#include <set>
#include <thread>

#include "app/ImageFile_win.h"
#include "app/Texts.h"
#include "codec/Codec.h"
#include "tests/convert/ConverterDriver_win.h"
#include "tests/convert/HostileDriver_win.h"

namespace kavlor::test {
namespace {

using W = ConverterWindow;
constexpr size_t kCases = 300;

// What the library must answer for the file: what the codec makes of its bytes, or too large
// for a file longer than any picture allowed.
const wchar_t* ExpectedReason(const HostileFile& file)
{
    if (file.fileBytes > file.bytes.size()) {
        return texts::kReasonTooLarge;
    }
    const ByteSink ignore = [](const uint8_t*, size_t) { return true; };
    switch (file.jpeg ? ConvertJpegToBmp(file.bytes, ignore) : ConvertBmpToJpeg(file.bytes, ignore)) {
    case CodecError::None: return nullptr;
    case CodecError::TooLarge: return texts::kReasonTooLarge;
    default: return texts::kReasonDamaged;
    }
}

std::wstring Upper(std::wstring text)
{
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

TEST_F(ConverterTest, HostileFolderConvertsOrReportsEachEntryAndLeavesNoPartialFile)
{
    TempDir pictures;
    const std::vector<HostileFile> files = HostileSample(kCases);
    std::wstring typed;
    std::set<std::wstring> expectedFiles;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::wstring name = HostileFileName(i, files[i]);
        WriteHostileFile(pictures.file(name), files[i]);
        typed += L"\"" + name + L"\" ";
        expectedFiles.insert(Upper(name));
    }
    Choose(pictures.path(), typed);
    const std::vector<std::wstring> sources = Entries(W::List1);
    ASSERT_EQ(sources.size(), files.size());

    // Entries end where the result list grows, which the busy window answers between entries.
    std::atomic<bool> done{false};
    std::vector<std::pair<double, size_t>> entryEnds{{Seconds(), 0}};  // when the result list reached a count
    std::thread watcher([&] {
        DWORD_PTR last = 0;
        while (!done) {
            DWORD_PTR count = 0;
            if (SendMessageTimeoutW(Item(W::List2), LB_GETCOUNT, 0, 0, SMTO_BLOCK, 1000, &count) && count != last) {
                entryEnds.push_back({Seconds(), count});
                last = count;
            }
            Sleep(2);  // sampling another thread's window
        }
    });
    const double start = Seconds();
    const std::wstring report = Run();
    const double seconds = Seconds() - start;
    done = true;
    watcher.join();

    // Entry by entry: a result file exactly when the codec takes the bytes, and it is a whole
    // picture.
    const std::vector<std::wstring> produced = Entries(W::List2);
    ASSERT_EQ(produced.size(), files.size());
    HostileTally tally;
    std::map<std::wstring, const wchar_t*> failedReasons;
    for (size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(files[i].label);
        const wchar_t* reason = ExpectedReason(files[i]);
        const std::wstring result = pictures.file(produced[i]);
        const bool exists = GetFileAttributesW(result.c_str()) != INVALID_FILE_ATTRIBUTES;
        EXPECT_EQ(exists, reason == nullptr);
        if (exists) {
            EXPECT_TRUE(LoadPictureFile(result).picture);
            expectedFiles.insert(Upper(produced[i]));
            tally.Add("converted", files[i].label, 0);
        } else {
            failedReasons[Upper(sources[i])] = reason;
            tally.Add(reason == texts::kReasonTooLarge ? "reported: too large" : "reported: damaged", files[i].label,
                      0);
        }
    }
    for (size_t i = 1; i < entryEnds.size(); ++i) {
        if (const size_t count = std::min(entryEnds[i].second, files.size()); count > 0) {
            tally.Timed(files[count - 1].label, entryEnds[i].first - entryEnds[i - 1].first);
        }
    }
    std::printf("converter run of %zu entries: %.1f s\n", files.size(), seconds);

    // The report names the failed entries with their reasons, the first ones by name.
    std::vector<std::wstring> lines;
    for (size_t from = 0, to; from <= report.size(); from = to + 1) {
        to = std::min(report.find(L'\n', from), report.size());
        lines.push_back(report.substr(from, to - from));
    }
    if (failedReasons.empty()) {
        EXPECT_EQ(report, L"");
    } else {
        ASSERT_EQ(lines.front(), texts::kConversionFailures);
        size_t reported = 0;
        for (size_t i = 1; i < lines.size(); ++i) {
            const std::wstring& line = lines[i];
            if (line.rfind(texts::kMoreFailuresBefore, 0) == 0) {
                reported += std::stoul(line.substr(std::wcslen(texts::kMoreFailuresBefore)));
                continue;
            }
            const size_t colon = line.rfind(L": ");
            ASSERT_NE(colon, std::wstring::npos);
            auto failed = failedReasons.find(line.substr(0, colon));
            ASSERT_NE(failed, failedReasons.end());
            EXPECT_EQ(line.substr(colon + 2), failed->second);
            ++reported;
        }
        EXPECT_EQ(reported, failedReasons.size());
    }
    // Nothing else in the folder: no temporary file, no result of a failed entry.
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(pictures.file(L"*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            EXPECT_TRUE(expectedFiles.count(Upper(found.cFileName)))
                << "left behind: " << std::wstring(found.cFileName);
        }
    }
    FindClose(search);
    EXPECT_TRUE(IsWindowEnabled(Item(W::Command1)));
    // The largest picture allowed, 100 megapixels, is held decoded while it is converted and
    // previewed: some 700 MB. More than a gigabyte would mean memory held on to.
    EXPECT_LT(tally.Print("converter run"), 1024);
}

}  // namespace
}  // namespace kavlor::test
