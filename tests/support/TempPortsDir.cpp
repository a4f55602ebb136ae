#include "TempPortsDir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "serial/PortNames.h"

TempPortsDir::TempPortsDir() {
    if (const char* old = std::getenv("TQ36_PORTS_DIR")) previous_ = old;
    std::string pattern = (std::filesystem::temp_directory_path() / "tq36-ports-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) throw std::runtime_error("cannot create a folder like " + pattern);
    path_ = name.data();
    setenv("TQ36_PORTS_DIR", path_.c_str(), 1);
}

TempPortsDir::~TempPortsDir() {
    if (previous_)
        setenv("TQ36_PORTS_DIR", previous_->c_str(), 1);
    else
        unsetenv("TQ36_PORTS_DIR");
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void TempPortsDir::LinkMissing(int number) const {
    const std::string link = PortNames::AliasPath(number);
    const std::string target = path_ + "/no-such-device";
    unlink(link.c_str());
    if (symlink(target.c_str(), link.c_str()) != 0) throw std::runtime_error("cannot link " + link);
}
