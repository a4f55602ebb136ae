#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "CommandSupport.h"
#include "Commands.h"
#include "logger/LoggerFormat.h"
#include "records/ListSave.h"
#include "records/RecordTable.h"
#include "records/RecordWriter.h"

namespace Cli {

namespace {

// The logger exchange as the user follows it on stderr.
class DownloadRun : public AcquisitionEngine::Listener {
public:
    void DownloadWindow(long used) override {
        Say("logger: " + std::to_string(used) + " bytes used, " + Logger::RemainedText(used) + " remained");
    }
    void DownloadProgress(const std::string& text) override {
        if (progress_) ShowProgress(text);
    }
    void DownloadEnded(const AcquisitionEngine::DownloadReport& report) override { report_ = report; }

    const AcquisitionEngine::DownloadReport& Report() const { return report_; }

private:
    const bool progress_ = ProgressWanted();
    AcquisitionEngine::DownloadReport report_;
};

int ListSets(const std::vector<Logger::DataSet>& sets) {
    if (!PrintLine("Set\tSampling\tRecords")) return Io;
    for (const Logger::DataSet& set : sets) {
        if (!PrintLine(std::to_string(set.number) + "\t" + std::to_string(set.sampling) + "\t" +
                       std::to_string(set.records)))
            return Io;
    }
    Say(std::to_string(sets.size()) + " data sets in the logger");
    return Ok;
}

// One file per set, as the desktop program saves the set's data list.
int WriteSets(const Options& options, const std::vector<std::uint8_t>& memory,
              const std::vector<Logger::DataSet>& sets) {
    std::error_code made;
    std::filesystem::create_directories(options.outDir, made);
    const int start = options.startSeconds.value_or(TimeOfDay().seconds);
    long written = 0;
    for (const Logger::DataSet& set : sets) {
        const std::optional<std::vector<std::uint8_t>> cut = Logger::CutSet(memory, set.number);
        if (!cut) continue;
        const long records = Logger::SetRecordCount(*cut);
        // The layout follows the set's own records, as a data list opened while that meter was
        // attached shows them.
        const bool dual = Logger::IsTwoChannelSet(*cut);
        char name[32];
        std::snprintf(name, sizeof name, "set%02d.txt", set.number);
        const std::string path = (std::filesystem::path(options.outDir) / name).string();
        RecordTable rows(RecordTable::ColumnsFor(dual));
        for (long i = 1; i <= records; ++i) rows.Append(Logger::SetRow(*cut, i, start, dual));
        RecordWriter writer;
        bool whole = writer.Open(path) && ListSave::Write(writer, rows);
        whole = writer.Close() && whole;
        if (!whole) {
            Say("tq36-cli: " + path + " could not be written (" + writer.ErrorText() + ")");
            return Io;
        }
        ++written;
        const std::string line =
            path + "\t" + std::to_string(set.sampling) + " s\t" + std::to_string(records) + " records";
        if (!PrintLine(line)) return Io;
    }
    Say(std::to_string(written) + " data sets written to " + options.outDir);
    return Ok;
}

}  // namespace

int Download(const Options& options) {
    DownloadRun run;
    AcquisitionEngine engine({.port = options.com}, EngineClock(), run);
    if (const int status = OpenMeter(engine, options.com); status != Ok) return status;
    Say(TimeOfDay().text + "  reading the logger of the meter on COM " + std::to_string(options.com));
    {
        const StopOnSignal stop(engine);
        engine.Download();
    }
    const AcquisitionEngine::DownloadReport& report = run.Report();
    switch (report.outcome) {
        case MemoryExchange::Outcome::NoData:
            Say("No Data in Memory");
            return Ok;
        case MemoryExchange::Outcome::NoAnswer:
            Say("tq36-cli: COM " + std::to_string(options.com) +
                ": No answer from the meter, try again! (is the meter on, and its cable in this port?)");
            return NoMeter;
        case MemoryExchange::Outcome::Stopped:
            Say("tq36-cli: download stopped");
            return Stopped;
        case MemoryExchange::Outcome::Short:
            // The sets that came whole are kept; without one the download brought nothing.
            Say("tq36-cli: the logger memory was shorter than announced: " +
                std::to_string(report.memory.size()) + " of " + std::to_string(report.announced) +
                " bytes came");
            if (report.sets.empty()) return NoMeter;
            break;
        case MemoryExchange::Outcome::Listed:
            break;
    }
    return options.list ? ListSets(report.sets) : WriteSets(options, report.memory, report.sets);
}

}  // namespace Cli
