#include "SimOptions.h"

#include <charconv>
#include <random>
#include <utility>

#include "LoggerMemory.h"

namespace {

std::optional<long> ParseWhole(const std::string& text, long min, long max) {
    long v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || v < min || v > max)
        return std::nullopt;
    return v;
}

std::optional<double> ParseSeconds(const std::string& text) {
    auto v = ParseDecimal(text);
    if (!v || *v < 0.0) return std::nullopt;
    return v;
}

std::optional<Gap> ParseGap(const std::string& text) {
    auto colon = text.find(':');
    if (colon == std::string::npos) return std::nullopt;
    auto start = ParseSeconds(text.substr(0, colon));
    auto length = ParseSeconds(text.substr(colon + 1));
    if (!start || !length) return std::nullopt;
    return Gap{*start, *length};
}

ParseOutcome Failure(std::string error) {
    ParseOutcome out;
    out.status = ParseOutcome::Status::Error;
    out.error = std::move(error);
    return out;
}

// Settings wait until the whole line is read: the unit comes first, then the default temperatures in
// that unit, then the rest in the order given.
std::string ApplySettings(MeterSettings& settings,
                          const std::vector<std::pair<std::string, std::string>>& given) {
    std::vector<std::pair<std::string, std::string>> ordered;
    for (const auto& s : given)
        if (s.first == "unit") ordered.push_back(s);
    ordered.push_back({"t1", "23.5"});
    ordered.push_back({"t2", "21.0"});
    for (const auto& s : given)
        if (s.first != "unit") ordered.push_back(s);
    for (const auto& [key, value] : ordered) {
        std::string problem = settings.Apply(key, value);
        if (!problem.empty()) return problem;
    }
    return {};
}

}  // namespace

std::string UsageText() {
    std::string text =
        "usage: tq36-metersim --com N [options]\n"
        "Links a pseudo-terminal as COM<N> in the alias folder and behaves like the TQ36 meter.\n"
        "  --channels 1|2       input channels (2)\n"
        "  --unit C|F|K         unit of the readings (C)\n"
        "  --type K|J|E|T|R|S|N thermocouple type (K)\n"
        "  --t1 V, --t2 V       readings in the unit, or OL, -OL, ---- (23.5 and 21.0)\n"
        "  --wave sine|none     let the readings swing around their values (none)\n"
        "  --rate HZ            frames per second (2)\n"
        "  --silent-after S     stop sending frames S seconds after start\n"
        "  --gap START:LEN      no frames for LEN seconds from START (repeatable)\n"
        "  --garbage P          probability of a stray byte before a frame (0)\n"
        "  --strays N           exactly N stray bytes in each gap between frames, as from a poor\n"
        "                       adapter: each 02 or 03 with a chance of 1/3 apiece, else any byte (0)\n"
        "  --strays-at before|after|around|pause\n"
        "                       where they go: right before each frame and written with it, right\n"
        "                       after it, split at random between the two, or alone in the middle of\n"
        "                       the pause between frames (before)\n"
        "  --seed N             seed for the stray bytes\n"
        "  --script FILE        timed changes, lines 'SECONDS SETTING VALUE' (e.g. '5 channels 1'); a\n"
        "                       SETTING is channels, unit, type, t1, t2, wave, rate, garbage, strays\n"
        "                       or strays-at\n"
        "  --memory FILE        logger memory: the raw used bytes, from the first set marker on\n"
        "  --sets I:R[:FLAGS][,...]\n"
        "                       logger memory generated as sets of interval I s with R records; FLAGS in\n"
        "                       any order: 1 or 2 channels, m for some readings OL, -OL or ----, C, F or\n"
        "                       K unit (otherwise as the meter is set)\n"
        "  --logger full|empty  logger memory full to its 62083 bytes, or holding nothing; full is\n"
        "                       --sets ";
    text += LoggerMemory::FullSets;
    text +=
        "\n"
        "  --frame-before-answers N\n"
        "                       send a whole live frame before the answer to each of the first N\n"
        "                       commands A and U (0)\n"
        "  --dump-short N       the answer to A claims N bytes more than the answer to U carries, as\n"
        "                       after a set cut short by a power loss (0)\n"
        "  --hang-up-after K    hang up after the first K bytes of the answer to U, once the PC has\n"
        "                       read them, as an adapter pulled out during a download; then end\n"
        "  --baud N             pace everything sent at N/10 bytes per second\n"
        "  --exit-after S       end by itself after S seconds\n"
        "  --help               this text\n";
    return text;
}

