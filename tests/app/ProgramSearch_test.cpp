// Folders searched for a program started by name: never the current directory.
#include "app/ProgramSearch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kavlor {
namespace {

using Folders = std::vector<std::wstring>;

TEST(ProgramSearch, SystemFoldersThenAbsolutePathEntriesWithoutRepeats)
{
    const struct {
        const wchar_t* path;
        Folders expected;
    } rows[] = {
        {L"", {L"C:\\windows\\system32", L"C:\\windows"}},
        {L"D:\\tools;E:\\bin\\", {L"C:\\windows\\system32", L"C:\\windows", L"D:\\tools", L"E:\\bin\\"}},
        {L".;;bin;C:tools;\\tools;D:\\tools", {L"C:\\windows\\system32", L"C:\\windows", L"D:\\tools"}},
        {L"C:\\WINDOWS\\System32\\;C:\\windows;D:\\a;d:\\A", {L"C:\\windows\\system32", L"C:\\windows", L"D:\\a"}},
        {L" \"D:\\Program Files\\x\" ;\\\\server\\share",
         {L"C:\\windows\\system32", L"C:\\windows", L"D:\\Program Files\\x", L"\\\\server\\share"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ProgramSearchFolders(L"C:\\windows\\system32", L"C:\\windows", row.path), row.expected) << row.path;
    }
}

}  // namespace
}  // namespace kavlor
