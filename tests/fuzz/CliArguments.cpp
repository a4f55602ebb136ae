// tq36-cli's command line through its parser: whatever it accepts is a command it can run, with
// every value inside the range the commands rely on.
//
// Input: the arguments after the program's name, separated by NUL bytes.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args = Fuzz::Fields(data, size, '\0');
    args.insert(args.begin(), "tq36-cli");
    const Cli::Parsed parsed = Cli::Parse(args);
    Fuzz::Require(parsed.options.has_value() == parsed.error.empty(), "either options or the reason why not");
    if (!parsed.options) return 0;
    const Cli::Options& o = *parsed.options;
    if (o.help || o.version) return 0;
    Fuzz::Require(o.command == "ports" || o.command == "read" || o.command == "record" || o.command == "download" ||
                      o.command == "publish" || o.command == "convert",
                  "a known command");
    Fuzz::Require(o.command == "ports" || o.command == "convert" || (o.com >= 1 && o.com <= 256),
                  "a COM number from 1 to 256");
    Fuzz::Require(o.command != "record" || !o.out.empty(), "record has a file");
    Fuzz::Require((o.command == "convert") == !o.file.empty(), "convert, and only convert, has a file to read");
    Fuzz::Require(!o.date || o.command == "convert", "a date only for convert");
    Fuzz::Require(o.interval >= 1 && o.interval <= 86400, "an interval from 1 s to a day");
    Fuzz::Require(!o.count || (*o.count >= 1 && *o.count <= 1'000'000'000), "a count from 1 to 10^9");
    // The recording's limit and its description count whole seconds in a long.
    Fuzz::Require(!o.durationSeconds || (std::isfinite(*o.durationSeconds) && *o.durationSeconds > 0 &&
                                         *o.durationSeconds < static_cast<double>(std::numeric_limits<long>::max())),
                  "a duration is a positive number of seconds a long holds");
    Fuzz::Require(!o.startSeconds || (*o.startSeconds >= 0 && *o.startSeconds < 86400), "a start time in the day");
    return 0;
}
