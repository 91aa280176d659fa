// The name a conversion gives its result: the rule shared by the converter window and by
// conversion.dll.
#pragma once
#include <string>
#include <string_view>

namespace kavlor {

// Whether an entry name (already upper case) converts from BMP to JPEG: its last three
// characters are "BMP". Every other name converts from JPEG to BMP.
template <typename Char>
bool ConvertsToJpeg(std::basic_string_view<Char> entryName)
{
    const size_t n = entryName.size();
    return n >= 3 && entryName[n - 3] == Char('B') && entryName[n - 2] == Char('M') && entryName[n - 1] == Char('P');
}

// The produced name of an entry name (already upper case): the name less its last four
// characters, then ".JPG" for a BMP entry and ".BMP" for any other. "A.JPEG" gives "A..BMP",
// "PHOTOBMP" gives "PHOT.JPG", and a name of four characters or fewer keeps only the extension.
template <typename Char>
std::basic_string<Char> ProducedName(std::basic_string_view<Char> entryName)
{
    const size_t n = entryName.size();
    std::basic_string<Char> name(entryName.substr(0, n >= 4 ? n - 4 : 0));
    const char* extension = ConvertsToJpeg(entryName) ? ".JPG" : ".BMP";
    for (const char* c = extension; *c != '\0'; ++c) {
        name.push_back(static_cast<Char>(*c));
    }
    return name;
}

}  // namespace kavlor
