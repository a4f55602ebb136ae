// tq36-plot: a record file drawn for a report, or as the plot window draws it, to a PNG, SVG or
// PDF, with no display; "tq36-cli plot" runs it. A program of its own so that tq36-cli, which runs as a
// service on machines without a desktop, stays free of Qt's GUI library and its fonts. It
// speaks as tq36-cli, which the user called.

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QScreen>
#include <QSvgGenerator>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "Commands.h"
#include "PlotOptions.h"
#include "Png.h"
#include "graphs/ListPlot.h"
#include "graphs/RangeInput.h"
#include "graphs/ReportPlot.h"
#include "records/FileListRows.h"
#include "records/FileSizeLimit.h"
#include "records/RecordFileReader.h"
#include "records/RecordTable.h"
#include "records/RecordWriter.h"
#include "ui/Fonts.h"
#include "ui/Painting.h"

namespace {

// sysexits.h: the input cannot be read, as tq36-cli says of a port that is not there.
constexpr int NoInput = 66;
// Lines read between two looks at the stop signals, also in a huge file without line ends.
constexpr std::size_t ReadStepBytes = 1 << 20;

// A stop signal came: the picture is not written, and no temporary file stays beside it.
volatile std::sig_atomic_t stopped = 0;

void CatchStopSignals() {
    struct sigaction action{};
    action.sa_handler = [](int) { stopped = 1; };
    sigemptyset(&action.sa_mask);
    for (const int signal : Cli::StopSignals) sigaction(signal, &action, nullptr);
}

void Say(const std::string& line) { std::fprintf(stderr, "tq36-cli: %s\n", line.c_str()); }

// An existing picture is replaced only when asked to, as record treats its file.
int RefuseToReplace(const PlotCli::Options& options) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(options.out, error);
    if (!std::filesystem::exists(status)) return Cli::Ok;
    if (!std::filesystem::is_regular_file(status)) {
        const char* kind = std::filesystem::is_directory(status) ? "a folder"
                           : std::filesystem::is_fifo(status)    ? "a FIFO"
                           : std::filesystem::is_socket(status)  ? "a socket"
                                                                 : "a device";
        Say(options.out + " is " + kind + ", not a regular file; pictures go only to files");
        return Cli::Exists;
    }
    if (options.force) return Cli::Ok;
    Say(options.out + " exists; --force replaces it");
    return Cli::Exists;
}

// The records of a file as its file list shows them; Ok, or the status to end with.
int ReadRecords(const std::string& path, std::optional<RecordTable>& table) {
    RecordFileReader reader;
    if (!reader.Open(path)) {
        Say(path + ": " + (reader.NotARegularFile() ? "not a regular file" : reader.ErrorText()));
        return NoInput;
    }
    FileListRows rows;
    const auto take = [&] {
        if (!table) table.emplace(RecordTable::ColumnsFor(*rows.Dual()));
        for (const std::string& row : rows.TakeRows()) table->Append(row);
    };
    for (;;) {
        std::optional<std::string> line = reader.NextLine(ReadStepBytes);
        if (stopped) return Cli::Ok;  // the caller says it
        if (!line) {
            if (reader.Pending()) continue;
            break;
        }
        rows.Take(std::move(*line), reader.Cut());
        if (rows.Ready() >= 512) take();
    }
    if (reader.Failed()) {
        Say(path + " could not be read to its end (" + reader.ErrorText() + ")");
        return Cli::Io;
    }
    rows.End();
    if (rows.Dual()) take();
    if (!table || table->Rows() == 0) {
        Say(path + " holds no records to plot");
        return NoInput;
    }
    return Cli::Ok;
}

// The range dialog's checks, on the values given and the plot's own for the others. Records past
// the file's are said in this program's words: the dialog's message names record 0, which it
// refuses (the options refused it already).
bool ApplyRange(ListPlot& plot, const PlotCli::Options& options) {
    if (!options.min && !options.max && !options.firstRecord) return true;
    if (options.lastRecord && std::stol(*options.lastRecord) > plot.RecordCount()) {
        Say("--records " + *options.firstRecord + "-" + *options.lastRecord + ": the file holds " +
            std::to_string(plot.RecordCount()) + " records (1 <= R1 < R2 <= " + std::to_string(plot.RecordCount()) +
            ")");
        return false;
    }
    const RangeInput::PlotOutcome outcome =
        RangeInput::CheckPlot(options.min.value_or(RangeInput::NumberText(plot.YMin())),
                              options.max.value_or(RangeInput::NumberText(plot.YMax())),
                              options.firstRecord.value_or(std::to_string(plot.FirstRecord())),
                              options.lastRecord.value_or(std::to_string(plot.LastRecord())),
                              plot.UnitTempMin(), plot.UnitTempMax(), plot.RecordCount());
    if (!outcome.message.empty()) {
        Say(outcome.message);
        return false;
    }
    plot.SetRange(outcome.yMin, outcome.yMax, outcome.firstRecord, outcome.lastRecord);
    return true;
}

