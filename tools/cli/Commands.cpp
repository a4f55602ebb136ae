#include "Commands.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/PcRecording.h"
#include "acquisition/PollCycle.h"
#include "acquisition/SamplingSchedule.h"
#include "logger/DataLogger.h"
#include "logger/LoggerFormat.h"
#include "logger/MemoryExchange.h"
#include "meter/Meter.h"
#include "records/ListSave.h"
#include "records/RecordTable.h"
#include "records/RecordWriter.h"
#include "serial/EventHooks.h"
#include "serial/PortNames.h"
#include "serial/Rs232_API.h"
#include "serial/SerialDevices.h"
#include "Discovery.h"
#include "PortProblem.h"
#include "Publisher.h"
#include "TimeTexts.h"

namespace Cli {

namespace {

volatile std::sig_atomic_t stopRequested = 0;
constexpr double SilentLimitSeconds = 5;

void OnStopSignal(int) { stopRequested = 1; }

// The time of day from one reading of the clock: seconds since midnight and "hh:mm:ss", and the
// calendar time they belong to.
struct Now {
    int seconds;
    std::string text;
    std::tm local;
};
Now TimeOfDay() {
    // The precise clock: time() may lag a few milliseconds behind it, past the moment the waits
    // end for a new second.
    const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&t, &local);
    const int seconds = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    return {seconds, Logger::TimeText(seconds), local};
}

double Monotonic() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Seconds until just past the next whole second of the time of day, when a sample may fall due.
double UntilNextSecond() {
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    const double fraction = std::chrono::duration<double>(sinceEpoch - std::chrono::floor<std::chrono::seconds>(sinceEpoch)).count();
    return 1.002 - fraction;
}

// Waits as the core asks, in steps of at most 0.1 s that also end as a new second begins, letting
// `between` run after each step (the sampling clock, so that a sample is taken when it is due)
// and ending early once a stop was asked for.
void InstallWaits(std::function<void()> between) {
    EventHooks::Install(between, [between](double seconds) {
        const double end = Monotonic() + seconds;
        while (!stopRequested) {
            const double left = end - Monotonic();
            if (left <= 0) break;
            std::this_thread::sleep_for(std::chrono::duration<double>(std::min({left, 0.1, UntilNextSecond()})));
            if (between) between();
        }
    });
}

// The system's reason for the first write to stdout that failed; 0 while all went out.
int outputError = 0;

// One line of results to stdout, passed on at once (a pipe's reader waits for it); false once
// stdout has refused a write.
bool PrintLine(const std::string& line) {
    if (outputError != 0) return false;
    errno = 0;
    if (std::fputs(line.c_str(), stdout) == EOF || std::fputc('\n', stdout) == EOF ||
        std::fflush(stdout) == EOF) {
        outputError = errno != 0 ? errno : EIO;
        return false;
    }
    return true;
}

// A live progress line is on the terminal and a message must not run into it.
bool progressShown = false;

// A line on stderr of what goes on; a live progress line is cleared first.
void Say(const std::string& line) {
    if (progressShown) std::fputs("\r\033[K", stderr);
    progressShown = false;
    std::fprintf(stderr, "%s\n", line.c_str());
}

void ShowProgress(const std::string& text) {
    std::fprintf(stderr, "\r%s\033[K", text.c_str());
    progressShown = true;
}

// Opens COM `com` as the port the core talks to; on failure says why and gives the exit status.
int OpenMeterPort(int com) {
    Rs232_API::OpenPort(com, Rs232_API::MeterSettings);
    Rs232_API::CurrentPortIndex() = Rs232_API::OpenPortCount();
    if (Rs232_API::PortDriver().IsOpen(com)) return Ok;
    std::string message;
    const long code = Rs232_API::PortDriver().CommGetError(message);
    const PortProblem problem = ExplainOpenFailure(com, PortNames::DevicePath(com), code);
    Say("tq36-cli: " + problem.text);
    return problem.status;
}

void SayMeterSilent(int com) {
    Say("tq36-cli: COM " + std::to_string(com) +
        ": the meter sent nothing within 5 s; check that it is switched on and that its cable is in this "
        "port");
}

std::string Json(const Reading& value) {
    return value.IsNumber() ? value.Text() : "\"" + value.Text() + "\"";
}

// One reading as `read` prints it.
std::string ReadingLine(const CurrentReading& r, const Now& now, bool json) {
    const std::string& time = now.text;
    if (json) {
        std::string line = "{\"time\":\"" + time + "\",\"timestamp\":\"" + IsoTimestamp(now.local) +
                           "\",\"t1\":" + Json(r.T1Value);
        if (r.DualChannel) line += ",\"t2\":" + Json(r.T2Value) + ",\"t1_t2\":" + Json(r.T1T2Value);
        return line + ",\"unit\":\"" + r.UnitText + "\",\"type\":\"" + r.ThermocoupleType +
               "\",\"channels\":" + (r.DualChannel ? "2" : "1") + "}";
    }
    std::string line = time + "  T1 " + r.T1Value.Text();
    if (r.DualChannel) line += "  T2 " + r.T2Value.Text() + "  T1-T2 " + r.T1T2Value.Text();
    return line + "  " + r.UnitText + "  " + r.ThermocoupleType;
}

// Polls the meter until `done` says so, running `between` in the poll cycle's waits; false when no
// frame came within the first 5 s (unless told to wait for the meter). The end does not wait for a
// silent meter's collection windows.
bool Poll(PollCycle::Display display, const std::function<bool()>& done, bool& framed,
          const std::function<void()>& between = {}, bool waitForMeter = false) {
    const double start = Monotonic();
    PollCycle cycle(display, [] { return TimeOfDay().seconds; }, Monotonic);
    InstallWaits([&] {
        if (between) between();
        if (stopRequested || done()) cycle.Cancel();
    });
    bool answered = true;
    while (!stopRequested && !done()) {
        cycle.Run();
        if (!framed && !waitForMeter && Monotonic() - start > SilentLimitSeconds) {
            answered = false;
            break;
        }
    }
    EventHooks::Uninstall();
    return answered;
}

// An existing record file is someone's earlier run: it is replaced only when asked to.
int RefuseToReplace(const Options& options) {
    std::error_code error;
    if (options.force || !std::filesystem::is_regular_file(options.out, error)) return Ok;
    Say("tq36-cli: " + options.out + " exists; --force replaces it");
    return Exists;
}

// The limits of a recording, counted in samples due from the first one, so that they hold
// whether or not the meter answers them; `elapsed` (seconds since the first sample) keeps
// --duration also where the time of day jumps.
bool LimitReached(const Options& options, long due, double elapsed) {
    if (options.count && due >= *options.count) return true;
    if (!options.durationSeconds) return false;
    const double duration = *options.durationSeconds;
    return due * static_cast<double>(options.interval) >= duration || elapsed >= duration;
}

std::string LimitText(const Options& options) {
    if (options.count) return ", " + std::to_string(*options.count) + " samples";
    if (options.durationSeconds) return ", for " + ElapsedText(static_cast<long>(*options.durationSeconds));
    return ", until stopped";
}

// "HOST", "HOST:PORT", "[IPv6]" or "[IPv6]:PORT"; false when malformed.
bool SplitBroker(const std::string& text, int defaultPort, std::string& host, int& port) {
    std::string portText;
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close == std::string::npos) return false;
        host = text.substr(1, close - 1);
        const std::string rest = text.substr(close + 1);
        if (!rest.empty() && (rest[0] != ':' || rest.size() == 1)) return false;
        if (!rest.empty()) portText = rest.substr(1);
    } else {
        const std::size_t colon = text.rfind(':');
        host = text.substr(0, colon);
        if (colon != std::string::npos) portText = text.substr(colon + 1);
    }
    port = defaultPort;
    if (!portText.empty()) {
        const auto [ptr, ec] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
        if (ec != std::errc() || ptr != portText.data() + portText.size() || port < 1 || port > 65535) return false;
    }
    return !host.empty() && (text.starts_with('[') || host.find(':') == std::string::npos);
}

