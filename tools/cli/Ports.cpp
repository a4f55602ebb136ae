#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "CommandSupport.h"
#include "Commands.h"
#include "serial/SerialDevices.h"

namespace Cli {

int Ports() {
    const std::vector<SerialDeviceInfo> devices = SerialDevices::List();
    for (const SerialDeviceInfo& d : devices) {
        std::string access = "OK";
        if (!d.accessible) access = "no access: " + d.accessNote;
        char com[16];
        std::snprintf(com, sizeof com, "COM %-3d  ", d.com);
        std::string target = d.target;
        target.resize(std::max<std::size_t>(target.size(), 24), ' ');
        if (!PrintLine(com + target + " " + (d.product.empty() ? "" : d.product + "  ") + access)) return Io;
    }
    if (devices.empty() && !PrintLine("no serial device found")) return Io;
    return Ok;
}

}  // namespace Cli
