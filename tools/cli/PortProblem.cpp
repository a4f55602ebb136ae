#include "PortProblem.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "CliOptions.h"

namespace Cli {

namespace {

// What the driver records for a port that this program already holds.
constexpr long PortInUse = -1;

const std::string ListHint = "'tq36-cli ports' lists the ports there are";

}  // namespace

std::string PermissionAdvice(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return "permission denied";
    const group* g = getgrgid(st.st_gid);
    const std::string groupName = g ? g->gr_name : std::to_string(st.st_gid);
    // Joining the group helps only when the group may read and write, and root's group is no
    // group to join.
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP) && st.st_gid != 0) {
        return "permission denied; join the group '" + groupName + "' (sudo usermod -aG " + groupName +
               " $USER) and log in again";
    }
    const passwd* owner = getpwuid(st.st_uid);
    char mode[8];
    std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
    return "permission denied; only " + std::string(owner ? owner->pw_name : "its owner") +
           " may open this device (mode " + mode + ", group '" + groupName +
           "'); a udev rule that gives it a group you are in, for example GROUP=\"dialout\", MODE=\"0660\", "
           "lets you open it";
}

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
            return {NoPermission, where + ": " + PermissionAdvice(*path)};
        case ENOTTY:
            return {NoPort, where + ": not a serial port; " + ListHint};
        default:
            return {NoPort, where + ": could not be opened: " + std::strerror(static_cast<int>(code))};
    }
}

}  // namespace Cli
