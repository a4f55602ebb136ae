#pragma once

#include <optional>
#include <string>

// COM numbers are what the user sees; this maps them to Linux device paths.
// A symlink COM<n> in the alias folder wins; otherwise a fixed table covers the usual devices:
// COM1-32 -> /dev/ttyUSB0-31, COM33-64 -> /dev/ttyACM0-31, COM65-96 -> /dev/ttyS0-31.
namespace PortNames {

// $TQ36_PORTS_DIR when set and not empty, else ~/.config/tq36/ports.
std::string AliasFolder();

// Path of the alias link for a COM number (whether or not it exists).
std::string AliasPath(int com);

// The fixed-table device for a COM number, or nothing for numbers outside 1 to 96.
std::optional<std::string> TablePath(int com);

// The device a COM number resolves to: the alias link when it exists (even dangling, so that
// opening it reports the missing device), else the table entry; nothing for other numbers.
std::optional<std::string> DevicePath(int com);

// The device a port name stands for: "COM7" (any case, also as "\\.\COM7") resolves like
// COM 7, a name that is already a path ("/dev/serial/by-id/...") is that path, anything else
// is nothing.
std::optional<std::string> DevicePathOfName(const std::string& name);

// USB serial adapters keep a stable name in the by-id folder whatever node they get:
// $TQ36_SERIAL_BY_ID_DIR when set and not empty, else /dev/serial/by-id.
std::string ByIdFolder();

// The name of the by-id link that leads to `device` (a path with links followed), if any.
std::optional<std::string> ByIdNameOf(const std::string& device);

// The device the by-id link `name` leads to now, links followed; nothing while it is gone.
std::optional<std::string> ByIdDevice(const std::string& name);

}  // namespace PortNames
