#include "TempPortsDir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "serial/PortNames.h"

namespace {

constexpr const char* ByIdVariable = "TQ36_SERIAL_BY_ID_DIR";

void Restore(const char* variable, const std::optional<std::string>& value) {
    if (value)
        setenv(variable, value->c_str(), 1);
    else
        unsetenv(variable);
}

}  // namespace

TempPortsDir::TempPortsDir() {
    if (const char* old = std::getenv("TQ36_PORTS_DIR")) previous_ = old;
    if (const char* old = std::getenv(ByIdVariable)) previousById_ = old;
    std::string pattern = (std::filesystem::temp_directory_path() / "tq36-ports-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) throw std::runtime_error("cannot create a folder like " + pattern);
    path_ = name.data();
    setenv("TQ36_PORTS_DIR", path_.c_str(), 1);
    const std::string byId = path_ + "/by-id";
    mkdir(byId.c_str(), 0755);
    setenv(ByIdVariable, byId.c_str(), 1);
}

TempPortsDir::~TempPortsDir() {
    Restore("TQ36_PORTS_DIR", previous_);
    Restore(ByIdVariable, previousById_);
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempPortsDir::LinkMissing(int number) const {
    const std::string link = PortNames::AliasPath(number);
    const std::string target = path_ + "/no-such-device";
    unlink(link.c_str());
    if (symlink(target.c_str(), link.c_str()) != 0) throw std::runtime_error("cannot link " + link);
}

void TempPortsDir::LinkById(const std::string& name, const std::string& device) const {
    const std::string link = path_ + "/by-id/" + name;
    unlink(link.c_str());
    if (symlink(device.c_str(), link.c_str()) != 0) throw std::runtime_error("cannot link " + link);
}
