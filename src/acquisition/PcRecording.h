#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "records/CsvRows.h"
#include "records/RecordWriter.h"

struct CurrentReading;

// What a recording's file holds: the record file the desktop program writes and reads, or CSV rows
// (tq36-cli record --format csv) whose timestamps carry date and UTC offset.
struct RecordingFormat {
    bool csv = false;
    CsvStyle csvStyle = {};
};

// A PC-sampling recording: its file, its numbering from 1 with the header before the first
// record, the channel mode it started in, and its automatic stops. The desktop program's
// recording lives in the sampling state; tq36-cli runs one of its own.
class PcRecording {
public:
    static constexpr long DesktopMaxRecords = 58300;

    // What a due sample does while the meter is silent: stop the recording (the desktop program),
    // or write nothing and go on once the meter is back (tq36-cli).
    enum class LostLink { Stop, Wait };

    enum class Result {
        NotRecording,
        Written,
        StoppedLimit,        // as many records, or samples due, as the recording may hold came before
        StoppedChannelMode,  // the meter changed between one and two channels
        StoppedLostLink,
        WaitingForMeter,     // the meter is silent: no record, the recording goes on
        Stale,               // the reading was not renewed lately: no record, the recording goes on
        WriteFailed,         // the file refused the record; the recording has been stopped
    };

    // `maxRecords` 0 sets no limit. `maxDue`: the samples due from the first one that the
    // recording takes in, written or not (tq36-cli's --count and --duration); 0 sets no limit.
    explicit PcRecording(LostLink lostLink = LostLink::Stop, long maxRecords = DesktopMaxRecords, long maxDue = 0)
        : lostLink_(lostLink), maxRecords_(maxRecords), maxDue_(maxDue) {}

    // Creates the file, or empties an existing one when it may be replaced; false with ErrorText()
    // when it cannot be created.
    bool Start(const std::string& path, bool dualChannel,
               RecordWriter::Existing existing = RecordWriter::Existing::Replace, const RecordingFormat& format = {});
    // Ends the recording and closes its file; false when the file refused its last bytes.
    bool Stop();
    // One due sample: the reading, stamped `time`, becomes the next record if it is `fresh` (a
    // frame no earlier sample took, arrived lately); otherwise no record is written and the
    // numbering goes on with the next fresh one, so the times show the gap. Or the recording stops
    // (or waits) as the result says. `missed`: samples that fell due since the last one and went by
    // untaken (the process was stopped or starved); they count towards the samples due.
    // `timestamp`: date, time and UTC offset of the sample, which a CSV record holds (its time of
    // day alone when empty).
    Result Sample(const CurrentReading& reading, std::string_view time, bool fresh, long missed = 0,
                  std::string_view timestamp = {});

    bool Recording() const { return recording_; }
    long RecordCount() const { return recordCount_; }
    const std::string& Path() const { return writer_.Path(); }
    const std::string& ErrorText() const { return writer_.ErrorText(); }
    int ErrorCode() const { return writer_.ErrorCode(); }

private:
    bool WriteRecord(long number, const CurrentReading& reading, std::string_view time, std::string_view timestamp);

    LostLink lostLink_;
    long maxRecords_;
    long maxDue_;
    bool recording_ = false;
    long recordCount_ = 0;
    long dueCount_ = 0;  // samples due since the first one the recording took in
    bool channelModeAtStart_ = false;
    std::optional<CsvRows> csv_;  // the file is CSV
    std::string line_;            // the line being written, its storage kept from one to the next
    RecordWriter writer_;
};
