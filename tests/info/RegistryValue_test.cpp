// Registry values turned into text: the size cut, the one dropped zero byte, DWORD text.
#include <gtest/gtest.h>

#include <string>

#include "info/RegistryValue.h"

namespace kavlor {
namespace {

using namespace std::string_literals;

TEST(RegistryValueDecode, Table)
{
    struct Row {
        const char* name;
        uint32_t type;
        std::string buffer;
        size_t reportedSize;
        std::string before;
        std::string after;
    };
    const Row rows[] = {
        {"string loses its terminator", kRegistryString, "C:\\x.exe\0\0\0"s, 9, "old", "C:\\x.exe"},
        {"only one zero byte is dropped", kRegistryString, "ab\0\0\0"s, 4, "", "ab\0"s},
        {"string without terminator keeps every byte", kRegistryString, "abcdef"s, 4, "", "abcd"},
        {"no data gives the empty text", kRegistryString, std::string(8, '\0'), 0, "old", ""},
        {"size beyond the buffer stops at its end", kRegistryString, "abc"s, 10, "", "abc"},
        {"dword most significant byte first", kRegistryDword, "\x05\x01\x00\x1A"s, 4, "", "&h1A015"},
        {"dword zero high byte is dropped", kRegistryDword, "\x05\x01\x00\x00"s, 4, "", "&h015"},
        {"dword appends to the text it gets", kRegistryDword, "\xFF\x0A\x00\x10"s, 4, "x", "&hx100AFF"},
        {"dword without data", kRegistryDword, ""s, 0, "", "&h"},
        {"expandable string leaves the text", 2, "C:\\x.exe\0"s, 9, "old", "old"},
        {"multi-string leaves the text", 7, "a\0b\0\0"s, 5, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::string text = row.before;
        ApplyRegistryValue(row.type, row.buffer, row.reportedSize, text);
        EXPECT_EQ(text, row.after);
    }
}

}  // namespace
}  // namespace kavlor
