#include "PortProblem.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "CliOptions.h"
#include "serial/SerialDevices.h"

namespace Cli {

namespace {

// What the driver records for a port that this program already holds.
constexpr long PortInUse = -1;

const std::string ListHint = "'tq36-cli ports' lists the ports there are";

}  // namespace

PortProblem ExplainOpenFailure(int com, const std::optional<std::string>& path, long code) {
    const std::string port = "COM " + std::to_string(com);
    if (!path) return {NoPort, port + ": no such port: no device has this number; " + ListHint};
    const std::string where = port + " (" + *path + ")";
    switch (code) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return {NoPort, where + ": no such port: the device is not there (is the adapter plugged in?); " +
                                ListHint};
        case EBUSY:
        case EWOULDBLOCK:
        case PortInUse:
            return {Busy, where + ": busy: another program has the port open; end it and try again"};
        case EACCES:
        case EPERM:
            return {NoPermission, where + ": " + SerialDevices::PermissionAdvice(*path)};
        case ENOTTY:
            return {NoPort, where + ": not a serial port; " + ListHint};
        default:
            return {NoPort, where + ": could not be opened: " + std::strerror(static_cast<int>(code))};
    }
}

}  // namespace Cli
