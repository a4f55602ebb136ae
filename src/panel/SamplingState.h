#pragma once

#include <string>

#include "records/SamplingSchedule.h"

// The program-wide values of PC sampling: the recording, the real-time list it feeds, and the
// file chosen in the last Save-As dialog. One user-interface thread reads and writes them.
struct SamplingState {
    bool Recording = false;          // a recording runs and its file is open
    long RecordCount = 0;            // records written to the current recording
    SamplingSchedule Schedule;       // the interval (SamplingSeconds) and the next sample time
    std::string SampleTimeText;      // "hh:mm:ss" of the current sampling tick
    bool ChannelModeAtStart = false; // DualChannel when the recording or list started
    bool ListRunning = false;        // the real-time list takes rows
    long ListRowCount = 0;           // rows added to it so far
    std::string RecordFilePath;      // the last file chosen for saving, ending in ".txt"
    bool SavePathChosen = false;     // the last Save-As dialog returned a file
};

namespace Sampling {
inline constexpr long MaxRecords = 58300;  // per recording, and rows per real-time list

SamplingState& State();
void Reset();
}  // namespace Sampling
