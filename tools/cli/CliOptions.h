#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// The command line of tq36-cli, read with getopt_long.
namespace Cli {

// Exit statuses, from sysexits.h, so that scripts can tell the failures apart.
enum Exit : int {
    Ok = 0,
    Usage = 64,        // bad arguments
    NoPort = 66,       // the COM number resolves to no device
    NoMeter = 69,      // the meter sent nothing within 5 s, or did not answer the logger commands
    NoInput = 66,      // convert: the record file cannot be opened
    Exists = 73,       // an output file exists and --force was not given, or is a FIFO or a device
    Io = 74,           // a file or the standard output could not be written, or a file not read to its end
    Busy = 75,         // another program has the port open
    EndedEarly = 76,   // the recording ended before its limit (not by a signal), or the download
                       // before the size the meter announced (its last set incomplete)
    NoPermission = 77, // this user may not open the port
    Stopped = 130,     // a download, conversion or plot ended by SIGINT, SIGTERM or SIGHUP
};

struct Options {
    std::string command;  // ports, read, record, download, publish, convert
    std::string file;     // convert: the record file
    int com = 0;
    bool json = false;
    std::optional<long> count;
    int interval = 2;
    std::optional<double> durationSeconds;
    std::string out;
    std::string outDir = ".";
    std::optional<int> startSeconds;  // of the day
    bool list = false;
    bool force = false;  // an existing output file may be replaced
    // publish: the broker as HOST[:PORT] and how to talk to it.
    std::string broker;
    std::string topic;  // the prefix of the topics; tq36/com<N> when empty
    int qos = 1;
    std::string clientId;
    std::string username;
    std::string passwordFile;
    std::string cafile;
    bool haDiscovery = false;
    std::string deviceId;  // the meter's identity in Home Assistant; its port's when empty
    std::optional<std::chrono::sys_days> date;  // convert: the day of the first record
    bool csv = false;  // record: --format csv
    // convert and record --format csv: the field delimiter and the decimal sign.
    char delimiter = ',';
    bool decimalComma = false;
    bool help = false;
    bool version = false;
};

struct Parsed {
    std::optional<Options> options;
    std::string error;  // why not, for the usage message
};

Parsed Parse(const std::vector<std::string>& args);
std::string UsageText();
std::string VersionText();
// "8h", "90m", "30s", "45" (seconds); nothing when malformed.
std::optional<double> ParseDuration(const std::string& text);

}  // namespace Cli
