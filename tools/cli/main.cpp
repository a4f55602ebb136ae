// tq36-cli: the meter from the command line, on the program's core alone (no display needed).
#include <cstdio>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "Commands.h"
#include "records/FileSizeLimit.h"

int main(int argc, char* argv[]) {
    IgnoreFileSizeSignal();
    const std::vector<std::string> args(argv, argv + argc);
    const Cli::Parsed parsed = Cli::Parse(args);
    if (!parsed.options) {
        std::fprintf(stderr, "tq36-cli: %s\n\n%s", parsed.error.c_str(), Cli::UsageText().c_str());
        return Cli::Usage;
    }
    const Cli::Options& options = *parsed.options;
    if (options.help) {
        std::printf("%s", Cli::UsageText().c_str());
        return Cli::Ok;
    }
    Cli::CatchStopSignals();
    if (options.command == "ports") return Cli::Ports();
    if (options.command == "read") return Cli::Read(options);
    if (options.command == "record") return Cli::Record(options);
    return Cli::Download(options);
}
