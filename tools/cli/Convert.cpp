#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "CommandSupport.h"
#include "Commands.h"
#include "TimeTexts.h"
#include "graphs/PlotAxis.h"
#include "logger/LoggerFormat.h"
#include "records/CsvRows.h"
#include "records/FileListRows.h"
#include "records/RecordFileReader.h"
#include "records/RecordFormat.h"
#include "records/RecordWriter.h"

namespace Cli {

namespace {

constexpr std::size_t ReadStepBytes = 1 << 20;
// The CSV goes out in blocks of about this size: one write for thousands of rows.
constexpr std::size_t WriteBlockBytes = 1 << 20;

// The timestamps of the records: their times of day, or with the day of the first record given,
// date and time in ISO 8601; a text that is no time of day stays as it is. The day goes on by one
// where the time of day goes back by more than half a day, as it does at midnight in a recording.
// A smaller step back is the clock set back (the end of daylight saving time, which record goes on
// through): same day, and said. A time equal to the one before, or half a day or more after it,
// may lie a day or more later, which the file does not tell: same day, said once.
class Timestamps {
  public:
    static constexpr int HalfDay = 12 * 3600;

    explicit Timestamps(std::optional<std::chrono::sys_days> day) : firstDay_(day) {}

    // `record`: the record's place among the file's records, for what is said of it. The text
    // lasts until the next call.
    std::string_view Of(std::string_view time, long record) {
        if (!firstDay_) return time;
        const long before = running_.LastOfDay(), daysBefore = running_.Days();
        if (!running_.Next(time)) return time;
        if (before >= 0) {
            const long step = running_.LastOfDay() - before;
            if (running_.Days() > daysBefore) {
                date_.reset();
            } else if (step < 0) {
                Say(Which(time, record) + " is " + ElapsedText(-step) + " earlier than" + Before(before) +
                    ": taken as the clock set back, on the same day");
            } else if ((step == 0 || step >= HalfDay) && !undatedSaid_) {
                undatedSaid_ = true;
                Say(Which(time, record) + (step == 0 ? " has the time of" : " is " + ElapsedText(step) + " later than") +
                    Before(before) +
                    ": whether a day or more lies between them cannot be told from the file; dated the same "
                    "day (said once, for any such record)");
            }
        }
        if (!date_) {
            const std::chrono::year_month_day date(*firstDay_ + std::chrono::days(running_.Days()));
            char text[16];
            std::snprintf(text, sizeof text, "%04d-%02u-%02uT", static_cast<int>(date.year()),
                          static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
            date_ = text;
        }
        text_.assign(*date_).append(time);
        return text_;
    }

  private:
    static std::string Which(std::string_view time, long record) {
        return "tq36-cli: record " + std::to_string(record) + " at " + std::string(time);
    }
    static std::string Before(long before) {
        return " the one before it (" + Logger::TimeText(before) + ")";
    }

    std::optional<std::chrono::sys_days> firstDay_;
    PlotAxis::RunningTime running_;
    std::optional<std::string> date_;  // "YYYY-MM-DDT" of the day
    std::string text_;
    bool undatedSaid_ = false;
};

// A row of the file list as a CSV row, appended to `out`. Its cells stand where the list shows
// them: cells beyond the list's columns are left out, missing ones are empty.
void AppendCsvRow(std::string& out, const CsvRows& csv, std::string_view row, bool dual, Timestamps& timestamps,
                  long record) {
    const std::size_t columns = dual ? 6 : 4;
    std::string_view cells[6];
    for (std::size_t i = 0, begin = 0; i < columns && begin <= row.size(); ++i) {
        const std::size_t tab = std::min(row.find(RecordFormat::Separator, begin), row.size());
        cells[i] = row.substr(begin, tab - begin);
        begin = tab + 1;
    }
    csv.AppendRecord(out, cells[0], timestamps.Of(cells[1], record), std::span(cells + 2, dual ? 3 : 1),
                     cells[columns - 1]);
    out += RecordFormat::LineEnd;
}

// Where the CSV goes: stdout, or a file that takes its place only once it is whole. Rows gather
// in a block that goes out whole lines at a time.
class CsvOutput {
  public:
    explicit CsvOutput(const Options& options) : path_(options.out), force_(options.force) {
        block_.reserve(WriteBlockBytes + WriteBlockBytes / 8);
    }

    // Ok, or the exit status after saying why the file cannot be made.
    int Open() {
        if (path_.empty()) return Ok;
        if (writer_.OpenWhole(path_, force_ ? RecordWriter::Existing::Replace : RecordWriter::Existing::Keep))
            return Ok;
        return Refused();
    }

    // Where rows are appended, whole lines each.
    std::string& Block() { return block_; }

