#pragma once

#include <string>

#include "records/RecordWriter.h"

// A PC-sampling recording: its file, the record count and the automatic stops. The flags it
// keeps (Recording, RecordCount, ChannelModeAtStart, SavePathChosen) are the program-wide ones of
// SamplingState, so every window sees the same recording.
class PcRecording {
public:
    enum class Result {
        NotRecording,
        Written,
        StoppedLimitOrChannel,  // 58300 records written, or the meter changed its channel mode
        StoppedLostLink,
        WriteFailed,            // the file refused the record; the recording has been stopped
    };

    // Creates (or empties) the file; false with ErrorText() when it cannot be created.
    bool Start(const std::string& path, bool dualChannel);
    void StopByUser();
    // One due sample: writes it as the next record (the header before the first) or stops.
    Result Sample(const std::string& sampleLine, bool dualChannel, bool meterOnline);

    const std::string& Path() const { return writer_.Path(); }
    const std::string& ErrorText() const { return writer_.ErrorText(); }

private:
    void Finish();
    RecordWriter writer_;
};
