#include "CliOptions.h"

#include <getopt.h>

#include <charconv>
#include <cstring>
#include <limits>
#include <string_view>

#include "graphs/PlotAxis.h"
#include "logger/LoggerFormat.h"
#include "records/LineText.h"

namespace Cli {

namespace {

std::optional<long> Whole(const char* text, long min, long max) {
    long value = 0;
    const char* end = text + std::strlen(text);
    const auto [ptr, ec] = std::from_chars(text, end, value);
    if (ec != std::errc() || ptr != end || value < min || value > max) return std::nullopt;
    return value;
}

// Text as MQTT takes it in a topic or client id: well-formed UTF-8 without control characters or
// non-characters. libmosquitto refuses anything else, and only later, with a misleading reason.
bool MqttText(const std::string& text) {
    const std::optional<std::u32string> characters = LineText::Utf8Characters(text);
    if (!characters) return false;
    for (const char32_t code : *characters) {
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F)) return false;
        if ((code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE) return false;
    }
    return true;
}

// A topic of MQTT is at most this long, in bytes; the broker drops the connection that sends a
// longer one, and libmosquitto refuses it with a reason that names the last will.
constexpr std::size_t MaxTopicBytes = 65535;
// What publish puts after the prefix at most, and around the device id in a discovery topic.
constexpr std::string_view LongestTopicEnd = "/availability";
constexpr std::string_view LongestDiscoveryTopic = "homeassistant/sensor/_t1_t2/config";

// YYYY-MM-DD, a day of the calendar, as plot reads it too.
std::optional<std::chrono::sys_days> Day(const char* text) {
    const std::optional<long> day = PlotAxis::DayOf(text);
    if (!day) return std::nullopt;
    return std::chrono::sys_days(std::chrono::days(*day));
}

// The delimiters a spreadsheet offers in its text import: none of them is part of a number, a
// timestamp or a mark. A TAB may be given as the word, being hard to type.
std::optional<char> DelimiterOf(std::string_view text) {
    if (text == "tab" || text == "\\t" || text == "\t") return '\t';
    if (text == "," || text == ";" || text == "|") return text[0];
    return std::nullopt;
}

}  // namespace

std::optional<double> ParseDuration(const std::string& text) {
    if (text.empty()) return std::nullopt;
    double factor = 1;
    std::string number = text;
    switch (text.back()) {
        case 'h':
            factor = 3600;
            number.pop_back();
            break;
        case 'm':
            factor = 60;
            number.pop_back();
            break;
        case 's':
            number.pop_back();
            break;
        default:
            break;
    }
    double value = 0;
    const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (number.empty() || ec != std::errc() || ptr != number.data() + number.size() || !(value > 0)) return std::nullopt;
    // The recording counts and shows its limit in whole seconds of a long: "inf" or 1e300h is none.
    const double seconds = value * factor;
    if (!(seconds < static_cast<double>(std::numeric_limits<long>::max()))) return std::nullopt;
    return seconds;
}

