// The text that names a printer in the default-printer setting: device,driver,port.
#pragma once
#include <string>
#include <string_view>

namespace kavlor {

// "device,driver,port", joined by single commas with nothing added around them.
std::wstring PrinterEntry(std::wstring_view device, std::wstring_view driver, std::wstring_view port);

// The driver and port of a printer as the system's list of devices holds them ("driver,port";
// the port itself may contain commas).
struct DriverAndPort {
    std::wstring driver;
    std::wstring port;
    bool operator==(const DriverAndPort&) const = default;
};
DriverAndPort SplitDeviceValue(std::wstring_view value);

}  // namespace kavlor
