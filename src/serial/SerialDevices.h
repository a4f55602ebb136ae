#pragma once

#include <string>
#include <vector>

// What the "Serial Devices" window lists: every COM number that resolves to an existing device,
// with what Linux knows about it and whether this user may open it.
struct SerialDeviceInfo {
    int com = 0;
    std::string path;          // as resolved (the alias link or the table's device)
    std::string target;        // the device the path leads to after following links
    bool viaAlias = false;
    std::string product;       // USB product / manufacturer, when sysfs knows it
    std::string serial;        // USB serial number, when known
    std::string byId;          // the /dev/serial/by-id name that leads to it, when any
    bool accessible = false;   // this user may read and write it
    std::string accessNote;    // why not, and the fix
};

namespace SerialDevices {

std::vector<SerialDeviceInfo> List();

// Why this user may not open the device at `path`, and the fix: the group to join when the
// device's group may read and write it (and is not root's), otherwise a udev rule that gives it
// such a group.
std::string PermissionAdvice(const std::string& path);

// Describes one device path (exposed for tests).
SerialDeviceInfo Describe(int com, const std::string& path, bool viaAlias);

}  // namespace SerialDevices