Parsed Parse(const std::vector<std::string>& args) {
    Parsed parsed;
    Options o;
    // The command comes first, its options after it.
    std::vector<std::string> copies = args;
    if (copies.size() > 1 && !copies[1].starts_with('-')) {
        o.command = copies[1];
        copies.erase(copies.begin() + 1);
    }
    std::vector<char*> argv;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    enum {
        Com = 1000, Json, Count, Interval, Duration, Out, OutDir, Start, List, Force, Help, Version,
        Broker, Topic, Qos, ClientId, Username, PasswordFile, Password, Cafile, HaDiscovery,
        DeviceId, Date, Format, Delimiter, DecimalComma
    };
    static const option longOptions[] = {
        {"com", required_argument, nullptr, Com},           {"json", no_argument, nullptr, Json},
        {"count", required_argument, nullptr, Count},       {"interval", required_argument, nullptr, Interval},
        {"duration", required_argument, nullptr, Duration}, {"out", required_argument, nullptr, Out},
        {"out-dir", required_argument, nullptr, OutDir},    {"start", required_argument, nullptr, Start},
        {"list", no_argument, nullptr, List},               {"force", no_argument, nullptr, Force},
        {"help", no_argument, nullptr, Help},               {"version", no_argument, nullptr, Version},
        {"broker", required_argument, nullptr, Broker},     {"topic", required_argument, nullptr, Topic},
        {"qos", required_argument, nullptr, Qos},           {"client-id", required_argument, nullptr, ClientId},
        {"username", required_argument, nullptr, Username}, {"password-file", required_argument, nullptr, PasswordFile},
        // Named so that getopt never takes "--password" for an abbreviation of --password-file.
        {"password", optional_argument, nullptr, Password}, {"cafile", required_argument, nullptr, Cafile},
        {"ha-discovery", no_argument, nullptr, HaDiscovery}, {"device-id", required_argument, nullptr, DeviceId},
        {"date", required_argument, nullptr, Date},         {"format", required_argument, nullptr, Format},
        {"delimiter", required_argument, nullptr, Delimiter},
        {"decimal-comma", no_argument, nullptr, DecimalComma},
        {nullptr, 0, nullptr, 0}};
    optind = 0;  // a fresh scan, also when called more than once
    opterr = 0;
    const int argc = static_cast<int>(argv.size()) - 1;
    int opt = 0;
    bool intervalGiven = false, formatGiven = false, csvStyleGiven = false;
    auto fail = [&](std::string why) {
        parsed.error = std::move(why);
        return parsed;
    };
    while ((opt = getopt_long(argc, argv.data(), "h", longOptions, nullptr)) != -1) {
        switch (opt) {
            case Com: {
                const auto com = Whole(optarg, 1, 256);
                if (!com) return fail(std::string("--com takes a COM number from 1 to 256, not '") + optarg + "'");
                o.com = static_cast<int>(*com);
                break;
            }
            case Json:
                o.json = true;
                break;
            case Count: {
                const auto count = Whole(optarg, 1, 1'000'000'000);
                if (!count) return fail(std::string("--count takes a positive whole number, not '") + optarg + "'");
                o.count = *count;
                break;
            }
            case Interval: {
                const auto interval = Whole(optarg, 1, 86400);
                if (!interval) return fail(std::string("--interval takes 1 to 86400 seconds, not '") + optarg + "'");
                o.interval = static_cast<int>(*interval);
                intervalGiven = true;
                break;
            }
            case Duration:
                o.durationSeconds = ParseDuration(optarg);
                if (!o.durationSeconds) return fail(std::string("--duration takes a time such as 8h, 90m or 30s, not '") + optarg + "'");
                break;
            case Out:
                o.out = optarg;
                break;
            case OutDir:
                o.outDir = optarg;
                break;
            case Start: {
                const Logger::StartTime start = Logger::ParseStartTime(optarg);
                if (start.status != Logger::StartTime::Status::Ok) return fail(std::string("--start takes hh:mm:ss, not '") + optarg + "'");
                o.startSeconds = start.seconds;
                break;
            }
            case List:
                o.list = true;
                break;
            case Force:
                o.force = true;
                break;
            case Version:
                o.version = true;
                break;
            case Broker:
                o.broker = optarg;
                break;
            case Topic:
                o.topic = optarg;
                if (o.topic.empty() || o.topic.find_first_of("#+") != std::string::npos)
                    return fail("--topic takes a topic prefix without the wildcards # and +");
                // The broker keeps $SYS and the like to itself and drops what is sent there unsaid.
                if (o.topic.starts_with('$')) return fail("--topic may not begin with $ (the broker's own topics)");
                if (!MqttText(o.topic)) return fail("--topic takes UTF-8 text without control characters");
                if (o.topic.size() + LongestTopicEnd.size() > MaxTopicBytes)
                    return fail("--topic is too long: an MQTT topic holds at most " + std::to_string(MaxTopicBytes) +
                                " bytes, PREFIX" + std::string(LongestTopicEnd) + " among them");
                break;
            case Qos:
                if (std::strcmp(optarg, "0") != 0 && std::strcmp(optarg, "1") != 0)
                    return fail(std::string("--qos takes 0 or 1, not '") + optarg + "'");
                o.qos = optarg[0] - '0';
                break;
            case ClientId:
                o.clientId = optarg;
                if (o.clientId.empty()) return fail("--client-id takes a name");
                if (!MqttText(o.clientId)) return fail("--client-id takes UTF-8 text without control characters");
                break;
            case Username:
                o.username = optarg;
                break;
            case PasswordFile:
                o.passwordFile = optarg;
                break;
            case Password:
                // Never echoed: a password on the command line is seen by every user of the machine.
                return fail("a password is never taken from the command line (every user of the machine can read it "
                            "there); put it in a file and give --password-file FILE");
            case Cafile:
                o.cafile = optarg;
                break;
            case HaDiscovery:
                o.haDiscovery = true;
                break;
            case DeviceId:
                o.deviceId = optarg;
                if (o.deviceId.empty() ||
                    o.deviceId.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-") !=
                        std::string::npos)
                    return fail("--device-id takes letters, digits, '-' and '_'");
                if (o.deviceId.size() + LongestDiscoveryTopic.size() > MaxTopicBytes)
                    return fail("--device-id is too long: the discovery topics that hold it would pass the " +
                                std::to_string(MaxTopicBytes) + " bytes of an MQTT topic");
                break;
            case Date:
                o.date = Day(optarg);
                if (!o.date) return fail(std::string("--date takes a day as YYYY-MM-DD, not '") + optarg + "'");
                break;
            case Format:
                if (std::strcmp(optarg, "txt") != 0 && std::strcmp(optarg, "csv") != 0)
                    return fail(std::string("--format takes txt or csv, not '") + optarg + "'");
                o.csv = optarg[0] == 'c';
                formatGiven = true;
                break;
            case Delimiter: {
                const std::optional<char> delimiter = DelimiterOf(optarg);
                if (!delimiter)
                    return fail(std::string("--delimiter takes one of , ; | or tab, not '") + optarg + "'");
                o.delimiter = *delimiter;
                csvStyleGiven = true;
                break;
            }
            case DecimalComma:
                o.decimalComma = true;
                csvStyleGiven = true;
                break;
            case Help:
            case 'h':
                o.help = true;
                break;
            default: {
                // Up to '=' only: what follows may be a secret typed into the wrong option.
                const std::string option = argv[static_cast<std::size_t>(optind - 1)];
                return fail("unknown option '" + option.substr(0, option.find('=')) + "'");
            }
        }
    }
    if (o.help || o.version) {
        parsed.options = o;
        return parsed;
    }
    if (o.command.empty()) return fail("a command is missing: ports, read, record, download, publish, convert or plot");
    if (o.command == "convert" && optind < argc) o.file = argv[static_cast<std::size_t>(optind++)];
    if (optind < argc) return fail("unexpected argument '" + std::string(argv[static_cast<std::size_t>(optind)]) + "'");
    if (o.command != "ports" && o.command != "read" && o.command != "record" && o.command != "download" &&
        o.command != "publish" && o.command != "convert")
        return fail("unknown command '" + o.command + "'");
    if (formatGiven && o.command != "record") return fail("--format is an option of record");
    if (csvStyleGiven && !(o.command == "convert" || (o.command == "record" && o.csv)))
        return fail(std::string(o.decimalComma ? "--decimal-comma" : "--delimiter") +
                    " is an option of convert and record --format csv");
    // Quoted, a number with a decimal comma would be valid CSV, but spreadsheets may take quoted
    // fields for text, and a comma-separated file with decimal commas is what a German or French
    // spreadsheet misreads anyway: the delimiter is asked for instead.
    if (o.decimalComma && o.delimiter == ',')
        return fail("--decimal-comma needs another delimiter than the comma: add --delimiter ';'");
    if (o.command == "convert") {
        if (o.file.empty()) return fail("convert needs a record FILE");
        parsed.options = o;
        return parsed;
    }
    if (o.date) return fail("--date is an option of convert");
    if (o.command != "ports" && o.com == 0) return fail(o.command + " needs --com N");
    if (o.command == "record" && o.out.empty()) return fail("record needs --out FILE");
    if (o.command == "publish") {
        if (o.broker.empty()) return fail("publish needs --broker HOST[:PORT]");
        if (!o.passwordFile.empty() && o.username.empty()) return fail("--password-file needs --username");
        if (!o.deviceId.empty() && !o.haDiscovery) return fail("--device-id needs --ha-discovery");
        if (!intervalGiven) o.interval = 1;
    }
    parsed.options = o;
    return parsed;
}

std::string UsageText() {
    return "usage: tq36-cli COMMAND [options]\n"
           "\n"
           "  tq36-cli ports                          COM numbers that resolve: device, USB product, access\n"
           "  tq36-cli read --com N [--json] [--count N]\n"
           "                                          live readings, one line per frame\n"
           "  tq36-cli record --com N --out FILE [--force] [--interval S] [--duration 8h | --count N]\n"
           "                 [--format txt|csv [--delimiter C] [--decimal-comma]]\n"
           "                                          record file as the desktop program writes it, or CSV\n"
           "  tq36-cli download --com N [--out-dir DIR] [--force] [--start hh:mm:ss] [--list]\n"
           "                                          the meter's logger: one file per data set (setNN.txt)\n"
           "  tq36-cli publish --com N --broker HOST[:PORT] [--topic PREFIX] [--interval S] [--qos 0|1]\n"
           "                  [--client-id ID] [--username U --password-file F] [--cafile F]\n"
           "                  [--ha-discovery [--device-id ID]]\n"
           "                                          live readings to an MQTT broker, on record's grid\n"
           "  tq36-cli convert FILE [--date YYYY-MM-DD] [--out OUT.csv] [--force] [--delimiter C]\n"
           "                 [--decimal-comma]\n"
           "                                          a record file as CSV for spreadsheets and pandas\n"
           "  tq36-cli plot FILE --out OUT.png|.svg|.pdf [--title TEXT] [--date YYYY-MM-DD] [--records R1-R2]\n"
           "                [--min T] [--max T] [--size WxH] [--like-window] [--force]\n"
           "                                          a record file drawn as a picture for a report\n"
           "  tq36-cli --help | --version\n"
           "\n"
           "record makes its file at the meter's first frame; an existing file is replaced only with\n"
           "--force, and a FIFO, a device or a file that another recording writes never. The limits count\n"
           "the samples due from the first one: --duration D takes those due within D, --count N the first\n"
           "N. A silent meter does not end a recording: it waits for the meter and goes on, and samples\n"
           "due meanwhile are missing from the file. SIGINT, SIGTERM and SIGHUP end it with whole records\n"
           "only. The last line counts the records in the file and the samples missing, and says why it\n"
           "ended. --format csv writes convert's CSV instead, record by record as it runs, each timestamp\n"
           "with date, time and offset from UTC (2026-12-08T02:49:09+01:00), so a run past midnight, a\n"
           "clock set back or forward and a change to or from daylight saving time all show.\n"
           "\n"
           "download writes nothing into a folder that holds set files (setNN.txt) of an earlier download;\n"
           "--force replaces them and removes the others. A set file replaces an old one only once every\n"
           "set is written whole. Without --start the first record of each set is stamped with the time\n"
           "of the download, which it says.\n"
           "\n"
           "publish sends one JSON object per sample (read --json's fields and the sample's number) to\n"
           "PREFIX/state (default tq36/com<N>, every 1 s, QoS 1), and 'online' or 'offline' retained to\n"
           "PREFIX/availability ('offline' also after 5 s without a frame, at exit and as last will).\n"
           "The broker's port is 1883, 8883 with --cafile (TLS). While the broker is away, up to 3600\n"
           "samples wait and go out in order on reconnection. The password is read from --password-file\n"
           "only (a warning if others may read that file). --ha-discovery adds Home Assistant's discovery\n"
           "configs; the device is named by --device-id (letters, digits, - and _), else by its port:\n"
           "tq36- and the adapter's /dev/serial/by-id name, or tq36-com<N>. A silent meter, also at the\n"
           "start, is waited for. SIGINT, SIGTERM and SIGHUP end it.\n"
           "\n"
           "convert reads a record file or list save as the desktop program opens it (header lines and\n"
           "empty lines are left out and counted on stderr) and writes RFC 4180 CSV with CR LF to stdout,\n"
           "or to --out: record,timestamp,t1,t2,t1_t2,unit,t1_mark,t2_mark,t1_t2_mark, and for one channel\n"
           "record,timestamp,t1,unit,t1_mark. Numbers have a decimal point; a mark (OL, -OL, ----) leaves\n"
           "the number empty and stands in its _mark column; each row has its own unit. --date gives the\n"
           "first record's day: timestamps become YYYY-MM-DDThh:mm:ss, the day going on by one where the\n"
           "time of day goes back by more than 12 hours (a run past midnight); a smaller step back is a\n"
           "clock set back, and stderr names its record. A time equal to the one before, or 12 hours or\n"
           "more after it, cannot be dated from the file: stderr says so once. --out replaces an existing\n"
           "file only with --force, and only once the whole file is converted.\n"
           "\n"
           "convert and record --format csv: --delimiter C separates the fields with C, one of , ; | or\n"
           "tab (default ,); --decimal-comma writes numbers as 23,5, as German, French, Italian, Spanish\n"
           "and Portuguese spreadsheets read them, and needs another delimiter than the comma:\n"
           "--delimiter ';' --decimal-comma. A field that holds the delimiter is quoted.\n"
           "\n"
           "plot draws a record file for a report, its temperature axis scaled to the readings, or with\n"
           "--like-window as the desktop program's plot window does, without a display, into a PNG, SVG\n"
           "or PDF as --out ends; 'tq36-cli plot --help' tells more.\n"
           "\n"
           "Exit status:\n"
           "    0  done (also a recording or publishing ended by SIGINT, SIGTERM or SIGHUP)\n"
           "   64  bad arguments (also a --password-file or --cafile that cannot be read, or a plot range\n"
           "       that the Plot Range dialog would refuse)\n"
           "   66  no such port; or the FILE to convert or plot cannot be opened (or has nothing to plot)\n"
           "   69  the meter sent nothing within 5 s, or did not answer the logger commands; or plot's\n"
           "       drawing program tq36-plot is missing\n"
           "   73  the output file exists, or set files of an earlier download (--force replaces them);\n"
           "       or the output is a FIFO or a device, or a file that another recording writes\n"
           "   74  a file or the standard output could not be written; or the FILE to convert or plot could\n"
           "       not be read to its end\n"
           "   75  the port is busy: another program has it open\n"
           "   76  the recording ended before its limit: the meter changed between one and two channels;\n"
           "       or the download ended before the size the meter announced (its last set incomplete)\n"
           "   77  this user may not open the port; or the broker refused the username or password, or its\n"
           "       certificate does not verify with --cafile\n"
           "  130  a download, a conversion or a plot ended by SIGINT, SIGTERM or SIGHUP; no temporary file\n"
           "       stays, and an output file that was there stays as it was\n";
}

std::string VersionText() { return std::string("tq36-cli ") + TQ36_VERSION + "\n"; }

}  // namespace Cli
