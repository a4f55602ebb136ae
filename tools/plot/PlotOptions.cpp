#include "PlotOptions.h"

#include <getopt.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <string_view>

#include "graphs/PlotAxis.h"

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

// A sign, digits and a decimal point, nothing else: what the range dialog reads a temperature as
// and nothing it would read otherwise ("1e3" is 1 to it, "inf" 0), so that the check and the
// plot take the one value the user sees.
bool IsPlainNumber(std::string_view text) {
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) text.remove_prefix(1);
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto digits = [](std::string_view part) {
        return std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    return whole.size() + fraction.size() > 0 && digits(whole) && digits(fraction);
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
    enum { OptOut = 1000, OptRecords, OptMin, OptMax, OptSize, OptTitle, OptDate, OptLikeWindow, OptForce, OptVersion };
    static const option Long[] = {
        {"out", required_argument, nullptr, OptOut},
        {"records", required_argument, nullptr, OptRecords},
        {"min", required_argument, nullptr, OptMin},
        {"max", required_argument, nullptr, OptMax},
        {"size", required_argument, nullptr, OptSize},
        {"title", required_argument, nullptr, OptTitle},
        {"date", required_argument, nullptr, OptDate},
        {"like-window", no_argument, nullptr, OptLikeWindow},
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
                const auto first = Whole(value.substr(0, dash), 1, 2147483647L);
                const auto last = dash == std::string::npos ? std::nullopt : Whole(value.substr(dash + 1), 1, 2147483647L);
                if (!first || !last || *first >= *last) {
                    fail("--records takes R1-R2, two record numbers counted from 1, R1 below R2: " + value);
                }
                options.firstRecord = value.substr(0, dash);
                options.lastRecord = dash == std::string::npos ? "" : value.substr(dash + 1);
                break;
            }
            case OptMin:
            case OptMax:
                if (!IsPlainNumber(value))
                    fail(std::string(c == OptMin ? "--min" : "--max") +
                         " takes a temperature as a plain number, such as -20 or 150.5 (no exponent, inf or nan): " +
                         value);
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
            case OptTitle:
                options.title = value;
                break;
            case OptDate:
                options.firstDay = PlotAxis::DayOf(value);
                if (!options.firstDay) fail("--date takes a day as YYYY-MM-DD, not '" + value + "'");
                break;
            case OptLikeWindow:
                options.likeWindow = true;
                break;
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
    if (options.likeWindow && (!options.title.empty() || options.firstDay))
        fail("--like-window draws the plot window's chart, which has no title and no dates: leave out --title and --date");
    if (!error.empty()) return {std::nullopt, error};
    return {options, ""};
}

std::string UsageText() {
    return "usage: tq36-cli plot FILE --out OUT.png|OUT.svg|OUT.pdf [options]\n"
           "Draws a record file or a saved list as a picture for a report, without a display: the\n"
           "temperature axis scaled to the readings on a round step, time labels on whole minutes or\n"
           "hours, the captions \"Temperature (\u00B0C)\" and \"Time\", and for two channels a legend.\n"
           "\n"
           "  --out OUT          the picture; its ending says the kind: .png, .svg or .pdf\n"
           "  --title TEXT       a title above the chart\n"
           "  --date YYYY-MM-DD  the first record's day: dates under the time labels, the day going\n"
           "                     on where the time of day goes back by more than 12 hours (midnight),\n"
           "                     as convert --date counts them\n"
           "  --records R1-R2    records R1 to R2 only, counted from 1 (default: all)\n"
           "  --min T            the temperature at the bottom (default: below the lowest reading)\n"
           "  --max T            the temperature at the top (default: above the highest reading)\n"
           "  --size WxH         the picture in pixels (default 427x395, at least 420x391); text and\n"
           "                     lines grow with it: at 1281x1185 they are three times as large\n"
           "  --like-window      draw it as the plot window does instead (the unit's whole range by\n"
           "                     default, the window's labels and font); no --title or --date\n"
           "  --force            replace OUT when it exists\n"
           "  -h, --help         this text\n"
           "  --version          the version\n"
           "\n"
           "The unit is the first record's; the ranges are checked as the Plot Range dialog\n"
           "checks them. T is a plain number (a sign, digits and a decimal point). A mark (OL, -OL,\n"
           "----) leaves a gap in the curve; the plot window draws it at the chart's edge.\n"
           "\n"
           "Exit status: 0 the picture was written; 64 bad arguments or a range that is refused;\n"
           "66 FILE cannot be opened or holds no records; 73 OUT exists (give --force) or is not a\n"
           "regular file; 74 OUT could not be written, or FILE could not be read to its end; 130\n"
           "stopped by SIGINT, SIGTERM or SIGHUP (OUT is not written).\n";
}

}  // namespace PlotCli
