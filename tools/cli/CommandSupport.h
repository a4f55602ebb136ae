#pragma once

#include <ctime>
#include <functional>
#include <string>
#include <string_view>

#include "acquisition/AcquisitionEngine.h"

struct CurrentReading;

// What the commands of tq36-cli share: their clocks, how they tell the user what goes on, opening
// the meter's port, and the loop that drives the acquisition engine on the main thread.
namespace Cli {

// No frame for this long: the meter counts as silent for the user (read and record give up at the
// start, publish says "offline").
constexpr double SilentLimitSeconds = 5;

// The time of day from one reading of the clock: seconds since midnight and "hh:mm:ss", and the
// calendar time they belong to.
struct Now {
    int seconds;
    std::string text;
    std::tm local;
};
Now TimeOfDay();
// Seconds on a clock that never jumps.
double Monotonic();
// The engine's clocks: Monotonic, and the time of day with its fraction.
AcquisitionEngine::Clock EngineClock();

// One line of results to stdout, passed on at once (a pipe's reader waits for it); false once
// stdout has refused a write.
bool PrintLine(const std::string& line);
// Text to stdout as it is, buffered (FinishOutput flushes it); false once stdout has refused a write.
bool WriteOutput(std::string_view text);
// Passes on what stdout holds; false once stdout has refused a write.
bool FlushOutput();
// True once stdout has refused a write.
bool OutputFailed();
// A line on stderr of what goes on; a live progress line is cleared first.
void Say(const std::string& line);
// The live progress line on stderr, replaced by the next one.
void ShowProgress(const std::string& text);
// A live progress line is shown only where a person watches: stderr is a terminal.
bool ProgressWanted();

// One reading as `read` prints it, and as publish sends it with --json's fields.
std::string ReadingLine(const CurrentReading& reading, const Now& now, bool json);

// What record and convert say of an output that is no regular file: what it is (a folder, a FIFO,
// a device), and that `command` writes only files.
std::string NotAFileText(const std::string& path, const std::string& command);

// What record and publish say when the clock of the day was set back or forward.
std::string ClockStepText(const AcquisitionEngine::ClockStep& step);

// Opens COM `com` for the engine; Ok, or the exit status after saying why it did not open.
int OpenMeter(AcquisitionEngine& engine, int com);
void SayMeterSilent(int com);

// The sampling grid of record and publish: the first sample on the first whole second after the
// meter's first frame, then one every interval. A sample on a whole second finds the newest frame
// of the second before it untaken; a first sample in the middle of a second would take the frame
// that the next one needs, and leave that one a gap about every other time.
class SamplingGrid {
public:
    explicit SamplingGrid(int interval) : interval_(interval) {}
    // At a frame: the first one begins the grid (true then).
    bool Begin(AcquisitionEngine& engine);
    // At a sample: true when it is one of the grid's, from the first on.
    bool Take(AcquisitionEngine& engine);
    bool Begun() const { return state_ != State::Waiting; }

private:
    enum class State { Waiting, Begun, Running };
    int interval_;
    State state_ = State::Waiting;
};

// A stop signal stops `engine` while this lives, and at once when one came before.
class StopOnSignal {
public:
    explicit StopOnSignal(AcquisitionEngine& engine);
    ~StopOnSignal();
    StopOnSignal(const StopOnSignal&) = delete;
    StopOnSignal& operator=(const StopOnSignal&) = delete;
};

// A stop signal came (for the commands that drive no engine).
bool StopRequested();
// The first stop signal that came, "SIGHUP" and the like; empty before one.
std::string StopSignalName();

// Runs the engine's turns until `carryOn` (asked before each turn) says no or a stop signal came.
// False when no frame came within the first 5 s (unless told to wait for the meter).
bool Drive(AcquisitionEngine& engine, const std::function<bool()>& carryOn, bool waitForMeter = false);

}  // namespace Cli
