#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>

#include "CommandSupport.h"
#include "Commands.h"
#include "TimeTexts.h"

namespace Cli {

namespace {

std::string InUseText(const std::string& path) {
    return path + " is being written by another recording; record into another file";
}

// An existing record file is someone's earlier run: it is replaced only when asked to, and never
// while another recording writes it. Said before the meter is waited for; the file is made
// exclusively and locked as well, for one that comes meanwhile.
int RefuseToReplace(const Options& options) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(options.out, error);
    if (!std::filesystem::exists(status)) return Ok;
    if (!std::filesystem::is_regular_file(status)) {
        Say("tq36-cli: " + NotAFileText(options.out, "record"));
        return Exists;
    }
    const int obstacle = RecordWriter::ObstacleToGrowing(options.out);
    if (obstacle == RecordWriter::InUse) {
        Say("tq36-cli: " + InUseText(options.out));
        return Exists;
    }
    if (!options.force) {
        Say("tq36-cli: " + options.out + " exists; --force replaces it");
        return Exists;
    }
    if (obstacle != 0) {
        // A read-only file, say: told now, not after the wait for the meter.
        Say("tq36-cli: " + options.out + " cannot be written (" + std::strerror(obstacle) + "); it was left as it was");
        return Io;
    }
    return Ok;
}

// The limits of a recording, counted in samples due from the first one on the sampling clock, so
// that they hold whether or not the meter answers them and whether or not the process could take
// them; `elapsed` (seconds since the first sample) keeps --duration also where samples go by
// untaken.
bool LimitReached(const Options& options, long due, double elapsed) {
    if (options.count && due >= *options.count) return true;
    if (!options.durationSeconds) return false;
    const double duration = *options.durationSeconds;
    return due * static_cast<double>(options.interval) >= duration || elapsed >= duration;
}

// The samples due that the limits let into a recording: the first --count, or those due within
// --duration.
long SamplesAllowed(const Options& options) {
    if (options.count) return *options.count;
    if (options.durationSeconds) {
        return static_cast<long>(std::ceil(*options.durationSeconds / static_cast<double>(options.interval)));
    }
    return std::numeric_limits<long>::max();
}

std::string LimitText(const Options& options) {
    if (options.count) return ", " + std::to_string(*options.count) + " samples";
    if (options.durationSeconds) return ", for " + ElapsedText(static_cast<long>(*options.durationSeconds));
    return ", until stopped";
}

// The desktop program's recording on the engine, waiting for a silent meter instead of stopping and
// with no limit but the ones asked for here.
class RecordRun : public AcquisitionEngine::Listener {
public:
    RecordRun(const Options& options, const AcquisitionEngine::Clock& clock)
        : options_(options),
          engine_({.port = options.com,
                   .lostLink = PcRecording::LostLink::Wait,
                   .maxRecords = 0,
                   .maxSamplesDue = SamplesAllowed(options) == std::numeric_limits<long>::max() ? 0 : SamplesAllowed(options)},
                  clock, *this) {}

    AcquisitionEngine& Engine() { return engine_; }

    void ReadingShown(const CurrentReading&) override {
        // The file is made once the meter has answered, in the channel mode of its first frame.
        if (grid_.Begin(engine_)) {
            engine_.StartRecording(options_.out,
                                   options_.force ? RecordWriter::Existing::Replace : RecordWriter::Existing::Keep,
                                   {.csv = options_.csv,
                                    .csvStyle = {.delimiter = options_.delimiter, .decimalComma = options_.decimalComma}});
        }
    }

    void ClockStepped(const AcquisitionEngine::ClockStep& step) override { Say(ClockStepText(step)); }

    void RecordingChanged(const AcquisitionEngine::RecordingReport& report) override {
        using Event = AcquisitionEngine::RecordingReport::Event;
        records_ = report.records;
        switch (report.event) {
            case Event::Started:
                recording_ = true;
                Say(report.time + "  recording COM " + std::to_string(options_.com) + " into " +
                    options_.out + ", every " + std::to_string(options_.interval) + " s" + LimitText(options_));
                break;
            case Event::NotCreated:
                if (report.errorCode == EEXIST) {
                    End(Exists, options_.out + " exists; --force replaces it");
                } else if (report.errorCode == RecordWriter::NotAFile) {
                    End(Exists, NotAFileText(options_.out, "record"));
                } else if (report.errorCode == RecordWriter::InUse) {
                    End(Exists, InUseText(options_.out));
                } else {
                    std::error_code error;
                    const bool there = std::filesystem::exists(options_.out, error);
                    End(Io, options_.out + " could not be " + (there ? "written" : "created") + " (" + report.error + ")");
                }
                break;
            case Event::StoppedChannelMode:
                End(EndedEarly, "ended early: the meter changed between one and two channels");
                break;
            case Event::WriteFailed:
            case Event::StoppedByUser:
                // The file refused a record, or its last bytes as it was closed.
                if (report.event == Event::WriteFailed || !report.error.empty()) {
                    End(Io, "ended: " + options_.out + " could not be written (" + report.error + ")");
                }
                break;
            case Event::StoppedLimit:
                // The sample past the limit, taken late after a stop across the last one due, was
                // not written; the count of samples due ends the run at once.
            case Event::StoppedLostLink:
                break;  // never happens to a recording that waits
        }
    }