ParseOutcome ParseOptions(const std::vector<std::string>& args) {
    ParseOutcome out;
    SimOptions& o = out.options;
    std::vector<std::pair<std::string, std::string>> settings;
    std::optional<std::string> memoryFile, scriptFile, sets, logger;
    std::optional<long> seed;
    bool haveCom = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out.status = ParseOutcome::Status::Help;
            return out;
        }
        if (arg.rfind("--", 0) != 0) return Failure("unexpected argument '" + arg + "'");
        std::string name = arg.substr(2);
        bool known = MeterSettings::IsSetting(name) || name == "com" || name == "silent-after" ||
                     name == "gap" || name == "script" || name == "memory" || name == "sets" ||
                     name == "logger" || name == "frame-before-answers" || name == "baud" ||
                     name == "exit-after" || name == "seed" || name == "dump-short" ||
                     name == "hang-up-after";
        if (!known) return Failure("unknown option '" + arg + "'");
        if (i + 1 >= args.size()) return Failure("option '" + arg + "' needs a value");
        const std::string& value = args[++i];

        if (MeterSettings::IsSetting(name)) {
            settings.push_back({name, value});
        } else if (name == "com") {
            auto com = ParseWhole(value, 1, 256);
            if (!com) return Failure("--com must be a COM number from 1 to 256, not '" + value + "'");
            o.com = static_cast<int>(*com);
            haveCom = true;
        } else if (name == "silent-after" || name == "exit-after") {
            auto s = ParseSeconds(value);
            if (!s) return Failure(arg + " must be a number of seconds, not '" + value + "'");
            (name == "silent-after" ? o.silentAfter : o.exitAfter) = *s;
        } else if (name == "gap") {
            auto gap = ParseGap(value);
            if (!gap) return Failure("--gap must be START:LEN in seconds, not '" + value + "'");
            o.gaps.push_back(*gap);
        } else if (name == "baud") {
            auto baud = ParseWhole(value, 10, 4000000);
            if (!baud) return Failure("--baud must be a bit rate such as 9600, not '" + value + "'");
            o.baud = static_cast<int>(*baud);
        } else if (name == "frame-before-answers") {
            auto count = ParseWhole(value, 0, 1000000);
            if (!count)
                return Failure("--frame-before-answers must be a number of commands, not '" + value + "'");
            o.framesBeforeAnswers = static_cast<int>(*count);
        } else if (name == "dump-short") {
            auto count = ParseWhole(value, 0, 0xFFFFFF);
            if (!count) return Failure("--dump-short must be a number of bytes, not '" + value + "'");
            o.dumpShort = static_cast<std::size_t>(*count);
        } else if (name == "hang-up-after") {
            auto count = ParseWhole(value, 0, 0xFFFFFF);
            if (!count) return Failure("--hang-up-after must be a number of bytes, not '" + value + "'");
            o.hangUpAfter = static_cast<std::size_t>(*count);
        } else if (name == "logger") {
            if (value != "full" && value != "empty")
                return Failure("--logger must be full or empty, not '" + value + "'");
            logger = value;
        } else if (name == "seed") {
            seed = ParseWhole(value, 0, 0xFFFFFFFFL);
            if (!seed) return Failure("--seed must be a whole number, not '" + value + "'");
        } else {
            (name == "script" ? scriptFile : name == "memory" ? memoryFile : sets) = value;
        }
    }

    if (!haveCom) return Failure("--com N is required");
    if (std::string problem = ApplySettings(o.settings, settings); !problem.empty()) return Failure(problem);
    std::vector<std::string> memorySources;
    if (memoryFile) memorySources.push_back("--memory");
    if (sets) memorySources.push_back("--sets");
    if (logger) memorySources.push_back("--logger");
    if (memorySources.size() > 1)
        return Failure(memorySources[0] + " and " + memorySources[1] + " cannot both give the logger memory");
    if (logger == "full") sets = LoggerMemory::FullSets;

    std::string error;
    if (memoryFile) {
        auto image = LoggerMemory::ReadImageFile(*memoryFile, error);
        if (!image) return Failure(error);
        o.memory = std::move(*image);
    }
    if (sets) {
        auto parsed = LoggerMemory::ParseSets(*sets, error);
        if (!parsed) return Failure(error);
        o.memory = LoggerMemory::BuildImage(*parsed, o.settings);
    }
    if (scriptFile) {
        auto script = ReadScriptFile(*scriptFile, o.settings, error);
        if (!script) return Failure(error);
        o.script = std::move(*script);
    }
    o.seed = seed ? static_cast<std::uint32_t>(*seed) : std::random_device{}();
    out.status = ParseOutcome::Status::Run;
    return out;
}
