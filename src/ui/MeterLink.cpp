#include "ui/MeterLink.h"

#include <QCoreApplication>
#include <QEvent>

#include "acquisition/SystemClock.h"


// Hands each event of the engine's thread to the link's thread as a copy.
class MeterLink::Relay : public AcquisitionEngine::Listener {
public:
    explicit Relay(MeterLink& link) : link_(link) {}

    void PortSeen(int number) override {
        Queue([number](MeterLink& link) { link.PortArrived(number); });
    }
    void ReadingShown(const CurrentReading& reading) override {
        Queue([reading](MeterLink& link) { link.ReadingArrived(reading); });
    }
    void NoCom() override {
        Queue([](MeterLink& link) { link.NoComArrived(); });
    }
    void SampleTaken(const Sample& sample) override {
        Queue([sample](MeterLink& link) { link.SampleArrived(sample); });
    }
    void BeatTaken(const Beat& beat) override {
        Queue([beat](MeterLink& link) { link.BeatArrived(beat); });
    }
    void RecordingChanged(const RecordingReport& report) override {
        Queue([report](MeterLink& link) { link.RecordingArrived(report); });
    }
    void ListChanged(RealTimeList::State state) override {
        Queue([state](MeterLink& link) { link.ListArrived(state); });
    }
    void DownloadWindow(long usedBytes) override {
        Queue([usedBytes](MeterLink& link) { emit link.DownloadWindowShown(usedBytes); });
    }
    void DownloadProgress(const std::string& text) override {
        Queue([text](MeterLink& link) { emit link.DownloadProgress(QString::fromStdString(text)); });
    }
    void DownloadEnded(const DownloadReport& report) override {
        Queue([report](MeterLink& link) { link.DownloadEnded(report); });
    }

private:
    // The copy waits in the link's own queue; the event only wakes the link's thread to take it,
    // and one is enough for everything queued before it is handled.
    void Queue(std::function<void(MeterLink&)> call) {
        bool wake = false;
        {
            std::lock_guard lock(link_.arrivedLock_);
            wake = link_.arrived_.empty();
            link_.arrived_.push_back(std::move(call));
        }
        if (wake) QCoreApplication::postEvent(&link_, new QEvent(ArrivedEvent));
    }

    MeterLink& link_;
};

bool MeterLink::event(QEvent* event) {
    if (event->type() != ArrivedEvent) return QObject::event(event);
    // One at a time from the head: what a call shows may open a dialog, whose own loop then goes
    // on with what comes after it, in order, instead of leaving the window still meanwhile.
    for (;;) {
        std::function<void(MeterLink&)> call;
        bool more = false;
        {
            std::lock_guard lock(arrivedLock_);
            if (arrived_.empty()) break;
            call = std::move(arrived_.front());
            arrived_.pop_front();
            more = !arrived_.empty();
        }
        if (more) QCoreApplication::postEvent(this, new QEvent(ArrivedEvent));
        call(*this);
    }
    return true;
}

MeterLink::MeterLink(AcquisitionEngine::Clock clock, QObject* parent)
    : QObject(parent), clock_(clock.steady ? std::move(clock) : SystemClock::ForEngine()) {}

MeterLink::~MeterLink() { Stop(); }

void MeterLink::Start(int port) {
    Stop();
    port_ = port;
    relay_ = std::make_unique<Relay>(*this);
    engine_ = std::make_unique<AcquisitionEngine>(AcquisitionEngine::Settings{.port = port, .beats = true}, clock_, *relay_);
    engine_->Open();
    engine_->SetInterval(samplingSeconds_);
    AcquisitionEngine* engine = engine_.get();
    thread_ = std::thread([engine] { engine->Run(); });
}

void MeterLink::Stop() {
    if (engine_) {
        engine_->Stop();
        if (thread_.joinable()) thread_.join();
        engine_.reset();
    }
    {
        // What the engine told before it ended is of a link that no longer runs.
        std::lock_guard lock(arrivedLock_);
        arrived_.clear();
    }
    port_ = 0;
    reading_ = CurrentReading{};
    recording_ = false;
    samplingSeconds_ = SamplingSchedule::DefaultInterval;
    listState_ = RealTimeList::State::Closed;
    channelModeAtStart_ = false;
    downloading_ = false;
    recordFilePath_.clear();
    savePathChosen_ = false;
}

void MeterLink::Send(std::function<void(AcquisitionEngine&)> command) {
    if (engine_) engine_->Post(std::move(command));
}

void MeterLink::StartRecording(const std::string& path) {
    Send([path](AcquisitionEngine& e) { e.StartRecording(path); });
}

void MeterLink::StopRecording() {
    Send([](AcquisitionEngine& e) { e.StopRecording(); });
}

void MeterLink::SetInterval(int seconds) {
    samplingSeconds_ = seconds;
    Send([seconds](AcquisitionEngine& e) { e.SetInterval(seconds); });
}

void MeterLink::ChannelModeStarted(bool dualChannel) {
    channelModeAtStart_ = dualChannel;
    Send([dualChannel](AcquisitionEngine& e) { e.ChannelModeStarted(dualChannel); });
}

void MeterLink::ListOpened(bool dualChannel) {
    channelModeAtStart_ = dualChannel;
    listState_ = RealTimeList::State::Running;
    Send([dualChannel](AcquisitionEngine& e) { e.ListOpened(dualChannel); });
}

void MeterLink::ListClosed() {
    listState_ = RealTimeList::State::Closed;
    Send([](AcquisitionEngine& e) { e.ListClosed(); });
}

void MeterLink::ListTogglePause() {
    Send([](AcquisitionEngine& e) { e.ListTogglePause(); });
}

void MeterLink::HoldList(bool held) {
    Send([held](AcquisitionEngine& e) { e.HoldList(held); });
}

void MeterLink::Download() {
    if (downloading_ || !engine_) return;
    downloading_ = true;
    Send([](AcquisitionEngine& e) { e.Download(); });
}

void MeterLink::CancelDownload() {
    // The exchange looks for commands in its waits, so this reaches it mid-transfer.
    Send([](AcquisitionEngine& e) { e.CancelDownload(); });
}

void MeterLink::ReadingArrived(const CurrentReading& reading) {
    reading_ = reading;
    emit ReadingShown();
}

void MeterLink::PortArrived(int number) { emit PortSeen(number); }

void MeterLink::NoComArrived() {
    reading_.MeterOnline = false;
    emit NoCom();
}

void MeterLink::SampleArrived(const Sample& sample) { emit SampleTaken(sample); }

void MeterLink::BeatArrived(const Beat& beat) { emit BeatTaken(beat); }

void MeterLink::RecordingArrived(const RecordingReport& report) {
    recording_ = report.event == RecordingReport::Event::Started;
    emit RecordingChanged(report);
}

void MeterLink::ListArrived(RealTimeList::State state) {
    listState_ = state;
    emit ListChanged(state);
}

void MeterLink::DownloadEnded(const DownloadReport& report) {
    downloading_ = false;
    emit DownloadFinished(report);
}
