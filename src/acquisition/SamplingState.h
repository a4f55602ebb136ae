#pragma once

#include <string>

#include "acquisition/PcRecording.h"
#include "acquisition/RealTimeList.h"
#include "acquisition/SamplingSchedule.h"

// The program-wide values of PC sampling in the desktop program: its recording, the real-time
// list the samples feed, the interval and next sample time, the channel mode the list and the
// statistics started in, and the file chosen in the last Save-As dialog. The main window tells
// it when sampling starts, an interval is chosen and a sample is due, and drives the recording;
// the list windows tell the list what happens to them; the list and statistics commands tell it
// the channel mode they start in; the Save-As dialog and the list save tell it about the file.
// Everything else only asks. One user-interface thread reads and writes it.
class SamplingState {
public:
    // The main window has loaded: no recording, the default interval from now.
    void SamplingStarted();
    void IntervalChosen(int seconds, int secondsNow) { schedule_.SetInterval(seconds, secondsNow); }
    // The sampling tick at `secondsNow`: whether a sample is due.
    bool SampleDue(int secondsNow) { return schedule_.Tick(secondsNow); }
    double SamplingSeconds() const { return schedule_.SamplingSeconds(); }

    PcRecording& Recorder() { return recorder_; }
    bool Recording() const { return recorder_.Recording(); }
    long RecordCount() const { return recorder_.RecordCount(); }

    RealTimeList& List() { return list_; }
    const RealTimeList& List() const { return list_; }

    void ChannelModeStarted(bool dualChannel) { channelModeAtStart_ = dualChannel; }
    bool ChannelModeAtStart() const { return channelModeAtStart_; }

    // The Save-As dialog returned `path` (a usable file when `chosen`), or was cancelled.
    void SavePathChosen(std::string path, bool chosen);
    void SaveCancelled() { savePathChosen_ = false; }
    // The chosen file has been used (a list saved into it, its recording ended).
    void SavePathUsed() { savePathChosen_ = false; }
    bool SavePathChosen() const { return savePathChosen_; }
    const std::string& RecordFilePath() const { return recordFilePath_; }

private:
    SamplingSchedule schedule_;
    PcRecording recorder_;
    RealTimeList list_;
    bool channelModeAtStart_ = false;
    std::string recordFilePath_;  // ends in ".txt"
    bool savePathChosen_ = false;
};

namespace Sampling {
SamplingState& State();
// Back to the state of a program that has just started (tests).
void Reset();
}  // namespace Sampling
