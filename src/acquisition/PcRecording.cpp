#include "acquisition/PcRecording.h"

#include "acquisition/SamplingState.h"
#include "records/RecordFormat.h"

bool PcRecording::Start(const std::string& path, bool dualChannel) {
    SamplingState& s = Sampling::State();
    if (!writer_.Open(path)) return false;
    s.ChannelModeAtStart = dualChannel;
    s.RecordCount = 0;
    s.Recording = true;
    return true;
}

void PcRecording::Finish() {
    SamplingState& s = Sampling::State();
    s.Recording = false;
    s.RecordCount = 0;
    writer_.Close();
}

void PcRecording::StopByUser() {
    Finish();
    Sampling::State().SavePathChosen = false;
}

PcRecording::Result PcRecording::Sample(const std::string& sampleLine, bool dualChannel, bool meterOnline) {
    SamplingState& s = Sampling::State();
    if (!s.Recording) return Result::NotRecording;
    if (s.RecordCount == Sampling::MaxRecords || dualChannel != s.ChannelModeAtStart) {
        Finish();
        return Result::StoppedLimitOrChannel;
    }
    if (!meterOnline) {
        StopByUser();
        return Result::StoppedLostLink;
    }
    const long next = s.RecordCount + 1;
    const bool written = (next > 1 || writer_.WriteLine(RecordFormat::Header)) &&
                         writer_.WriteLine(RecordFormat::RecordLine(next, sampleLine));
    if (!written) {
        // Never go on "recording" into nothing: what is in the file stays, the rest is refused.
        Finish();
        s.SavePathChosen = false;
        return Result::WriteFailed;
    }
    s.RecordCount = next;
    return Result::Written;
}
