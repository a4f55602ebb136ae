#include "TempPortsFolder.h"

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "serial/PortNames.h"

TempPortsFolder::TempPortsFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tq36-ports-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (!mkdtemp(buffer.data())) throw std::runtime_error("no temporary folder");
    path_ = buffer.data();
    setenv("TQ36_PORTS_DIR", path_.c_str(), 1);
}

TempPortsFolder::~TempPortsFolder() {
    unsetenv("TQ36_PORTS_DIR");
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void TempPortsFolder::LinkMissing(int number) const {
    std::string target = path_ + "/no-such-device";
    if (symlink(target.c_str(), PortNames::AliasPath(number).c_str()) != 0) {
        throw std::runtime_error("no alias link");
    }
}
