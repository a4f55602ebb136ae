#pragma once

#include <string>

#include "acquisition/RealTimeList.h"
#include "acquisition/SamplingSchedule.h"

// The program-wide values of PC sampling: the recording, the real-time list it feeds, and the
// file chosen in the last Save-As dialog. One user-interface thread reads and writes them.
struct SamplingState {
    bool Recording = false;          // a recording runs and its file is open
    long RecordCount = 0;            // records written to the current recording
    SamplingSchedule Schedule;       // the interval (SamplingSeconds) and the next sample time
    std::string SampleTimeText;      // "hh:mm:ss" of the current sampling tick
    bool ChannelModeAtStart = false; // DualChannel when the recording or list started
    RealTimeList List;               // the real-time list the samples feed
    std::string RecordFilePath;      // the last file chosen for saving, ending in ".txt"
    bool SavePathChosen = false;     // the last Save-As dialog returned a file
};

namespace Sampling {
inline constexpr long MaxRecords = 58300;  // per recording (a real-time list holds as many rows)

SamplingState& State();
void Reset();
}  // namespace Sampling
