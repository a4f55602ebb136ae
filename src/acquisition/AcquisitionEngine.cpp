#include "acquisition/AcquisitionEngine.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "acquisition/LocalTimestamp.h"
#include "meter/Meter.h"
#include "records/RecordFormat.h"
#include "serial/ComPortAPI.h"

namespace {
constexpr long ReadSize = 4096;
constexpr int SecondsPerDay = 86400;
// The sampling clock looks just after a sample falls due.
constexpr double PastTheDue = 0.001;

// The whole second of the day, to the millisecond the sampling clock counts in.
int SecondOfDay(double timeOfDay) {
    return static_cast<int>(std::llround(timeOfDay * 1000) / 1000 % SecondsPerDay);
}
}  // namespace

// The logger exchange's view of the port. Its waits keep the sampling clock and the commands going,
// so a download holds neither the samples (they are gaps meanwhile) nor a click.
class AcquisitionEngine::ExchangeLine : public MemoryExchange::Line {
public:
    explicit ExchangeLine(AcquisitionEngine& engine) : engine_(engine) {}

    void Send(std::uint8_t command) override {
        if (engine_.PortOpen()) engine_.driver_->CommWrite(engine_.settings_.port, {command});
    }
    std::vector<std::uint8_t> Take() override {
        takenLate_ = lateSinceTake_;
        lateSinceTake_ = false;
        takenAt_ = engine_.Line();
        if (!engine_.Listening()) return {};
        std::vector<std::uint8_t> arrived;
        const long count = engine_.driver_->CommRead(engine_.settings_.port, arrived, ReadSize);
        if (count > 0) {
            engine_.bytesRead_ += count;
            return arrived;
        }
        // A device that is gone (adapter pulled) or failing reads as nothing; only the port's
        // state tells. It is not read again until reopened, as outside an exchange.
        if (count < 0 || HungUp()) engine_.readFailed_ = true;
        return {};
    }
    // Bytes the exchange took that answered nothing: the meter's live stream, read as the port's.
    void Unanswered(std::span<const std::uint8_t> bytes) override {
        engine_.FrameFound(engine_.finder_.Add(bytes, takenAt_, takenLate_));
    }
    bool Gone() const override { return !engine_.Listening(); }
    void Wait(double seconds) override {
        const double end = engine_.clock_.steady() + seconds;
        for (;;) {
            engine_.RunCommands();
            double now = engine_.clock_.steady();
            engine_.FrameFound(engine_.finder_.Quiet(engine_.Line()));
            engine_.SampleClock();
            if (now >= end || engine_.Stopping()) return;
            // The line is the exchange's: no silence is due meanwhile, only the sampling clock and
            // a frame of the live stream the exchange passed on.
            const double due = std::min({end, engine_.NextSample(), engine_.FinderDue()});
            if (engine_.Wait(due - now, false).late) lateSinceTake_ = true;
        }
    }
    void Flush() override {
        if (engine_.PortOpen()) engine_.driver_->CommFlush(engine_.settings_.port);
    }

private:
    bool HungUp() const {
        pollfd port{engine_.driver_->Descriptor(engine_.settings_.port), POLLIN, 0};
        return poll(&port, 1, 0) > 0 && (port.revents & (POLLHUP | POLLERR | POLLNVAL));
    }

    AcquisitionEngine& engine_;
    bool lateSinceTake_ = false;  // a wait since the last Take came far too late
    bool takenLate_ = false;      // so the bytes of the last Take may be old
    double takenAt_ = 0;          // on the line clock, just before the last Take read
};

AcquisitionEngine::AcquisitionEngine(Settings settings, Clock clock, Listener& listener)
    : settings_(std::move(settings)),
      clock_(std::move(clock)),
      listener_(listener),
      driver_(std::make_unique<ComPortAPI>()),
      wakeFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)),
      recorder_(settings_.lostLink, settings_.maxRecords, settings_.maxSamplesDue) {
    silentSince_ = clock_.steady();
}

AcquisitionEngine::~AcquisitionEngine() {
    recorder_.Stop();
    if (wakeFd_ >= 0) close(wakeFd_);
}

bool AcquisitionEngine::Open() {
    driver_->CommOpen(settings_.port, "COM" + std::to_string(settings_.port), settings_.mode);
    readFailed_ = false;
    finder_.Clear();
    silentSince_ = clock_.steady();
    // A dump goes on while the port is closed (the rhythm closes it when no frame comes for long):
    // an unsettled line settles only on quiet heard since it opened again.
    if (busySince_ >= 0) busySince_ = silentSince_;
    return PortOpen();
}

