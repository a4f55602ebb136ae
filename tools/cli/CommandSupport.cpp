#include "CommandSupport.h"

#include "acquisition/SystemClock.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "Commands.h"
#include "PortProblem.h"
#include "TimeTexts.h"
#include "logger/LoggerFormat.h"
#include "meter/CurrentReading.h"
#include "serial/PortNames.h"

namespace Cli {

namespace {

// A turn waits at most this long, so that the commands look at their limits and at the publisher
// a few times a second even while the meter is silent.
constexpr double TurnSeconds = 0.25;

// The stop signal that came, 0 before one; the engine being driven, if any, is stopped by the
// handler itself.
volatile std::sig_atomic_t stopRequested = 0;
std::atomic<AcquisitionEngine*> signalled{nullptr};
static_assert(std::atomic<AcquisitionEngine*>::is_always_lock_free, "the signal handler reads it");

void OnStopSignal(int signal) {
    if (stopRequested == 0) stopRequested = signal;
    // Stop is an atomic store and a write: all a signal handler may do.
    if (AcquisitionEngine* engine = signalled.load()) engine->Stop();
}

// The system's reason for the first write to stdout that failed; 0 while all went out.
int outputError = 0;

// A live progress line is on the terminal and a message must not run into it.
bool progressShown = false;

std::string Json(const Reading& value) {
    return value.IsNumber() ? value.Text() : "\"" + value.Text() + "\"";
}

}  // namespace

Now TimeOfDay() {
    // The precise clock: time() may lag a few milliseconds behind it, past the moment the waits
    // end for a new second.
    const std::time_t t = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&t, &local);
    const int seconds = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
    return {seconds, Logger::TimeText(seconds), local};
}

double Monotonic() { return SystemClock::Steady(); }

AcquisitionEngine::Clock EngineClock() { return SystemClock::ForEngine(); }

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

bool WriteOutput(std::string_view text) {
    if (outputError != 0) return false;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
        outputError = errno != 0 ? errno : EIO;
        return false;
    }
    return true;
}

bool FlushOutput() {
    if (outputError == 0 && std::fflush(stdout) == EOF) outputError = errno != 0 ? errno : EIO;
    return outputError == 0;
}

bool OutputFailed() { return outputError != 0; }

void Say(const std::string& line) {
    if (progressShown) std::fputs("\r\033[K", stderr);
    progressShown = false;
    std::fprintf(stderr, "%s\n", line.c_str());
}

void ShowProgress(const std::string& text) {
    std::fprintf(stderr, "\r%s\033[K", text.c_str());
    progressShown = true;
}

bool ProgressWanted() { return isatty(STDERR_FILENO); }

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

std::string NotAFileText(const std::string& path, const std::string& command) {
    struct stat st{};
    std::string kind = "something";
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) kind = "a folder";
        if (S_ISFIFO(st.st_mode)) kind = "a FIFO";
        if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode)) kind = "a device";
        if (S_ISSOCK(st.st_mode)) kind = "a socket";
    }
    return path + " is " + kind + ", not a regular file; " + command + " writes only files";
}

std::string ClockStepText(const AcquisitionEngine::ClockStep& step) {
    const bool back = step.seconds < 0;
    return std::string("tq36-cli: the clock was set ") + (back ? "back" : "forward") + " by " +
           ElapsedText(std::lround(std::abs(step.seconds))) + ", from " + step.before + " to " + step.after +
           (back ? "; sampling goes on, the samples are stamped with the clock's time"
                 : "; sampling goes on from the new time, no samples were taken for the time skipped");
}

int OpenMeter(AcquisitionEngine& engine, int com) {
    if (engine.Open()) return Ok;
    const PortProblem problem = ExplainOpenFailure(com, PortNames::DevicePath(com), engine.OpenError());
    Say("tq36-cli: " + problem.text);
    return problem.status;
}

void SayMeterSilent(int com) {
    Say("tq36-cli: COM " + std::to_string(com) +
        ": the meter sent nothing within 5 s; check that it is switched on and that its cable is in this "
        "port");
}

bool SamplingGrid::Begin(AcquisitionEngine& engine) {
    if (state_ != State::Waiting) return false;
    state_ = State::Begun;
    engine.SetInterval(1);
    return true;
}

bool SamplingGrid::Take(AcquisitionEngine& engine) {
    if (state_ == State::Waiting) return false;
    if (state_ == State::Begun) {
        state_ = State::Running;
        engine.SetInterval(interval_);
    }
    return true;
}

StopOnSignal::StopOnSignal(AcquisitionEngine& engine) {
    signalled.store(&engine);
    if (stopRequested) engine.Stop();
}

StopOnSignal::~StopOnSignal() { signalled.store(nullptr); }

bool StopRequested() { return stopRequested != 0; }

std::string StopSignalName() {
    switch (stopRequested) {
        case SIGINT: return "SIGINT";
        case SIGTERM: return "SIGTERM";
        case SIGHUP: return "SIGHUP";
        default: return {};
    }
}

void CatchStopSignals() {
    struct sigaction action{};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // SIGHUP too: a closed ssh session or terminal ends a command as SIGTERM does, with its files
    // whole and its end said, instead of killing it.
    for (const int signal : StopSignals) sigaction(signal, &action, nullptr);
}

bool Drive(AcquisitionEngine& engine, const std::function<bool()>& carryOn, bool waitForMeter) {
    const StopOnSignal stop(engine);
    const double start = Monotonic();
    while (!engine.Stopping() && carryOn()) {
        engine.Turn(TurnSeconds);
        if (!waitForMeter && engine.Reading().FrameTime < 0 && Monotonic() - start > SilentLimitSeconds)
            return false;
    }
    return true;
}

int FinishOutput(int status) {
    if (FlushOutput()) return status;
    // A reader that went away (a pipe into head) needs no word; anything else does.
    if (outputError != EPIPE) Say(std::string("tq36-cli: the standard output could not be written (") +
                                  std::strerror(outputError) + ")");
    return Io;
}

}  // namespace Cli