    // Sends the block once it is full; false once a write was refused.
    bool Pass() { return block_.size() < WriteBlockBytes || Send(); }

    // Sends the block now; false once a write was refused.
    bool Send() {
        const bool sent = path_.empty() ? WriteOutput(block_) : writer_.WriteBytes(block_);
        block_.clear();
        return sent;
    }

    // Ok once every line is out (the file in its place), or the exit status after saying why not.
    int Commit() {
        const bool sent = Send();
        // Stdout's failure is told on the way out.
        if (path_.empty()) return FlushOutput() ? Ok : Io;
        return sent && writer_.Commit() ? Ok : Refused();
    }

    // Abandons a file not yet committed: what was there before stays.
    void Abandon() { writer_.Close(); }

    // The exit status after saying why the file could not be made, or written to the end.
    int Refused() {
        if (writer_.ErrorCode() == EEXIST) {
            Say("tq36-cli: " + path_ + " exists; --force replaces it");
            return Exists;
        }
        if (writer_.ErrorCode() == RecordWriter::NotAFile) {
            Say("tq36-cli: " + NotAFileText(path_, "convert"));
            return Exists;
        }
        Say("tq36-cli: " + path_ + " could not be written (" + writer_.ErrorText() + ")");
        return Io;
    }

  private:
    std::string path_;
    bool force_;
    RecordWriter writer_;
    std::string block_;
};

std::string Counted(long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string SummaryText(long records, const FileListRows& rows, const RecordFileReader& reader, long cut) {
    std::string text = "tq36-cli: " + Counted(records, "record", "records") + " converted";
    const long skipped = rows.Headers() + reader.EmptyLines();
    if (skipped == 0) {
        text += ", no line skipped";
    } else {
        text += ", " + Counted(skipped, "line", "lines") + " skipped (" +
                Counted(rows.Headers(), "header", "headers") + ", " + std::to_string(reader.EmptyLines()) +
                " empty)";
    }
    if (cut > 0) {
        text += "; " + Counted(cut, "line", "lines") + " longer than " +
                std::to_string(RecordFileReader::MaxLineBytes) +
                " bytes cut there, as the file list cuts them";
    }
    return text;
}

}  // namespace

int Convert(const Options& options) {
    RecordFileReader reader;
    if (!reader.Open(options.file)) {
        Say("tq36-cli: " + options.file + " cannot be read (" + reader.ErrorText() + ")");
        return NoInput;
    }
    CsvOutput output(options);
    if (const int status = output.Open(); status != Ok) return status;

    const CsvRows csv({.delimiter = options.delimiter, .decimalComma = options.decimalComma});
    FileListRows rows;
    Timestamps timestamps(options.date);
    bool headerWritten = false;
    long records = 0, cut = 0;
    std::string& block = output.Block();
    const auto writeRows = [&] {
        // A file without records gives the two-channel header alone, as a file of headers alone
        // opens the two-channel list.
        const bool dual = rows.Dual().value_or(true);
        if (!headerWritten) {
            csv.AppendHeader(block, dual ? 3 : 1);
            block += RecordFormat::LineEnd;
            headerWritten = true;
        }
        for (const std::string& row : rows.Rows()) AppendCsvRow(block, csv, row, dual, timestamps, ++records);
        rows.RowsTaken();
        return output.Pass();
    };
    bool written = true;
    std::string line;
    for (;;) {
        // In steps, so that a stop signal is heeded also amid a huge file without line ends.
        const bool got = reader.NextLine(line, ReadStepBytes);
        if (StopRequested()) break;
        if (!got) {
            if (reader.Pending()) continue;
            break;
        }
        if (reader.Cut()) ++cut;
        rows.TakeFrom(line, reader.Cut());
        if (rows.Ready() > 0 && !(written = writeRows())) break;
    }
    rows.End();
    if (written && !StopRequested() && !reader.Failed()) written = writeRows();
    if (!written) {
        output.Abandon();
        // Stdout's failure is told on the way out.
        return options.out.empty() ? Ok : output.Refused();
    }
    if (StopRequested() || reader.Failed()) {
        // Stdout gets every row converted; a file none.
        if (options.out.empty()) output.Send();
        output.Abandon();
        const std::string why =
            StopRequested() ? "stopped"
                            : options.file + " could not be read to its end (" + reader.ErrorText() + ")";
        Say("tq36-cli: " + why + "; " +
            (options.out.empty() ? "the output ends after " + Counted(records, "record", "records")
                                 : "nothing was written to " + options.out));
        return StopRequested() ? Stopped : Io;
    }
    if (const int status = output.Commit(); status != Ok) return status;
    Say(SummaryText(records, rows, reader, cut));
    return Ok;
}

}  // namespace Cli
