#include "Commands.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
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

namespace Cli {

namespace {

volatile std::sig_atomic_t stopRequested = 0;
constexpr double SilentLimitSeconds = 5;

void OnStopSignal(int) { stopRequested = 1; }

// The time of day from one reading of the clock: seconds since midnight and "hh:mm:ss".
struct Now {
    int seconds;
    std::string text;
};
Now TimeOfDay() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    const int seconds = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    return {seconds, Logger::TimeText(seconds)};
}

double Monotonic() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Waits as the core asks, in steps of at most 0.1 s, letting `between` run after each step (the
// sampling clock of a recording) and ending early once a stop was asked for.
void InstallWaits(std::function<void()> between) {
    EventHooks::Install(between, [between](double seconds) {
        const double end = Monotonic() + seconds;
        while (!stopRequested) {
            const double left = end - Monotonic();
            if (left <= 0) break;
            std::this_thread::sleep_for(std::chrono::duration<double>(std::min(left, 0.1)));
            if (between) between();
        }
    });
}

std::string GroupOf(const std::string& path) {
    struct stat st{};
    if (stat(path.c_str(), &st) != 0) return "dialout";
    const group* g = getgrgid(st.st_gid);
    return g ? g->gr_name : "dialout";
}

// Opens COM `com` as the port the core talks to; on failure says why and gives the exit status.
int OpenMeterPort(int com) {
    Rs232_API::OpenPort(com, Rs232_API::MeterSettings);
    Rs232_API::CurrentPortIndex() = Rs232_API::OpenPortCount();
    if (Rs232_API::PortDriver().IsOpen(com)) return Ok;
    std::string message;
    const long code = Rs232_API::PortDriver().CommGetError(message);
    const std::string path = PortNames::DevicePath(com).value_or("(no device for this number)");
    if (code == EACCES || code == EPERM) {
        std::fprintf(stderr, "tq36-cli: COM %d (%s): permission denied; join the group '%s' and log in again\n", com,
                     path.c_str(), GroupOf(path).c_str());
        return NoPermission;
    }
    std::fprintf(stderr, "tq36-cli: COM %d (%s): no such port: %s\n", com, path.c_str(), message.c_str());
    return NoPort;
}

std::string Json(const Reading& value) {
    return value.IsNumber() ? value.Text() : "\"" + value.Text() + "\"";
}

// One reading as `read` prints it.
std::string ReadingLine(const CurrentReading& r, const std::string& time, bool json) {
    if (json) {
        std::string line = "{\"time\":\"" + time + "\",\"t1\":" + Json(r.T1Value);
        if (r.DualChannel) line += ",\"t2\":" + Json(r.T2Value) + ",\"t1_t2\":" + Json(r.T1T2Value);
        return line + ",\"unit\":\"" + r.UnitText + "\",\"type\":\"" + r.ThermocoupleType +
               "\",\"channels\":" + (r.DualChannel ? "2" : "1") + "}";
    }
    std::string line = time + "  T1 " + r.T1Value.Text();
    if (r.DualChannel) line += "  T2 " + r.T2Value.Text() + "  T1-T2 " + r.T1T2Value.Text();
    return line + "  " + r.UnitText + "  " + r.ThermocoupleType;
}

// Polls the meter until `done` says so; false when no frame came within the first 5 s.
bool Poll(PollCycle::Display display, const std::function<bool()>& done, bool& framed) {
    const double start = Monotonic();
    PollCycle cycle(display, [] { return TimeOfDay().seconds; }, Monotonic);
    while (!stopRequested && !done()) {
        cycle.Run();
        if (!framed && Monotonic() - start > SilentLimitSeconds) return false;
    }
    return true;
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
        std::printf("COM %-3d  %-24s %s%s%s\n", d.com, d.target.c_str(), d.product.empty() ? "" : (d.product + "  ").c_str(),
                    d.accessible ? "OK" : "no access: ", d.accessible ? "" : d.accessNote.c_str());
    }
    if (devices.empty()) std::printf("no serial device found\n");
    return Ok;
}

int Read(const Options& options) {
    if (const int status = OpenMeterPort(options.com); status != Ok) return status;
    InstallWaits({});
    long frames = 0;
    bool framed = false;
    PollCycle::Display display{[] {}, [] {},
                               [&] {
                                   framed = true;
                                   ++frames;
                                   const std::string line = ReadingLine(Meter::Current(), TimeOfDay().text, options.json);
                                   std::printf("%s\n", line.c_str());
                                   std::fflush(stdout);
                               },
                               [] {}};
    const bool answered = Poll(display, [&] { return options.count && frames >= *options.count; }, framed);
    Rs232_API::CloseAllPorts();
    if (!answered) {
        std::fprintf(stderr, "tq36-cli: COM %d: the meter sent nothing within 5 s\n", options.com);
        return NoMeter;
    }
    return Ok;
}

int Record(const Options& options) {
    // The desktop program's recording, waiting for a silent meter instead of stopping, and with
    // no limit but the ones asked for here.
    PcRecording recording(PcRecording::LostLink::Wait, 0);
    if (const int status = OpenMeterPort(options.com); status != Ok) return status;

    const bool progress = isatty(STDERR_FILENO);
    const double started = Monotonic();
    SamplingSchedule schedule;
    bool framed = false, scheduled = false, waiting = false;
    int status = Ok;
    std::string ending;
    auto finished = [&] { return !ending.empty(); };
    // The sampling clock, between the poll cycle's waits, as in the desktop program.
    auto sample = [&] {
        if (!framed || finished()) return;
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
        }
        if (!schedule.Tick(now.seconds)) return;
        const PcRecording::Result result = recording.Sample(r, now.text, Monotonic());
        if (result == PcRecording::Result::Stale) return;  // no record of a reading not renewed
        if (result == PcRecording::Result::WaitingForMeter) {
            if (!waiting) std::fprintf(stderr, "%s  the meter is silent; waiting for it\n", now.text.c_str());
            waiting = true;
            return;
        }
        if (waiting) std::fprintf(stderr, "%s  the meter is back; recording goes on\n", now.text.c_str());
        waiting = false;
        if (result == PcRecording::Result::StoppedChannelMode) {
            ending = "the meter changed between one and two channels";
            return;
        }
        if (result == PcRecording::Result::WriteFailed) {
            ending = options.out + " could not be written (" + recording.ErrorText() + ")";
            status = Io;
            return;
        }
        const long records = recording.RecordCount();
        if (progress) {
            const long elapsed = static_cast<long>(Monotonic() - started);
            std::fprintf(stderr, "\r%ld records, %s elapsed, last %s %s   ", records, Logger::TimeText(elapsed).c_str(),
                         r.T1Value.Text().c_str(), r.UnitText.c_str());
        }
        if ((options.count && records >= *options.count) ||
            (options.durationSeconds && Monotonic() - started >= *options.durationSeconds)) {
            ending = "done";
        }
    };
    InstallWaits(sample);
    PollCycle::Display display{[] {}, [] {}, [&] { framed = true; }, [] {}};
    const bool answered = Poll(display, finished, framed);
    const long records = recording.RecordCount();
    const bool closed = recording.Stop();
    Rs232_API::CloseAllPorts();
    if (progress) std::fprintf(stderr, "\n");
    if (!answered) {
        std::fprintf(stderr, "tq36-cli: COM %d: the meter sent nothing within 5 s\n", options.com);
        return NoMeter;
    }
    if (!closed && status == Ok) {
        std::fprintf(stderr, "tq36-cli: %s could not be written (%s)\n", options.out.c_str(), recording.ErrorText().c_str());
        return Io;
    }
    if (status != Ok || (ending != "done" && !ending.empty())) std::fprintf(stderr, "tq36-cli: %s\n", ending.c_str());
    std::fprintf(stderr, "%ld records in %s\n", records, options.out.c_str());
    return status;
}