long AcquisitionEngine::OpenError() const {
    std::string message;
    return driver_->CommGetError(message);
}

bool AcquisitionEngine::Listening() const { return !readFailed_ && PortOpen(); }

bool AcquisitionEngine::PortOpen() const {
    try {
        return driver_->IsOpen(settings_.port);
    } catch (...) {
        return false;  // a number the driver cannot hold never opens
    }
}

void AcquisitionEngine::Run() {
    while (!Stopping()) Turn(1.0);
    RunCommands();
    // Whatever was recorded stays: the file is closed with every record written so far.
    recorder_.Stop();
    if (PortOpen()) driver_->CommClose(settings_.port);
}

void AcquisitionEngine::Post(std::function<void(AcquisitionEngine&)> command) {
    {
        std::lock_guard lock(commandsLock_);
        commands_.push_back(std::move(command));
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(wakeFd_, &one, sizeof one);
}

void AcquisitionEngine::Stop() {
    stop_.store(true);
    // Only what a signal handler may do: an atomic store and a write.
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(wakeFd_, &one, sizeof one);
}

void AcquisitionEngine::RunCommands() {
    std::deque<std::function<void(AcquisitionEngine&)>> due;
    {
        std::lock_guard lock(commandsLock_);
        due.swap(commands_);
    }
    for (auto& command : due) command(*this);
}

AcquisitionEngine::Woken AcquisitionEngine::Wait(double seconds, bool watchPort) {
    pollfd watched[2] = {{wakeFd_, POLLIN, 0}, {-1, POLLIN, 0}};
    if (watchPort && !readFailed_ && PortOpen()) watched[1].fd = driver_->Descriptor(settings_.port);
    const double asked = std::clamp(seconds, 0.0, 3600.0);
    const double start = Boot();
    const int polled = poll(watched, 2, static_cast<int>(std::ceil(asked * 1000)));
    // A stopped process, a starved machine or a suspend: the wait, or the work since the last one,
    // took far longer than meant. The boot clock runs on through all three (the steady one stands
    // still while the machine sleeps).
    const double end = Boot();
    Woken woken;
    woken.late = end - start > asked + LateSeconds || (lastWaitEnd_ >= 0 && start - lastWaitEnd_ > LateSeconds);
    lastWaitEnd_ = end;
    if (polled <= 0) return woken;
    if (watched[0].revents & POLLIN) {
        std::uint64_t count = 0;
        [[maybe_unused]] ssize_t got = read(wakeFd_, &count, sizeof count);
    }
    if (watched[1].fd >= 0) woken.events = watched[1].revents;
    return woken;
}

double AcquisitionEngine::NextSample() const {
    const double next = schedule_.NextSampleTime();
    return (settings_.beats ? std::min(next, beats_.NextSampleTime()) : next) + PastTheDue;
}

double AcquisitionEngine::FinderDue() const {
    const double due = finder_.DueAt();
    return std::isinf(due) ? due : LineToSteady(due) + PastTheDue;
}

double AcquisitionEngine::NextDue() const {
    double due = std::min({NextSample(), silentSince_ + SilenceSeconds, FinderDue()});
    if (busySince_ >= 0 && Listening()) due = std::min(due, busySince_ + SettleQuietSeconds);
    return due;
}

void AcquisitionEngine::Turn(double maxWait) {
    RunCommands();
    if (Stopping()) return;
    double now = clock_.steady();
    Woken woken = Wait(std::min(NextDue() - now, maxWait), true);
    now = clock_.steady();
    // A process stopped or starved past the silence looks at the port once more before it calls
    // the meter silent: what the meter sent meanwhile is waiting there (and of unknown age).
    if (woken.events == 0 && now - silentSince_ >= SilenceSeconds) {
        const bool late = woken.late;
        woken = Wait(0, true);
        woken.late = woken.late || late;
    }
    if (woken.events != 0) ReadPort(now, woken);
    FrameFound(finder_.Quiet(Line()));
    RunCommands();
    if (busySince_ >= 0 && Listening() && now - busySince_ >= SettleQuietSeconds) busySince_ = -1;
    CheckSilence(now);
    SampleClock();
}

void AcquisitionEngine::ReadPort(double now, const Woken& woken) {
    // The bytes' arrival, read before they are: whatever moves the line's clock once they are read
    // (a test's meter) cannot make them later than they came.
    const double arrivedAt = Line();
    std::vector<std::uint8_t> arrived;
    const long count = driver_->CommRead(settings_.port, arrived, ReadSize);
    if (count < 0 || (count == 0 && (woken.events & (POLLHUP | POLLERR | POLLNVAL)))) {
        // The device is gone (cable pulled) or failing: no more reads until it is reopened.
        readFailed_ = true;
        SilentTick(now);
        return;
    }
    if (count == 0) return;
    bytesRead_ += count;
    if (!portShown_) {
        portShown_ = true;
        listener_.PortSeen(settings_.port);
    }
    if (busySince_ >= 0) {
        // The rest of a dump, or frames cut by it: nothing of it is a reading. The meter that
        // sends it is not silent, for as long as a whole memory could still be coming.
        busySince_ = now;
        if (now - exchangeEnded_ < SettleAtMostSeconds) silentSince_ = now;
        finder_.Clear();
        return;
    }
    // Silence is what the engine heard while it listened: bytes that waited while it could not
    // read start its count afresh, though none of them is a reading.
    if (woken.late) silentSince_ = std::max(silentSince_, now);
    FrameFound(finder_.Add(arrived, arrivedAt, woken.late));
}

void AcquisitionEngine::FrameFound(const std::optional<FrameFinder::Found>& found) {
    if (!found) return;
    const double arrived = LineToSteady(found->arrived);
    Meter::DecodeFrameBody(reading_, found->frame.bytes.data() + 1);
    reading_.MeterOnline = true;
    reading_.FrameTime = arrived;
    lastFrameAt_ = arrived;
    frameTaken_ = false;
    silentSince_ = std::max(silentSince_, arrived);
    listener_.ReadingShown(reading_);
}

void AcquisitionEngine::CheckSilence(double now) {
    if (now - silentSince_ >= SilenceSeconds) SilentTick(now);
}

// "No COM", and one step of the rhythm: every second silent tick closes an open port or reopens a
// closed one. A good frame does not reset the count.
void AcquisitionEngine::SilentTick(double now) {
    silentSince_ = now;
    portShown_ = false;
    reading_.MeterOnline = false;
    finder_.Clear();
    listener_.NoCom();
    if (++noDataTicks_ < 2) return;
    noDataTicks_ = 0;
    if (PortOpen()) {
        driver_->CommClose(settings_.port);
    } else {
        Open();
    }
}

std::string AcquisitionEngine::TimeText() const { return Logger::TimeText(SecondOfDay(clock_.timeOfDay())); }

void AcquisitionEngine::SampleClock() {
    // Both clocks read together: a second's start on the steady clock is only as exact as that.
    const double now = clock_.steady();
    const double timeOfDay = clock_.timeOfDay();
    WatchClock(now, timeOfDay);
    if (schedule_.Tick(now, timeOfDay)) {
        const int second = SecondOfDay(timeOfDay);
        TakeSample(Logger::TimeText(second),
                   clock_.calendar ? LocalTimestamp::OfSample(clock_.calendar(), second) : std::string(), now);
    }
    if (settings_.beats && beats_.Tick(now, timeOfDay))
        listener_.BeatTaken(Beat{Logger::TimeText(SecondOfDay(timeOfDay)), reading_});
}

void AcquisitionEngine::WatchClock(double now, double timeOfDay) {
    const double offset = timeOfDay - now;
    const std::optional<double> last = std::exchange(clockOffset_, offset);
    if (!last) return;
    // Midnight takes a day off the time of day: that is no step. A step of half a day or more
    // cannot be told from midnight and counts as the nearer of the two.
    double moved = std::remainder(offset - *last, double(SecondsPerDay));
    if (std::abs(moved) < ClockStepSeconds) return;
    ClockStep step;
    step.seconds = moved;
    step.before = Logger::TimeText(SecondOfDay(std::fmod(timeOfDay - moved + SecondsPerDay, SecondsPerDay)));
    step.after = Logger::TimeText(SecondOfDay(timeOfDay));
    listener_.ClockStepped(step);
}

void AcquisitionEngine::TakeSample(const std::string& time, const std::string& timestamp, double now) {
    Sample sample;
    sample.time = time;
    sample.timestamp = timestamp;
    sample.line = RecordFormat::SampleLine(reading_, time);
    sample.fresh = reading_.MeterOnline && lastFrameAt_ >= 0 && !frameTaken_ &&
                   now - lastFrameAt_ < CurrentReading::FreshSeconds;
    if (sample.fresh) frameTaken_ = true;
    sample.missed = schedule_.Missed();
    sample.reading = reading_;

    const long before = recorder_.RecordCount();
    const std::string path = recorder_.Path();
    sample.recording = recorder_.Sample(reading_, time, sample.fresh, sample.missed, timestamp);
    sample.recordCount = recorder_.RecordCount();
    bool tickEnds = true;
    switch (sample.recording) {
        case PcRecording::Result::StoppedLimit:
            Report(RecordingReport::Event::StoppedLimit, before);
            break;
        case PcRecording::Result::StoppedChannelMode:
            Report(RecordingReport::Event::StoppedChannelMode, before);
            break;
        case PcRecording::Result::StoppedLostLink:
            Report(RecordingReport::Event::StoppedLostLink, before);
            break;
        case PcRecording::Result::WriteFailed:
            Report(RecordingReport::Event::WriteFailed, before, recorder_.ErrorText());
            tickEnds = false;  // the list is the user's second copy: it still gets the sample
            break;
        default:
            tickEnds = false;
    }
    const RealTimeList::State listBefore = list_.CurrentState();
    if (!tickEnds) {
        sample.list = list_.Take(sample.line, reading_.DualChannel, reading_.MeterOnline, channelModeAtStart_,
                                 sample.fresh);
        sample.channelModeChanged = reading_.DualChannel != channelModeAtStart_;
    }
    listener_.SampleTaken(sample);
    if (list_.CurrentState() != listBefore) listener_.ListChanged(list_.CurrentState());
}

void AcquisitionEngine::Report(RecordingReport::Event event, long records, const std::string& error) {
    RecordingReport report;
    report.event = event;
    report.path = recorder_.Path();
    report.records = records;
    report.time = TimeText();
    report.error = error;
    listener_.RecordingChanged(report);
}

void AcquisitionEngine::StartRecording(const std::string& path, RecordWriter::Existing existing,
                                       const RecordingFormat& format) {
    if (recorder_.Recording()) return;
    if (recorder_.Start(path, reading_.DualChannel, existing, format)) {
        Report(RecordingReport::Event::Started, 0);
    } else {
        RecordingReport report;
        report.event = RecordingReport::Event::NotCreated;
        report.path = path;
        report.time = TimeText();
        report.error = recorder_.ErrorText();
        report.errorCode = recorder_.ErrorCode();
        listener_.RecordingChanged(report);
    }
}

void AcquisitionEngine::StopRecording() {
    if (!recorder_.Recording()) return;
    const long records = recorder_.RecordCount();
    const bool closed = recorder_.Stop();
    Report(RecordingReport::Event::StoppedByUser, records, closed ? std::string() : recorder_.ErrorText());
}

void AcquisitionEngine::SetInterval(int seconds) { schedule_.SetInterval(seconds, clock_.steady(), clock_.timeOfDay()); }

void AcquisitionEngine::ListOpened(bool dualChannel) {
    channelModeAtStart_ = dualChannel;
    list_.Opened();
    listener_.ListChanged(list_.CurrentState());
}

void AcquisitionEngine::ListClosed() {
    listHold_.reset();
    list_.Closed();
    listener_.ListChanged(list_.CurrentState());
}

void AcquisitionEngine::ListTogglePause() {
    listener_.ListChanged(list_.TogglePause(reading_.MeterOnline));
}

void AcquisitionEngine::HoldList(bool held) {
    const RealTimeList::State before = list_.CurrentState();
    if (held) {
        if (!listHold_) listHold_.emplace(list_, recorder_.Recording());
    } else {
        listHold_.reset();
    }
    if (list_.CurrentState() != before) listener_.ListChanged(list_.CurrentState());
}

void AcquisitionEngine::Reconnect() {
    if (PortOpen()) driver_->CommClose(settings_.port);
    Open();
}

void AcquisitionEngine::Download(MemoryExchange::Limits limits) {
    if (downloading_ || !PortOpen()) {
        listener_.DownloadEnded({});
        return;
    }
    downloading_ = true;
    downloadCancelled_ = false;
    finder_.Clear();
    DownloadReport report;
    ExchangeLine line(*this);
    MemoryExchange exchange(
        line,
        {.showWindow = [this](long used) { listener_.DownloadWindow(used); },
         .showProgress = [this](const std::string& text) { listener_.DownloadProgress(text); },
         .carryOn = [this] { return !downloadCancelled_ && !Stopping(); },
         .showSets =
             [&report](const std::vector<std::uint8_t>& memory, const std::vector<Logger::DataSet>& sets,
                       long announced) {
                 report.memory = memory;
                 report.sets = sets;
                 report.announced = announced;
             },
         .transferDone = [] {},
         .showTime = [] {}},
        clock_.steady, limits);
    report.outcome = exchange.Run();
    downloading_ = false;
    // Nothing is shown or recorded again until the line has settled on real frames.
    const double now = clock_.steady();
    exchangeEnded_ = now;
    busySince_ = now;
    silentSince_ = now;
    frameTaken_ = true;
    finder_.Clear();
    listener_.DownloadEnded(report);
}
