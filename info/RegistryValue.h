// Decoding of a registry value into the text the About window's registry reader returns.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kavlor {

// Registry value types with a meaning of their own here (the platform's REG_SZ and REG_DWORD).
inline constexpr uint32_t kRegistryString = 1;
inline constexpr uint32_t kRegistryDword = 4;

// Applies the data of a value of `type` to `text`. `buffer` is what the query filled and
// `reportedSize` the byte count it reported.
void ApplyRegistryValue(uint32_t type, std::string_view buffer, size_t reportedSize, std::string& text);

}  // namespace kavlor
