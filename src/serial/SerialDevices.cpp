#include "serial/SerialDevices.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "serial/ComPortAPI.h"
#include "serial/PortNames.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// Walks up from the tty's sysfs device to the USB device that carries product and serial.
void AddUsbDetails(SerialDeviceInfo& info) {
    std::error_code ec;
    fs::path device = fs::canonical(fs::path("/sys/class/tty") / fs::path(info.target).filename() / "device", ec);
    for (fs::path dir = device; !ec && !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
        if (fs::exists(dir / "idVendor", ec)) {
            std::string maker = ReadFirstLine(dir / "manufacturer");
            std::string product = ReadFirstLine(dir / "product");
            info.product = maker.empty() ? product : product.empty() ? maker : maker + " " + product;
            info.serial = ReadFirstLine(dir / "serial");
            return;
        }
    }
}

void AddAccess(SerialDeviceInfo& info) {
    if (access(info.path.c_str(), R_OK | W_OK) == 0) {
        info.accessible = true;
        return;
    }
    const int err = errno;
    info.accessNote = err == EACCES ? SerialDevices::PermissionAdvice(info.path) : std::strerror(err);
}

// Legacy ttyS nodes exist whether or not a UART is behind them; sysfs tells the port type.
bool IsLegacyNodeWithoutUart(const std::string& target) {
    const std::string name = fs::path(target).filename().string();
    if (name.rfind("ttyS", 0) != 0) return false;
    return ReadFirstLine(fs::path("/sys/class/tty") / name / "type") == "0";
}

}  // namespace

namespace SerialDevices {

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

SerialDeviceInfo Describe(int com, const std::string& path, bool viaAlias) {
    SerialDeviceInfo info;
    info.com = com;
    info.path = path;
    info.viaAlias = viaAlias;
    std::error_code ec;
    fs::path target = fs::canonical(path, ec);
    info.target = ec ? path : target.string();
    AddUsbDetails(info);
    info.byId = PortNames::ByIdNameOf(info.target).value_or("");
    AddAccess(info);
    return info;
}

std::vector<SerialDeviceInfo> List() {
    std::vector<SerialDeviceInfo> devices;
    for (int com = 1; com <= ComPortAPI::MaxPort; ++com) {
        auto path = PortNames::DevicePath(com);
        if (!path) continue;
        std::error_code ec;
        if (!fs::exists(*path, ec)) continue;
        const bool viaAlias = *path == PortNames::AliasPath(com);
        SerialDeviceInfo info = Describe(com, *path, viaAlias);
        if (!IsLegacyNodeWithoutUart(info.target)) devices.push_back(std::move(info));
    }
    return devices;
}

}  // namespace SerialDevices
