#include "serial/PortNames.h"

#include <sys/stat.h>

#include <cstdlib>

namespace PortNames {

std::string AliasFolder() {
    const char* dir = std::getenv("TQ36_PORTS_DIR");
    if (dir && *dir) return dir;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/tq36/ports";
}

std::string AliasPath(int com) { return AliasFolder() + "/COM" + std::to_string(com); }

std::optional<std::string> TablePath(int com) {
    if (com >= 1 && com <= 32) return "/dev/ttyUSB" + std::to_string(com - 1);
    if (com >= 33 && com <= 64) return "/dev/ttyACM" + std::to_string(com - 33);
    if (com >= 65 && com <= 96) return "/dev/ttyS" + std::to_string(com - 65);
    return std::nullopt;
}

std::optional<std::string> DevicePath(int com) {
    std::string alias = AliasPath(com);
    struct stat st;
    if (lstat(alias.c_str(), &st) == 0) return alias;
    return TablePath(com);
}

}  // namespace PortNames