    void SampleTaken(const AcquisitionEngine::Sample& sample) override {
        if (!recording_ || ended_ || !grid_.Take(engine_)) return;
        if (due_ == 0) {
            started_ = Monotonic();
        } else {
            // Samples of the grid that went by untaken (the process was stopped or starved) are
            // missing from the file too, those the limits let in; one taken late stands for its
            // own. Counted on the sampling clock: a clock of the day set back or forward is no gap.
            const long missed = std::clamp(sample.missed, 0L, std::max(0L, SamplesAllowed(options_) - due_));
            due_ += missed;
            withoutReading_ += missed;
        }
        ++due_;
        using Result = PcRecording::Result;
        if (sample.recording == Result::Stale) {
            ++withoutReading_;  // no record of a reading not renewed
            return;
        }
        if (sample.recording == Result::WaitingForMeter) {
            ++silentMissed_;
            if (!waiting_) Say(sample.time + "  the meter is silent; waiting for it");
            waiting_ = true;
            return;
        }
        if (waiting_) Say(sample.time + "  the meter is back; recording goes on");
        waiting_ = false;
        if (sample.recording == Result::Written && ProgressWanted()) {
            ShowProgress(std::to_string(sample.recordCount) + " records, " +
                         ElapsedText(static_cast<long>(Monotonic() - started_)) + " elapsed, last " +
                         sample.reading.T1Value.Text() + " " + sample.reading.UnitText);
        }
    }

    // A turn takes one sample at most: asked before each, this ends the run right after the last
    // sample due.
    bool CarryOn() {
        limitReached_ = due_ > 0 && LimitReached(options_, due_, Monotonic() - started_);
        return !ended_ && !limitReached_;
    }

    // Says how the run ended: the records in the file, the samples missing from it and why it
    // ended. Its exit status.
    int Finish() {
        // Whatever was recorded stays: the file is closed with every record written so far.
        engine_.StopRecording();
        if (!recording_) {
            if (status_ != Ok) Say("tq36-cli: " + problem_);
            std::error_code error;
            Say("nothing recorded; " + options_.out +
                (std::filesystem::exists(options_.out, error) ? " was left as it was" : " was not made"));
            return status_;
        }
        std::string end = TimeOfDay().text + "  " + std::to_string(records_) + " records in " + options_.out;
        std::string gaps;
        if (silentMissed_ > 0) {
            gaps = std::to_string(silentMissed_) + " samples missed while the meter was silent";
        }
        if (withoutReading_ > 0) {
            gaps += (gaps.empty() ? "" : ", ") + std::to_string(withoutReading_) +
                    " samples without a new reading";
        }
        if (!gaps.empty()) end += " (" + gaps + ")";
        if (status_ != Ok) {
            end += "; " + problem_;
        } else if (limitReached_) {
            end += "; ended: limit reached";
        } else {
            end += "; ended: stopped by " + StopSignalName();
        }
        Say(end);
        return status_;
    }

private:
    void End(int status, const std::string& problem) {
        ended_ = true;
        if (status_ != Ok) return;  // the first reason is the one that counts
        status_ = status;
        problem_ = problem;
    }

    const Options& options_;
    AcquisitionEngine engine_;
    SamplingGrid grid_{options_.interval};  // begun: the meter's first frame came, the file was asked for
    bool recording_ = false;  // the file was made
    bool ended_ = false;
    bool waiting_ = false;
    bool limitReached_ = false;
    double started_ = 0;  // the first sample, on the monotonic clock
    long due_ = 0;        // samples due since then, written or not
    long records_ = 0;    // in the file, as the engine last reported them
    long silentMissed_ = 0;
    long withoutReading_ = 0;
    int status_ = Ok;
    std::string problem_;
};

}  // namespace

int Record(const Options& options) { return Record(options, EngineClock()); }

int Record(const Options& options, const AcquisitionEngine::Clock& clock) {
    if (const int status = RefuseToReplace(options); status != Ok) return status;
    RecordRun run(options, clock);
    if (const int status = OpenMeter(run.Engine(), options.com); status != Ok) return status;
    if (!Drive(run.Engine(), [&] { return run.CarryOn(); })) {
        SayMeterSilent(options.com);
        return NoMeter;
    }
    return run.Finish();
}

}  // namespace Cli
