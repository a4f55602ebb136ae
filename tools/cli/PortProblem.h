#pragma once

#include <optional>
#include <string>

// Why a port did not open, told so that the user knows what to do next.
namespace Cli {

struct PortProblem {
    int status;        // the exit status that goes with it
    std::string text;  // one line, without the program's name
};

// COM `com` resolves to `path` (nothing: the number resolves to no device) and failed to open with
// the system's error `code`.
PortProblem ExplainOpenFailure(int com, const std::optional<std::string>& path, long code);

}  // namespace Cli
