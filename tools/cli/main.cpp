// tq36-cli: the meter from the command line, on the program's core alone (no display needed).
#include <cstdio>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "CommandSupport.h"
#include "Commands.h"
#include "records/FileSizeLimit.h"

int main(int argc, char* argv[]) {
    IgnoreFileSizeSignal();
    const std::vector<std::string> args(argv, argv + argc);
    if (args.size() > 1 && args[1] == "plot") return Cli::Plot(args);
    const Cli::Parsed parsed = Cli::Parse(args);
    if (!parsed.options) {
        std::fprintf(stderr, "tq36-cli: %s\ntry 'tq36-cli --help'\n", parsed.error.c_str());
        return Cli::Usage;
    }
    const Cli::Options& options = *parsed.options;
    if (options.help || options.version) {
        // Longer than stdio's buffer, the text is partly written before the end: a failure then
        // must be kept for the status too.
        Cli::WriteOutput(options.help ? Cli::UsageText() : Cli::VersionText());
        return Cli::FinishOutput(Cli::Ok);
    }
    Cli::CatchStopSignals();
    if (options.command == "ports") return Cli::FinishOutput(Cli::Ports());
    if (options.command == "read") return Cli::FinishOutput(Cli::Read(options));
    if (options.command == "record") return Cli::FinishOutput(Cli::Record(options));
    if (options.command == "convert") return Cli::FinishOutput(Cli::Convert(options));
    if (options.command == "publish") return Cli::FinishOutput(Cli::Publish(options));
    return Cli::FinishOutput(Cli::Download(options));
}
