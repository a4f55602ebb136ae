#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <regex>
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

// A set the download ended inside may lack records: its line says so in a field of its own.
std::string IncompleteField(const Logger::DataSet& set) { return set.incomplete ? "\tincomplete" : ""; }

// The end line's word on a download that ended early.
std::string EndedEarlyText(const std::string& setName) {
    return "; " + setName + " is incomplete: the download ended before the size the meter announced";
}

int ListSets(const std::vector<Logger::DataSet>& sets) {
    if (!PrintLine("Set\tSampling\tRecords")) return Io;
    std::string incomplete;
    for (const Logger::DataSet& set : sets) {
        if (!PrintLine(std::to_string(set.number) + "\t" + std::to_string(set.sampling) + "\t" +
                       std::to_string(set.records) + IncompleteField(set)))
            return Io;
        if (set.incomplete) incomplete = "set " + std::to_string(set.number);
    }
    Say(std::to_string(sets.size()) + " data sets in the logger" +
        (incomplete.empty() ? "" : EndedEarlyText(incomplete)));
    return incomplete.empty() ? Ok : EndedEarly;
}

// The set files in `dir` (setNN.txt, as a download names them), by name.
std::vector<std::string> SetFilesIn(const std::string& dir) {
    static const std::regex setName(R"(set[0-9]{2,}\.txt)");
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        std::string name = entry.path().filename().string();
        if (std::regex_match(name, setName)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string NameList(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
    return text;
}

// The sets of two downloads never mix in one folder unless asked to: earlier set files are kept.
int RefuseToMix(const Options& options) {
    if (options.force || options.list) return Ok;
    const std::vector<std::string> earlier = SetFilesIn(options.outDir);
    if (earlier.empty()) return Ok;
    Say("tq36-cli: " + options.outDir + " holds set files of an earlier download (" + NameList(earlier) +
        "); nothing written; --force replaces them");
    return Exists;
}

// Says why a set file was not written; the status to end with.
int SetNotWritten(const RecordWriter& writer) {
    if (writer.ErrorCode() == EEXIST) {
        Say("tq36-cli: " + writer.Path() + " exists; --force replaces it");
        return Exists;
    }
    Say("tq36-cli: " + writer.Path() + " could not be written (" + writer.ErrorText() + ")");
    return Io;
}

// After a forced download the folder holds its sets alone: the earlier download's set files that
// it did not replace go. Says which were replaced and which removed.
int RemoveEarlierSets(const std::string& dir, const std::vector<std::string>& earlier,
                      const std::vector<std::string>& written) {
    std::vector<std::string> replaced, removed;
    int status = Ok;
    for (const std::string& name : earlier) {
        std::error_code error;
        if (std::find(written.begin(), written.end(), name) != written.end()) {
            replaced.push_back(name);
        } else if (std::filesystem::remove(std::filesystem::path(dir) / name, error) || !error) {
            removed.push_back(name);
        } else {
            Say("tq36-cli: " + name + " of an earlier download could not be removed (" + error.message() +
                ")");
            status = Io;
        }
    }
    std::string said = "tq36-cli: set files of an earlier download in " + dir + ":";
    if (!replaced.empty()) said += " replaced " + NameList(replaced) + (removed.empty() ? "" : ";");
    if (!removed.empty()) said += " removed " + NameList(removed);
    Say(said);
    return status;
}

// One file per set, as the desktop program saves the set's data list. Every file is made whole
// beside its place before the first of them goes there, so a failure leaves the folder as it was.
int WriteSets(const Options& options, const std::vector<std::uint8_t>& memory,
              const std::vector<Logger::DataSet>& sets) {
    if (const int status = RefuseToMix(options); status != Ok) return status;
    std::error_code made;
    std::filesystem::create_directories(options.outDir, made);
    const int start = options.startSeconds.value_or(TimeOfDay().seconds);
    if (!options.startSeconds && !sets.empty())
        Say("no --start: the first record is stamped " + Logger::TimeText(start));
    const std::vector<std::string> earlier = SetFilesIn(options.outDir);
    const auto existing = options.force ? RecordWriter::Existing::Replace : RecordWriter::Existing::Keep;
    struct Ready {
        std::unique_ptr<RecordWriter> writer;
        std::string name, line;
    };
    std::vector<Ready> ready;
    std::string incomplete;  // the set file the download ended inside
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
        auto writer = std::make_unique<RecordWriter>();
        if (!(writer->OpenWhole(path, existing) && ListSave::Write(*writer, rows) && writer->Finish()))
            return SetNotWritten(*writer);
        std::string line = path + "\t" + std::to_string(set.sampling) + " s\t" + std::to_string(records) +
                           " records" + IncompleteField(set);
        if (set.incomplete) incomplete = name;
        ready.push_back({std::move(writer), name, std::move(line)});
    }
    std::vector<std::string> written;
    for (Ready& set : ready) {
        if (!set.writer->Commit()) return SetNotWritten(*set.writer);
        written.push_back(set.name);
        if (!PrintLine(set.line)) return Io;
    }
    Say(std::to_string(written.size()) + " data sets written to " + options.outDir +
        (incomplete.empty() ? "" : EndedEarlyText(incomplete)));
    const int status = earlier.empty() ? Ok : RemoveEarlierSets(options.outDir, earlier, written);
    return status == Ok && !incomplete.empty() ? EndedEarly : status;
}

// The folder for the sets, made now when missing, and writable: said before the meter is asked,
// not after a dump of up to a minute. Ok, or the status to end with.
int PrepareFolder(const Options& options) {
    if (options.list) return Ok;
    std::error_code error;
    std::filesystem::create_directories(options.outDir, error);
    if (!error && !std::filesystem::is_directory(options.outDir, error)) error = std::make_error_code(std::errc::not_a_directory);
    if (!error && ::access(options.outDir.c_str(), W_OK | X_OK) != 0) error.assign(errno, std::generic_category());
    if (!error) return Ok;
    Say("tq36-cli: " + options.outDir + " cannot take the set files (" + std::strerror(error.value()) +
        "); the meter was not asked");
    return Io;
}

}  // namespace

int Download(const Options& options) {
    // Said before the meter is asked: a download takes up to a minute.
    if (const int status = RefuseToMix(options); status != Ok) return status;
    if (const int status = PrepareFolder(options); status != Ok) return status;
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
        case MemoryExchange::Outcome::Lost:
            // The sets that came are kept, the last marked; without one the download brought nothing.
            Say(std::string(report.outcome == MemoryExchange::Outcome::Short
                                ? "tq36-cli: the logger memory was shorter than announced: "
                                : "tq36-cli: the meter stopped answering during the download: ") +
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
