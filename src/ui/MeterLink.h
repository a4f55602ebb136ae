#pragma once

#include <QEvent>
#include <QObject>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "acquisition/AcquisitionEngine.h"

// The desktop program's side of the acquisition engine. The engine runs on a thread of its own,
// where it may wait on the port; what it tells arrives here as copies through queued calls, is
// kept as the latest state of the meter and of PC sampling, and is passed on as signals. Windows
// ask this object and send their commands through it; none of them ever waits for the meter.
// Everything here belongs to the user-interface thread.
class MeterLink : public QObject {
    Q_OBJECT
public:
    using Sample = AcquisitionEngine::Sample;
    using Beat = AcquisitionEngine::Beat;
    using RecordingReport = AcquisitionEngine::RecordingReport;
    using DownloadReport = AcquisitionEngine::DownloadReport;

    // The system's steady clock and local time of day, unless a test gives its own.
    explicit MeterLink(AcquisitionEngine::Clock clock = {}, QObject* parent = nullptr);
    ~MeterLink() override;

    // Opens COM `port` in the engine and starts its thread; the engine keeps trying to reopen a
    // port that does not open.
    void Start(int port);
    // Ends the engine's thread; a running recording is closed with everything written so far.
    // The link is then as one that never started; nothing the engine told before reaches it.
    void Stop();
    bool Started() const { return engine_ != nullptr; }
    int Port() const { return port_; }

    // The latest state as the engine told it.
    const CurrentReading& Reading() const { return reading_; }
    bool MeterOnline() const { return reading_.MeterOnline; }
    bool Recording() const { return recording_; }
    int SamplingSeconds() const { return samplingSeconds_; }
    RealTimeList::State ListState() const { return listState_; }
    // The channel mode the real-time list or the statistics started in.
    bool ChannelModeAtStart() const { return channelModeAtStart_; }
    bool Downloading() const { return downloading_; }

    // The file the last Save dialog chose, for a recording or a list save.
    void SavePathChosen(std::string path, bool chosen) {
        recordFilePath_ = std::move(path);
        savePathChosen_ = chosen;
    }
    void SavePathUsed() { savePathChosen_ = false; }
    bool SavePathChosen() const { return savePathChosen_; }
    const std::string& RecordFilePath() const { return recordFilePath_; }

    // Commands; each takes effect in the engine at once.
    void StartRecording(const std::string& path);
    void StopRecording();
    void SetInterval(int seconds);
    void ChannelModeStarted(bool dualChannel);
    void ListOpened(bool dualChannel);
    void ListClosed();
    void ListTogglePause();
    void HoldList(bool held);
    void Download();
    void CancelDownload();

    // What the engine told, on this thread (the queued calls end here).
    void ReadingArrived(const CurrentReading& reading);
    void PortArrived(int number);
    void NoComArrived();
    void SampleArrived(const Sample& sample);
    void BeatArrived(const Beat& beat);
    void RecordingArrived(const RecordingReport& report);
    void ListArrived(RealTimeList::State state);
    void DownloadEnded(const DownloadReport& report);

signals:
    void PortSeen(int number);
    void ReadingShown();
    void NoCom();
    // A sample of the sampling clock: what it recorded and listed, the reading it took.
    void SampleTaken(const MeterLink::Sample& sample);
    // A second of the sampling clock went by.
    void BeatTaken(const MeterLink::Beat& beat);
    void RecordingChanged(const MeterLink::RecordingReport& report);
    void ListChanged(RealTimeList::State state);
    void DownloadWindowShown(long usedBytes);
    void DownloadProgress(const QString& text);
    void DownloadFinished(const MeterLink::DownloadReport& report);

protected:
    bool event(QEvent* event) override;

private:
    class Relay;
    static constexpr QEvent::Type ArrivedEvent = QEvent::User;
    void Send(std::function<void(AcquisitionEngine&)> command);

    AcquisitionEngine::Clock clock_;
    std::unique_ptr<Relay> relay_;
    // What the engine told, in order, until this thread takes it; the only state both share.
    std::mutex arrivedLock_;
    std::deque<std::function<void(MeterLink&)>> arrived_;
    std::unique_ptr<AcquisitionEngine> engine_;
    std::thread thread_;
    int port_ = 0;

    CurrentReading reading_;
    bool recording_ = false;
    int samplingSeconds_ = SamplingSchedule::DefaultInterval;
    RealTimeList::State listState_ = RealTimeList::State::Closed;
    bool channelModeAtStart_ = false;
    bool downloading_ = false;
    std::string recordFilePath_;
    bool savePathChosen_ = false;
};
