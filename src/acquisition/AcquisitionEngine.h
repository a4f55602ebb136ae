#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "acquisition/FrameFinder.h"
#include "acquisition/PcRecording.h"
#include "acquisition/RealTimeList.h"
#include "acquisition/SamplingSchedule.h"
#include "logger/LoggerFormat.h"
#include "logger/MemoryExchange.h"
#include "meter/CurrentReading.h"

class ComPortAPI;

// The meter's link, whole: owns the open port and reads it as bytes arrive, finds and decodes the
// frames the meter sent and stamps each with its arrival, keeps the current reading, says "No COM" and closes and
// reopens a silent port in rhythm, takes the PC samples on the sampling clock, writes the recording
// and feeds the real-time list, and runs the logger exchange when asked. It waits plainly on the
// port, so it runs on a thread of its own in the desktop program and on the main thread of
// tq36-cli. Everything it tells goes to its Listener as values; commands from other threads go
// through Post, which wakes it.
class AcquisitionEngine {
public:
    // The clock of the day moving this far against the steady clock is a step, not jitter.
    static constexpr double ClockStepSeconds = 1.0;
    // No good frame for this long: the meter is silent ("No COM"), and each further silence of
    // this length is one step of the close-and-reopen rhythm. Three collection windows of a
    // second or more each, as a polling program would have waited.
    static constexpr double SilenceSeconds = 3.0;
    // After a logger exchange the rest of a dump may still arrive: the line counts as settled
    // once it has been quiet this long (the dump streams without a pause, the meter's frames
    // come with gaps of almost half a second).
    static constexpr double SettleQuietSeconds = 0.25;
    // A dump still streaming in after an ended exchange keeps the meter from counting as silent,
    // but no longer than a whole logger memory takes at 9600 baud.
    static constexpr double SettleAtMostSeconds = 70;

    // A wait that ends this much later than it was meant to (or a look at the port this much later
    // than the last) means the program could not read meanwhile: what waited is of unknown age.
    static constexpr double LateSeconds = 0.25;

    struct Clock {
        std::function<double()> steady;     // seconds on a clock that never jumps
        std::function<double()> timeOfDay;  // seconds since midnight, with their fraction
        // Seconds on the clock the meter's bytes arrive by, which times the frames on the line;
        // empty: the steady clock. Only a test that stands the steady clock while a meter runs in
        // real time tells them apart.
        std::function<double()> line = {};
        // Seconds on a clock that runs on while the machine sleeps (the steady clock stands
        // still then), which judges the engine's waits; empty: the steady clock.
        std::function<double()> boot = {};
        // Seconds since 1970 UTC on the clock of the day, read with the time of day: with it a
        // sample carries its date and the offset from UTC in force (Sample::timestamp).
        std::function<double()> calendar = {};
    };

    struct Settings {
        int port = 1;
        std::string mode = "baud=9600 parity=N data=8 stop=1";
        PcRecording::LostLink lostLink = PcRecording::LostLink::Stop;
        long maxRecords = PcRecording::DesktopMaxRecords;
        long maxSamplesDue = 0;  // a recording's limit in samples due, written or not; 0: none
        // A beat at the start of every second of the sampling clock, whatever the interval: the
        // desktop's statistics gather once a second.
        bool beats = false;
    };

    // One sample as the sampling clock took it.
    struct Sample {
        std::string time;  // "hh:mm:ss"
        // Date, time and UTC offset ("2026-12-08T02:49:09+01:00"), with a calendar clock; empty
        // without one.
        std::string timestamp;
        std::string line;  // time and readings, TAB-separated, as a record holds them
        // A frame that arrived within the last 3 s and that no earlier sample took; without one the
        // sample is a gap in the record and the list.
        bool fresh = false;
        // Samples due before this one that the sampling clock could not take (the process was
        // stopped or starved); none for a clock of the day set back or forward.
        long missed = 0;
        CurrentReading reading;
        PcRecording::Result recording = PcRecording::Result::NotRecording;
        long recordCount = 0;
        RealTimeList::Step list;
        // The meter changed channel mode since the list or statistics started.
        bool channelModeChanged = false;
    };

    // How a recording began or ended.
    struct RecordingReport {
        enum class Event { Started, NotCreated, StoppedByUser, StoppedLimit, StoppedChannelMode, StoppedLostLink, WriteFailed };
        Event event = Event::Started;
        std::string path;
        long records = 0;     // kept in the file
        std::string time;     // "hh:mm:ss" of the event
        std::string error;    // the system's reason, for NotCreated and WriteFailed
        int errorCode = 0;    // and its code (RecordWriter::ErrorCode)
    };

    // One second's beat: the time of day it fell on and the reading then.
    struct Beat {
        std::string time;  // "hh:mm:ss"
        CurrentReading reading;
    };

    // The clock of the day moved against the steady clock: set back at the end of daylight saving
    // time or by a correction, set forward, or the machine slept. Sampling goes on, on the steady
    // clock; records carry the time of day as it is when they are taken.
    struct ClockStep {
        double seconds = 0;  // how far it moved; below 0 back
        std::string before;  // "hh:mm:ss" the clock would have shown
        std::string after;   // "hh:mm:ss" it shows
    };

    struct DownloadReport {
        MemoryExchange::Outcome outcome = MemoryExchange::Outcome::NoAnswer;
        std::vector<std::uint8_t> memory;
        std::vector<Logger::DataSet> sets;
        long announced = 0;  // bytes the meter said it held
    };

