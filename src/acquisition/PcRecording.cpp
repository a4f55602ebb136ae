#include "acquisition/PcRecording.h"

#include "meter/CurrentReading.h"
#include "records/RecordFormat.h"

bool PcRecording::Start(const std::string& path, bool dualChannel, RecordWriter::Existing existing,
                        const RecordingFormat& format) {
    if (!writer_.Open(path, existing)) return false;
    csv_.reset();
    if (format.csv) csv_.emplace(format.csvStyle);
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
                                        long missed, std::string_view timestamp) {
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
    if (!WriteRecord(next, reading, time, timestamp)) {
        // Never go on "recording" into nothing: what is in the file stays, the rest is refused.
        Stop();
        return Result::WriteFailed;
    }
    recordCount_ = next;
    return Result::Written;
}

// The header goes with the first record, so a recording stopped before its first sample leaves an
// empty file. Each line is one write: a record is whole on the disk or not there.
bool PcRecording::WriteRecord(long number, const CurrentReading& reading, std::string_view time,
                              std::string_view timestamp) {
    if (!csv_) {
        return (number > 1 || writer_.WriteLine(RecordFormat::Header)) &&
               writer_.WriteLine(RecordFormat::RecordLine(number, RecordFormat::SampleLine(reading, time)));
    }
    const std::string t1 = reading.T1Value.Text(), t2 = reading.T2Value.Text(), t1t2 = reading.T1T2Value.Text();
    const std::string_view readings[] = {t1, t2, t1t2};
    const std::size_t count = channelModeAtStart_ ? 3 : 1;
    line_.clear();
    if (number == 1) {
        csv_->AppendHeader(line_, count);
        if (!writer_.WriteLine(line_)) return false;
        line_.clear();
    }
    csv_->AppendRecord(line_, std::to_string(number), timestamp.empty() ? time : timestamp,
                       std::span(readings, count), reading.UnitText);
    return writer_.WriteLine(line_);
}
