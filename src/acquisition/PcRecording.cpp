#include "acquisition/PcRecording.h"

#include "meter/CurrentReading.h"
#include "records/RecordFormat.h"

bool PcRecording::Start(const std::string& path, bool dualChannel, RecordWriter::Existing existing) {
    if (!writer_.Open(path, existing)) return false;
    channelModeAtStart_ = dualChannel;
    recordCount_ = 0;
    dueCount_ = 0;
    recording_ = true;
    return true;
}

bool PcRecording::Stop() {
    recording_ = false;
    recordCount_ = 0;
    return writer_.Close();
}

PcRecording::Result PcRecording::Sample(const CurrentReading& reading, std::string_view time, bool fresh,
                                        long missed) {
    if (!recording_) return Result::NotRecording;
    // What went by before the recording's first sample is none of its own.
    dueCount_ += dueCount_ == 0 ? 1 : 1 + missed;
    // A sample past the limit is never written, also when it came late after a stop.
    if ((maxRecords_ > 0 && recordCount_ == maxRecords_) || (maxDue_ > 0 && dueCount_ > maxDue_)) {
        Stop();
        return Result::StoppedLimit;
    }
    if (reading.DualChannel != channelModeAtStart_) {
        Stop();
        return Result::StoppedChannelMode;
    }
    if (!reading.MeterOnline) {
        if (lostLink_ == LostLink::Wait) return Result::WaitingForMeter;
        Stop();
        return Result::StoppedLostLink;
    }
    if (!fresh) return Result::Stale;
    const long next = recordCount_ + 1;
    const bool written = (next > 1 || writer_.WriteLine(RecordFormat::Header)) &&
                         writer_.WriteLine(RecordFormat::RecordLine(next, RecordFormat::SampleLine(reading, time)));
    if (!written) {
        // Never go on "recording" into nothing: what is in the file stays, the rest is refused.
        Stop();
        return Result::WriteFailed;
    }
    recordCount_ = next;
    return Result::Written;
}
