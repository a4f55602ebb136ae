#include "PlotOptions.h"

#include <getopt.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

namespace PlotCli {

namespace {

std::optional<long> Whole(std::string_view text, long min, long max) {
    long value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() || value < min || value > max) {
        return std::nullopt;
    }
    return value;
}

bool IsNumber(const std::string& text) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && ec == std::errc() && ptr == text.data() + text.size();
}

}  // namespace

std::optional<std::string> KindOf(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return std::nullopt;
    std::string ending = path.substr(dot + 1);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (ending == "png" || ending == "svg" || ending == "pdf") return ending;
    return std::nullopt;
}

Parsed Parse(const std::vector<std::string>& args) {
    enum { OptOut = 1000, OptRecords, OptMin, OptMax, OptSize, OptForce, OptVersion };
    static const option Long[] = {
        {"out", required_argument, nullptr, OptOut},
        {"records", required_argument, nullptr, OptRecords},
        {"min", required_argument, nullptr, OptMin},
        {"max", required_argument, nullptr, OptMax},
        {"size", required_argument, nullptr, OptSize},
        {"force", no_argument, nullptr, OptForce},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, OptVersion},
        {nullptr, 0, nullptr, 0},
    };
    std::vector<std::string> copies(args);
    std::vector<char*> argv;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    Options options;
    std::string error;
    const auto fail = [&](std::string why) {
        if (error.empty()) error = std::move(why);
    };
    optind = 0;  // a fresh scan, also when called again
    opterr = 0;
    int c;
    while ((c = getopt_long(static_cast<int>(copies.size()), argv.data(), "h", Long, nullptr)) != -1) {
        const std::string value = optarg ? optarg : "";
        switch (c) {
            case OptOut:
                options.out = value;
                break;
            case OptRecords: {
                const std::size_t dash = value.find('-');
                if (dash == std::string::npos || !Whole(value.substr(0, dash), 0, 2147483647L) ||
                    !Whole(value.substr(dash + 1), 0, 2147483647L)) {
                    fail("--records takes R1-R2, two record numbers: " + value);
                }
                options.firstRecord = value.substr(0, dash);
                options.lastRecord = dash == std::string::npos ? "" : value.substr(dash + 1);
                break;
            }
            case OptMin:
            case OptMax:
                if (!IsNumber(value))
                    fail(std::string(c == OptMin ? "--min" : "--max") + " takes a temperature: " + value);
                (c == OptMin ? options.min : options.max) = value;
                break;
            case OptSize: {
                const std::size_t x = value.find('x');
                const auto width = Whole(value.substr(0, x), MinWidth, MaxSide);
                const auto height =
                    x == std::string::npos ? std::nullopt : Whole(value.substr(x + 1), MinHeight, MaxSide);
                if (!width || !height) {
                    fail("--size takes WxH in pixels, at least " + std::to_string(MinWidth) + "x" +
                         std::to_string(MinHeight) + ": " + value);
                } else {
                    options.width = int(*width);
                    options.height = int(*height);
                }
                break;
            }
            case OptForce:
                options.force = true;
                break;
            case 'h':
                options.help = true;
                break;
            case OptVersion:
                options.version = true;
                break;
            default:
                fail("unknown option or missing value: " +
                     std::string(argv[optind - 1] ? argv[optind - 1] : ""));
        }
    }
    if (options.help || options.version) return {options, ""};
    for (int i = optind; i < static_cast<int>(copies.size()); ++i) {
        // getopt_long has moved the operands behind the options, in argv only.
        const std::string operand = argv[static_cast<std::size_t>(i)];
        if (options.file.empty()) {
            options.file = operand;
        } else {
            fail("one record file only: " + operand);
        }
    }
    if (options.file.empty()) fail("which record file? tq36-cli plot FILE --out OUT.png");
    if (options.out.empty())
        fail("--out OUT.png, OUT.svg or OUT.pdf is needed");
    else if (!KindOf(options.out))
        fail("--out ends in .png, .svg or .pdf: " + options.out);
    if (!error.empty()) return {std::nullopt, error};
    return {options, ""};
}

std::string UsageText() {
    return "usage: tq36-cli plot FILE --out OUT.png|OUT.svg|OUT.pdf [options]\n"
           "Draws a record file or a saved list as the plot window draws it, without a display.\n"
           "\n"
           "  --out OUT         the picture; its ending says the kind: .png, .svg or .pdf\n"
           "  --records R1-R2   records R1 to R2 only, counted from 1 (default: all)\n"
           "  --min T           the temperature at the bottom (default: the unit's lowest)\n"
           "  --max T           the temperature at the top (default: the unit's highest)\n"
           "  --size WxH        the picture in pixels (default 427x395, the plot window's;\n"
           "                    at least 420x391)\n"
           "  --force           replace OUT when it exists\n"
           "  -h, --help        this text\n"
           "  --version         the version\n"
           "\n"
           "The unit is the first record's; the ranges are checked as the Plot Range dialog\n"
           "checks them.\n"
           "\n"
           "Exit status: 0 the picture was written; 64 bad arguments or a range that is refused;\n"
           "66 FILE cannot be opened or holds no records; 73 OUT exists (give --force) or is not a\n"
           "regular file; 74 OUT could not be written, or FILE could not be read to its end; 130\n"
           "stopped by SIGINT, SIGTERM or SIGHUP (OUT is not written).\n";
}

}  // namespace PlotCli
