#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "CommandSupport.h"
#include "Commands.h"

namespace Cli {

// Drawing needs Qt's GUI library and the fonts, which tq36-cli (a service on machines without a
// desktop) does without: plot hands its arguments to the drawing program that is installed with
// it, at the same place relative to tq36-cli in the build folder as when installed.
int Plot(const std::vector<std::string>& args) {
    std::string self(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", self.data(), self.size() - 1);
    self.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    const std::string program = self.substr(0, self.rfind('/') + 1) + TQ36_PLOT_FROM_CLI;
    std::vector<char*> argv{const_cast<char*>("tq36-cli")};
    for (std::size_t i = 2; i < args.size(); ++i) argv.push_back(const_cast<char*>(args[i].c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    Say("tq36-cli: plot cannot start its drawing program " + program + ": " + std::strerror(errno));
    return NoMeter;
}

}  // namespace Cli