    // Everything arrives on the engine's thread; every argument is a value the listener may keep.
    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void PortSeen(int /*number*/) {}  // bytes came from the port
        virtual void ReadingShown(const CurrentReading& /*reading*/) {}
        virtual void NoCom() {}
        virtual void SampleTaken(const Sample& /*sample*/) {}
        virtual void BeatTaken(const Beat& /*beat*/) {}
        virtual void RecordingChanged(const RecordingReport& /*report*/) {}
        virtual void ListChanged(RealTimeList::State /*state*/) {}
        virtual void ClockStepped(const ClockStep& /*step*/) {}
        virtual void DownloadWindow(long /*usedBytes*/) {}
        virtual void DownloadProgress(const std::string& /*text*/) {}
        virtual void DownloadEnded(const DownloadReport& /*report*/) {}
    };

    AcquisitionEngine(Settings settings, Clock clock, Listener& listener);
    ~AcquisitionEngine();
    AcquisitionEngine(const AcquisitionEngine&) = delete;
    AcquisitionEngine& operator=(const AcquisitionEngine&) = delete;

    // Opens the port; false when it did not open (the engine keeps trying in its rhythm).
    bool Open();
    // Why the port last failed to open: the system's error code, as the driver recorded it.
    long OpenError() const;
    // Runs turns until Stop is asked for, then closes the port.
    void Run();
    // Waits at most `maxWait` seconds for bytes, a command or the next due moment, and handles
    // what came.
    void Turn(double maxWait);

    // From any thread: `command` runs on the engine's thread at its next turn.
    void Post(std::function<void(AcquisitionEngine&)> command);
    // From any thread, also from a signal handler: Run returns and a logger exchange ends.
    void Stop();
    bool Stopping() const { return stop_.load(); }

    // Commands: call them on the engine's thread (through Post from any other).
    void StartRecording(const std::string& path,
                        RecordWriter::Existing existing = RecordWriter::Existing::Replace,
                        const RecordingFormat& format = {});
    void StopRecording();
    // A new interval takes effect at once: the next sample is one interval from now.
    void SetInterval(int seconds);
    void ChannelModeStarted(bool dualChannel) { channelModeAtStart_ = dualChannel; }
    void ListOpened(bool dualChannel);
    void ListClosed();
    void ListTogglePause();
    // A Save dialog is open: a running list holds, unless a recording runs.
    void HoldList(bool held);
    void Download(MemoryExchange::Limits limits = {});
    void CancelDownload() { downloadCancelled_ = true; }
    void Reconnect();

    // The engine's own view, for its thread and for tests.
    const CurrentReading& Reading() const { return reading_; }
    const PcRecording& Recorder() const { return recorder_; }
    int SamplingSeconds() const { return schedule_.SamplingSeconds(); }
    bool PortOpen() const;
    long BytesRead() const { return bytesRead_; }

private:
    class ExchangeLine;

    void RunCommands();
    // The port is open and read: quiet on it is quiet on the line.
    bool Listening() const;
    struct Woken {
        short events = 0;   // what the port showed
        bool late = false;  // the wait, or the look at the port before it, came far too late
    };
    // Waits for the port (when `watchPort`), a command or the timeout.
    Woken Wait(double seconds, bool watchPort);
    double Line() const { return clock_.line ? clock_.line() : clock_.steady(); }
    double Boot() const { return clock_.boot ? clock_.boot() : clock_.steady(); }
    // A moment on the line clock, on the steady clock.
    double LineToSteady(double lineTime) const { return clock_.steady() - (Line() - lineTime); }
    void ReadPort(double now, const Woken& woken);
    void FrameFound(const std::optional<FrameFinder::Found>& found);
    void CheckSilence(double now);
    void SilentTick(double now);
    void SampleClock();
    void WatchClock(double now, double timeOfDay);
    void TakeSample(const std::string& time, const std::string& timestamp, double now);
    void Report(RecordingReport::Event event, long records, const std::string& error = {});
    std::string TimeText() const;
    // When the next sample or beat is due, on the steady clock.
    double NextSample() const;
    // When the frame finder asks to look again, on the steady clock.
    double FinderDue() const;
    // The earliest of these, the silence's next step and the line settling after an exchange.
    double NextDue() const;

    Settings settings_;
    Clock clock_;
    Listener& listener_;
    std::unique_ptr<ComPortAPI> driver_;
    int wakeFd_ = -1;

    std::mutex commandsLock_;
    std::deque<std::function<void(AcquisitionEngine&)>> commands_;
    std::atomic<bool> stop_{false};

    FrameFinder finder_;
    CurrentReading reading_;
    double lastFrameAt_ = -1;   // arrival of the newest good frame, on the steady clock
    bool frameTaken_ = false;   // a sample took the newest frame already
    double silentSince_ = 0;    // the last good frame or the last silent tick
    int noDataTicks_ = 0;
    bool readFailed_ = false;   // the port failed; it is not read again until reopened
    bool portShown_ = false;
    double busySince_ = -1;     // after an exchange: when the line was last busy; below 0 settled
    double exchangeEnded_ = -1;
    long bytesRead_ = 0;
    // When the last wait ended, on the boot clock; below 0 before the first.
    double lastWaitEnd_ = -1;

    SamplingSchedule schedule_;
    SamplingSchedule beats_{1};
    std::optional<double> clockOffset_;  // the time of day less the steady clock, at the last look
    PcRecording recorder_;
    RealTimeList list_;
    bool channelModeAtStart_ = false;
    std::optional<RealTimeList::DialogHold> listHold_;
    bool downloading_ = false;
    bool downloadCancelled_ = false;
};