// The report picture: its layout from the core, painted as every chart is. Its font is a sans
// serif of 9 points at the default size, grown with the picture.
void PaintReport(QPainter& painter, const ListPlot& plot, const PlotCli::Options& options) {
    ReportPlot::Options report;
    report.width = options.width;
    report.height = options.height;
    report.title = options.title;
    if (options.min) report.min = plot.YMin();
    if (options.max) report.max = plot.YMax();
    report.firstDay = options.firstDay;
    const QFont font = Fonts::Get("Arial", 9 * ReportPlot::ScaleOf(options.width, options.height));
    // The bold face is loaded only for a title.
    const TextMetrics text = FontMetricsOf(font);
    const Drawing drawing = ReportPlot::Draw(
        plot, report, text, report.title.empty() ? text : FontMetricsOf(FontFor(font, ReportPlot::TitleScale, true)));
    painter.fillRect(QRect(0, 0, options.width, options.height), Qt::white);
    PaintDrawing(painter, drawing, font);
}

// The picture, drawn in memory: the report's, or the plot window's chart.
std::optional<QByteArray> Draw(ListPlot& plot, const PlotCli::Options& options) {
    const QSize size(options.width, options.height);
    const std::string kind = *PlotCli::KindOf(options.out);
    const QString title = QString::fromStdString(
        options.title.empty() ? std::filesystem::path(options.file).filename().string() : options.title);
    // Vector pictures count in the screen's pixels, so that text is measured and drawn alike.
    const int dpi = qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY());
    const auto paint = [&](QPainter& painter) {
        if (options.likeWindow) {
            PaintPlot(painter, plot, size, ChartFont());
        } else {
            PaintReport(painter, plot, options);
        }
    };
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPainter painter;
    if (kind == "png") {
        QImage image(size, QImage::Format_RGB32);
        if (!painter.begin(&image)) return std::nullopt;
        paint(painter);
        painter.end();
        bytes = PngOf(image);
        if (bytes.isEmpty()) return std::nullopt;
    } else if (kind == "svg") {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(dpi);
        svg.setTitle(title);
        if (!painter.begin(&svg)) return std::nullopt;
        paint(painter);
        painter.end();
    } else {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(dpi);
        pdf.setPageSize(QPageSize(QSizeF(size) * 72.0 / dpi, QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setCreator(QStringLiteral("tq36-plot"));
        pdf.setTitle(title);
        if (!painter.begin(&pdf)) return std::nullopt;
        paint(painter);
        painter.end();
    }
    return bytes;
}

// Written whole beside its place and put there only once complete, as a saved list is: made
// exclusively unless --force, and a picture that fails part way leaves an earlier one as it was.
int Write(const QByteArray& bytes, const PlotCli::Options& options) {
    RecordWriter file;
    const auto existing = options.force ? RecordWriter::Existing::Replace : RecordWriter::Existing::Keep;
    if (file.OpenWhole(options.out, existing) && file.WriteBytes(std::string_view(bytes.constData(), bytes.size()))) {
        if (stopped) return Cli::Stopped;  // the writer removes its file on the way out
        if (file.Commit()) return Cli::Ok;
    }
    if (file.ErrorCode() == EEXIST) {
        Say(options.out + " exists; --force replaces it");
        return Cli::Exists;
    }
    Say(options.out + " could not be written: " + file.ErrorText());
    return Cli::Io;
}

int Stop(const PlotCli::Options& options) {
    Say("stopped; " + options.out + " was not written");
    return Cli::Stopped;
}

}  // namespace

int main(int argc, char* argv[]) {
    IgnoreFileSizeSignal();
    const PlotCli::Parsed parsed = PlotCli::Parse(std::vector<std::string>(argv, argv + argc));
    if (!parsed.options) {
        std::fprintf(stderr, "tq36-cli: %s\ntry 'tq36-cli plot --help'\n", parsed.error.c_str());
        return Cli::Usage;
    }
    const PlotCli::Options& options = *parsed.options;
    if (options.help || options.version) {
        const std::string text = options.help ? PlotCli::UsageText() : "tq36-cli " TQ36_VERSION "\n";
        return std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? Cli::Ok : Cli::Io;
    }
    CatchStopSignals();
    if (const int refused = RefuseToReplace(options)) return refused;
    std::optional<RecordTable> records;
    if (const int failed = ReadRecords(options.file, records)) return failed;
    if (stopped) return Stop(options);
    ListPlot plot;
    plot.Open(std::move(*records));
    if (!ApplyRange(plot, options)) return Cli::Usage;
    // No display: the offscreen platform has the fonts and a screen of the usual 96 dpi. What
    // went wrong is said by this program; Qt's own notes (a missing XDG_RUNTIME_DIR) are noise.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg) Say(message.toStdString());
    });
    QGuiApplication app(argc, argv);
    const std::optional<QByteArray> picture = Draw(plot, options);
    if (stopped) return Stop(options);
    if (!picture) {
        Say(options.out + " could not be drawn");
        return Cli::Io;
    }
    const int status = Write(*picture, options);
    return status == Cli::Stopped ? Stop(options) : status;
}
