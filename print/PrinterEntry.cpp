// Printer entries of the default-printer window.
#include "print/PrinterEntry.h"

namespace kavlor {

std::wstring PrinterEntry(std::wstring_view device, std::wstring_view driver, std::wstring_view port)
{
    std::wstring entry;
    entry.reserve(device.size() + driver.size() + port.size() + 2);
    entry.append(device).append(L",").append(driver).append(L",").append(port);
    return entry;
}

DriverAndPort SplitDeviceValue(std::wstring_view value)
{
    size_t comma = value.find(L',');
    if (comma == std::wstring_view::npos) {
        return {std::wstring(value), {}};
    }
    return {std::wstring(value.substr(0, comma)), std::wstring(value.substr(comma + 1))};
}

}  // namespace kavlor