int Download(const Options& options) {
    if (const int status = OpenMeterPort(options.com); status != Ok) return status;
    InstallWaits({});
    const bool progress = isatty(STDERR_FILENO);
    std::vector<Logger::DataSet> sets;
    MemoryExchange exchange(
        {.showWindow =
             [](long used) {
                 std::fprintf(stderr, "logger: %ld bytes used, %s remained\n", used, Logger::RemainedText(used).c_str());
             },
         .showProgress =
             [progress](const std::string& text) {
                 if (progress) std::fprintf(stderr, "\r%s   ", text.c_str());
             },
         .carryOn = [] { return !stopRequested; },
         .showSets = [&sets](const std::vector<Logger::DataSet>& found) { sets = found; },
         .transferDone = [progress] {
             if (progress) std::fprintf(stderr, "\n");
         },
         .showTime = [] {}},
        Monotonic);
    const MemoryExchange::Outcome outcome = exchange.Run();
    Rs232_API::CloseAllPorts();
    switch (outcome) {
        case MemoryExchange::Outcome::NoData:
            std::fprintf(stderr, "No Data in Memory\n");
            return Ok;
        case MemoryExchange::Outcome::NoAnswer:
            std::fprintf(stderr, "tq36-cli: COM %d: No answer from the meter, try again!\n", options.com);
            return NoMeter;
        case MemoryExchange::Outcome::Stopped:
            std::fprintf(stderr, "tq36-cli: download stopped\n");
            return 130;
        case MemoryExchange::Outcome::Listed:
            break;
    }
    if (options.list) {
        std::printf("Set\tSampling\tRecords\n");
        for (const Logger::DataSet& set : sets) std::printf("%d\t%d\t%ld\n", set.number, set.sampling, set.records);
        return Ok;
    }
    std::error_code made;
    std::filesystem::create_directories(options.outDir, made);
    const int start = options.startSeconds.value_or(TimeOfDay().seconds);
    const std::vector<std::uint8_t>& memory = DataLogger::Instance().MemoryImage();
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
        bool written = writer.Open(path) && ListSave::Write(writer, rows);
        written = writer.Close() && written;
        if (!written) {
            std::fprintf(stderr, "tq36-cli: %s could not be written (%s)\n", path.c_str(), writer.ErrorText().c_str());
            return Io;
        }
        std::printf("%s\t%d s\t%ld records\n", path.c_str(), set.sampling, records);
    }
    return Ok;
}

}  // namespace Cli
