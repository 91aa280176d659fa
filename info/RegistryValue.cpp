// Registry value decoding: string values, the "&h" text of a DWORD, other types ignored.
#include "info/RegistryValue.h"

#include <algorithm>

namespace kavlor {

// The data is cut to the reported size, and one zero byte at its end goes too: that is the
// terminator of a string written with it, and a value written without one keeps every byte.
// A DWORD loses its most significant byte in the same way when that byte is zero, so
// 0x00000105 reads as "&h015"; nobody reads such a text as a number, the callers look for
// program paths.
//
// A string replaces `text`; a DWORD appends one to two upper-case hex digits per byte, most
// significant first, and then puts "&h" in front of everything; any other type leaves `text`
// as it was.
void ApplyRegistryValue(uint32_t type, std::string_view buffer, size_t reportedSize, std::string& text)
{
    std::string_view data = buffer.substr(0, std::min(reportedSize, buffer.size()));
    if (!data.empty() && data.back() == '\0') {
        data.remove_suffix(1);
    }
    if (type == kRegistryString) {
        text.assign(data);
    } else if (type == kRegistryDword) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        for (auto it = data.rbegin(); it != data.rend(); ++it) {
            auto byte = static_cast<unsigned char>(*it);
            if (byte >= 0x10) {
                text += kDigits[byte >> 4];
            }
            text += kDigits[byte & 0x0F];
        }
        text.insert(0, "&h");
    }
}

}  // namespace kavlor
