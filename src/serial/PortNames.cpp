#include "serial/PortNames.h"

#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string_view>

namespace fs = std::filesystem;

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

std::optional<std::string> DevicePathOfName(const std::string& name) {
    if (name.empty()) return std::nullopt;
    if (name.front() == '/') return name;
    std::string_view rest(name);
    if (rest.starts_with("\\\\.\\")) rest.remove_prefix(4);
    if (rest.size() < 4 || rest.size() > 6) return std::nullopt;
    for (int i = 0; i < 3; ++i) {
        if (std::toupper(static_cast<unsigned char>(rest[i])) != "COM"[i]) return std::nullopt;
    }
    int com = 0;
    for (char c : rest.substr(3)) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
        com = com * 10 + (c - '0');
    }
    return DevicePath(com);
}

std::string ByIdFolder() {
    const char* dir = std::getenv("TQ36_SERIAL_BY_ID_DIR");
    return dir && *dir ? dir : "/dev/serial/by-id";
}

std::optional<std::string> ByIdNameOf(const std::string& device) {
    std::error_code ec;
    for (const auto& link : fs::directory_iterator(ByIdFolder(), ec)) {
        std::error_code unresolved;
        if (fs::canonical(link.path(), unresolved) == fs::path(device)) return link.path().filename().string();
    }
    return std::nullopt;
}

std::optional<std::string> ByIdDevice(const std::string& name) {
    std::error_code ec;
    fs::path device = fs::canonical(fs::path(ByIdFolder()) / name, ec);
    if (ec) return std::nullopt;
    return device.string();
}

}  // namespace PortNames