// The first line of a password file, without its line end.
std::optional<std::string> ReadPassword(const std::string& path, std::string& why) {
    std::ifstream file(path);
    if (!file) {
        why = std::strerror(errno);
        return std::nullopt;
    }
    std::string line;
    std::getline(file, line);
    if (file.bad()) {
        why = std::strerror(errno);
        return std::nullopt;
    }
    if (line.ends_with('\r')) line.pop_back();
    return line;
}

std::string HostName() {
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
    return name;
}

}  // namespace

void CatchStopSignals() {
    struct sigaction action{};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int Ports() {
    const std::vector<SerialDeviceInfo> devices = SerialDevices::List();
    for (const SerialDeviceInfo& d : devices) {
        std::string access = "OK";
        if (!d.accessible) access = "no access: " + d.accessNote;
        char com[16];
        std::snprintf(com, sizeof com, "COM %-3d  ", d.com);
        std::string target = d.target;
        target.resize(std::max<std::size_t>(target.size(), 24), ' ');
        if (!PrintLine(com + target + " " + (d.product.empty() ? "" : d.product + "  ") + access)) return Io;
    }
    if (devices.empty() && !PrintLine("no serial device found")) return Io;
    return Ok;
}

int Read(const Options& options) {
    if (const int status = OpenMeterPort(options.com); status != Ok) return status;
    long frames = 0;
    bool framed = false;
    PollCycle::Display display{[] {}, [] {},
                               [&] {
                                   framed = true;
                                   ++frames;
                                   PrintLine(ReadingLine(Meter::Current(), TimeOfDay(), options.json));
                               },
                               [] {}};
    auto done = [&] { return outputError != 0 || (options.count && frames >= *options.count); };
    const bool answered = Poll(display, done, framed);
    Rs232_API::CloseAllPorts();
    if (outputError != 0) return Io;
    if (!answered) {
        SayMeterSilent(options.com);
        return NoMeter;
    }
    return Ok;
}

int Record(const Options& options) {
    if (const int status = RefuseToReplace(options); status != Ok) return status;
    // The desktop program's recording, waiting for a silent meter instead of stopping, and with
    // no limit but the ones asked for here.
    PcRecording recording(PcRecording::LostLink::Wait, 0);
    if (const int status = OpenMeterPort(options.com); status != Ok) return status;

    const bool progress = isatty(STDERR_FILENO);
    double started = 0;  // the first sample, on the monotonic clock
    long due = 0;        // samples due since then, written or not
    SamplingSchedule schedule;
    bool framed = false, scheduled = false, waiting = false;
    int status = Ok;
    std::string ending;
    auto finished = [&] { return !ending.empty(); };
    // The sampling clock, between the poll cycle's waits, as in the desktop program.
    auto sample = [&] {
        if (!framed || finished()) return;
        if (scheduled && LimitReached(options, due, Monotonic() - started)) {
            ending = "done";
            return;
        }
        const Now now = TimeOfDay();
        const CurrentReading& r = Meter::Current();
        if (!scheduled) {
            // The file is made once the meter has answered, in the channel mode of its first
            // frame; sampling is due at once, then every interval: the desktop program's grid.
            scheduled = true;
            if (!recording.Start(options.out, r.DualChannel)) {
                ending = options.out + " could not be created (" + recording.ErrorText() + ")";
                status = Io;
                return;
            }
            schedule.SetInterval(options.interval, now.seconds - options.interval);
            started = Monotonic();
            Say(now.text + "  recording COM " + std::to_string(options.com) + " into " + options.out +
                ", every " + std::to_string(options.interval) + " s" + LimitText(options));
        }
        if (!schedule.Tick(now.seconds)) return;
        ++due;
        const PcRecording::Result result = recording.Sample(r, now.text, Monotonic());
        if (result == PcRecording::Result::Stale) return;  // no record of a reading not renewed
        if (result == PcRecording::Result::WaitingForMeter) {
            if (!waiting) Say(now.text + "  the meter is silent; waiting for it");
            waiting = true;
            return;
        }
        if (waiting) Say(now.text + "  the meter is back; recording goes on");
        waiting = false;
        if (result == PcRecording::Result::StoppedChannelMode) {
            ending = "the recording ended early: the meter changed between one and two channels";
            status = EndedEarly;
            return;
        }
        if (result == PcRecording::Result::WriteFailed) {
            ending = options.out + " could not be written (" + recording.ErrorText() + ")";
            status = Io;
            return;
        }
        if (progress) {
            ShowProgress(std::to_string(recording.RecordCount()) + " records, " +
                         ElapsedText(static_cast<long>(Monotonic() - started)) + " elapsed, last " +
                         r.T1Value.Text() + " " + r.UnitText);
        }
    };
    PollCycle::Display display{[] {}, [] {}, [&] { framed = true; }, [] {}};
    const bool answered = Poll(display, finished, framed, sample);
    const long records = recording.RecordCount();
    const bool closed = recording.Stop();
    Rs232_API::CloseAllPorts();
    if (!answered) {
        SayMeterSilent(options.com);
        return NoMeter;
    }
    if (!closed && status == Ok) {
        ending = options.out + " could not be written (" + recording.ErrorText() + ")";
        status = Io;
    }
    if (status != Ok) Say("tq36-cli: " + ending);
    if (!scheduled) {
        Say("nothing recorded; " + options.out + " was not made");
        return status;
    }
    std::string end = TimeOfDay().text + "  " + std::to_string(records) + " records in " + options.out;
    if (due > records) {
        end += " (" + std::to_string(due - records) + " samples missed while the meter was silent)";
    }
    Say(end);
    return status;
}

int Download(const Options& options) {
    if (const int status = OpenMeterPort(options.com); status != Ok) return status;
    InstallWaits({});
    const bool progress = isatty(STDERR_FILENO);
    Say(TimeOfDay().text + "  reading the logger of the meter on COM " + std::to_string(options.com));
    std::vector<Logger::DataSet> sets;
    MemoryExchange exchange(
        {.showWindow =
             [](long used) {
                 Say("logger: " + std::to_string(used) + " bytes used, " + Logger::RemainedText(used) +
                     " remained");
             },
         .showProgress =
             [progress](const std::string& text) {
                 if (progress) ShowProgress(text);
             },
         .carryOn = [] { return !stopRequested; },
         .showSets = [&sets](const std::vector<Logger::DataSet>& found) { sets = found; },
         .transferDone = [] {},
         .showTime = [] {}},
        Monotonic);
    const MemoryExchange::Outcome outcome = exchange.Run();
    EventHooks::Uninstall();
    Rs232_API::CloseAllPorts();
    switch (outcome) {
        case MemoryExchange::Outcome::NoData:
            Say("No Data in Memory");
            return Ok;
        case MemoryExchange::Outcome::NoAnswer:
            Say("tq36-cli: COM " + std::to_string(options.com) +
                ": No answer from the meter, try again! (is the meter on, and its cable in this port?)");
            return NoMeter;
        case MemoryExchange::Outcome::Stopped:
            Say("tq36-cli: download stopped");
            return Stopped;
        case MemoryExchange::Outcome::Listed:
            break;
    }
    if (options.list) {
        if (!PrintLine("Set\tSampling\tRecords")) return Io;
        for (const Logger::DataSet& set : sets) {
            if (!PrintLine(std::to_string(set.number) + "\t" + std::to_string(set.sampling) + "\t" +
                           std::to_string(set.records)))
                return Io;
        }
        Say(std::to_string(sets.size()) + " data sets in the logger");
        return Ok;
    }
    std::error_code made;
    std::filesystem::create_directories(options.outDir, made);
    const int start = options.startSeconds.value_or(TimeOfDay().seconds);
    const std::vector<std::uint8_t>& memory = DataLogger::Instance().MemoryImage();
    long written = 0;
    for (const Logger::DataSet& set : sets) {
        const std::optional<std::vector<std::uint8_t>> cut = Logger::CutSet(memory, set.number);
        if (!cut) continue;
        const long records = Logger::SetRecordCount(*cut);
        // The layout follows the set's own records, as a data list opened while that meter was
        // attached shows them.
        const bool dual = Logger::IsTwoChannelSet(*cut);
        char name[32];
        std::snprintf(name, sizeof name, "set%02d.txt", set.number);
        const std::string path = (std::filesystem::path(options.outDir) / name).string();
        RecordTable rows(RecordTable::ColumnsFor(dual));
        for (long i = 1; i <= records; ++i) rows.Append(Logger::SetRow(*cut, i, start, dual));
        RecordWriter writer;
        bool whole = writer.Open(path) && ListSave::Write(writer, rows);
        whole = writer.Close() && whole;
        if (!whole) {
            Say("tq36-cli: " + path + " could not be written (" + writer.ErrorText() + ")");
            return Io;
        }
        ++written;
        const std::string line =
            path + "\t" + std::to_string(set.sampling) + " s\t" + std::to_string(records) + " records";
        if (!PrintLine(line)) return Io;
    }
    Say(std::to_string(written) + " data sets written to " + options.outDir);
    return Ok;
}

int Publish(const Options& options) {
    std::string host;
    int port = 0;
    if (!SplitBroker(options.broker, options.cafile.empty() ? 1883 : 8883, host, port)) {
        Say("tq36-cli: --broker takes HOST or HOST:PORT ([ADDRESS]:PORT for IPv6), not '" + options.broker + "'");
        return Usage;
    }
    const std::string com = std::to_string(options.com);
    const std::string prefix = options.topic.empty() ? "tq36/com" + com : options.topic;
    Publisher::Settings settings{.host = host,
                                 .port = port,
                                 .clientId = options.clientId.empty() ? "tq36-" + HostName() + "-com" + com
                                                                      : options.clientId,
                                 .username = options.username,
                                 .password = std::nullopt,
                                 .cafile = options.cafile,
                                 .qos = options.qos,
                                 .willTopic = prefix + "/availability",
                                 .willPayload = "offline"};
    if (!options.passwordFile.empty()) {
        std::string why;
        settings.password = ReadPassword(options.passwordFile, why);
        if (!settings.password) {
            Say("tq36-cli: the password file " + options.passwordFile + " cannot be read (" + why + ")");
            return Usage;
        }
    }
    if (!options.cafile.empty() && access(options.cafile.c_str(), R_OK) != 0) {
        Say("tq36-cli: the CA file " + options.cafile + " cannot be read (" + std::strerror(errno) + ")");
        return Usage;
    }
    if (const int status = OpenMeterPort(options.com); status != Ok) return status;
    // A broken connection is the publisher's to notice, not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);

    std::mutex sayLock;  // the publisher's thread speaks too
    auto say = [&sayLock](const std::string& line) {
        std::lock_guard lock(sayLock);
        Say(TimeOfDay().text + "  " + line);
    };
    Publisher publisher(settings, say);
    std::string why;
    if (!publisher.Start(why)) {
        Rs232_API::CloseAllPorts();
        Say("tq36-cli: " + why);
        return Usage;
    }
    say("publishing COM " + com + " to " + host + ":" + std::to_string(port) + " under " + prefix + "/, every " +
        std::to_string(options.interval) + " s, QoS " + std::to_string(options.qos));

    const DiscoveryDevice device{settings.clientId, "TQ36 COM " + com + " on " + HostName(), prefix,
                                 VersionText().substr(0, VersionText().size() - 1)};
    std::string availability, discoveredUnit;
    std::optional<bool> discoveredDual;
    auto setAvailability = [&](const std::string& value) {
        if (availability == value) return;
        availability = value;
        publisher.Retain(prefix + "/availability", value);
    };
    const double started = Monotonic();
    SamplingSchedule schedule;
    bool framed = false, scheduled = false;
    long samples = 0;
    // The sampling clock, between the poll cycle's waits, on record's grid.
    auto sample = [&] {
        const double now = Monotonic();
        const CurrentReading& r = Meter::Current();
        if (now - (framed ? r.FrameTime : started) >= SilentLimitSeconds && availability != "offline") {
            say(framed ? "the meter is silent; waiting for it" : "the meter sent nothing within 5 s; waiting for it");
            setAvailability("offline");
        }
        if (!framed) return;
        if (options.haDiscovery && (r.UnitText != discoveredUnit || r.DualChannel != discoveredDual)) {
            discoveredUnit = r.UnitText;
            discoveredDual = r.DualChannel;
            for (const DiscoveryConfig& c : DiscoveryConfigs(device, r.UnitText, r.DualChannel))
                publisher.Retain(c.topic, c.payload);
        }
        const Now time = TimeOfDay();
        if (!scheduled) {
            scheduled = true;
            schedule.SetInterval(options.interval, time.seconds - options.interval);
        }
        if (!schedule.Tick(time.seconds)) return;
        if (!r.MeterOnline || !r.FreshAt(now)) return;  // no sample of a reading not renewed
        ++samples;
        publisher.Send(prefix + "/state",
                       "{\"sample\":" + std::to_string(samples) + "," + ReadingLine(r, time, true).substr(1));
    };
    PollCycle::Display display{[] {}, [] {},
                               [&] {
                                   if (availability == "offline") say("the meter is back; publishing goes on");
                                   framed = true;
                                   setAvailability("online");
                               },
                               [] {}};
    Poll(display, [&] { return publisher.Refused(); }, framed, sample, true);
    Rs232_API::CloseAllPorts();
    setAvailability("offline");
    const std::size_t undelivered = publisher.Stop(3);
    if (publisher.Refused()) {
        Say(options.username.empty()
                ? "tq36-cli: the broker lets in only users it knows; give --username and --password-file"
                : "tq36-cli: the broker does not take this username and password; check --username and --password-file");
        return NoPermission;
    }
    std::string end = std::to_string(samples) + " samples taken";
    if (undelivered > 0) end += ", the last " + std::to_string(undelivered) + " of them not delivered (the broker was away)";
    say(end);
    return Ok;
}

int FinishOutput(int status) {
    if (outputError == 0 && std::fflush(stdout) == EOF) outputError = errno != 0 ? errno : EIO;
    if (outputError == 0) return status;
    // A reader that went away (a pipe into head) needs no word; anything else does.
    if (outputError != EPIPE) Say(std::string("tq36-cli: the standard output could not be written (") +
                                  std::strerror(outputError) + ")");
    return Io;
}

}  // namespace Cli
