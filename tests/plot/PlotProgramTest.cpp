#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTime>

namespace {

const QByteArray TwoRecords =
    "No.s    Time            T1      T2      T1-T2   Unit\r\n"
    "1\t10:00:00\t20.0\t25.0\t-5.0\tC\r\n2\t10:00:01\t21.0\t25.5\t-4.5\tC\r\n";

struct Outcome {
    int status = -1;
    QString err;
};

class PlotProgramTest : public testing::Test {
  protected:
    void SetUp() override { Write("rec.txt", TwoRecords); }

    QString Path(const QString& name) const { return dir.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes) {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Read(const QString& name) const {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    Outcome Plot(const QStringList& args) {
        QProcess program;
        program.setWorkingDirectory(dir.path());
        program.start(TQ36_CLI_PROGRAM, QStringList{"plot"} + args);
        if (!program.waitForFinished(60000)) return {};
        return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
                QString::fromUtf8(program.readAllStandardError())};
    }

    QTemporaryDir dir;
};

// What is refused, with tq36-cli's statuses and the reason the user reads.
TEST_F(PlotProgramTest, RefusesWithTheStatusesOfTheCommandLineTool) {
    Write("headers.txt", "No.s    Time            T1      T2      T1-T2   Unit\r\n");
    const struct {
        QStringList args;
        int status;
        QString says;
    } cases[] = {
        {{"rec.txt"}, 64, "--out"},
        {{"rec.txt", "--out", "plot.jpg"}, 64, ".png, .svg or .pdf"},
        {{"rec.txt", "--out", "plot.png", "--size", "300x200"}, 64, "at least 420x391"},
        {{"rec.txt", "--out", "plot.png", "--records", "2"}, 64, "R1-R2"},
        {{"rec.txt", "--out", "plot.png", "--min", "warm"}, 64, "--min"},
        // One reading for the check and the plot: what the dialog would read otherwise is refused.
        {{"rec.txt", "--out", "plot.png", "--max", "1e3"}, 64, "--max takes a temperature as a plain number"},
        {{"rec.txt", "--out", "plot.png", "--max", "inf"}, 64, "--max takes a temperature as a plain number"},
        {{"rec.txt", "--out", "plot.png", "--min", "nan"}, 64, "--min takes a temperature as a plain number"},
        {{"rec.txt", "--out", "plot.png", "--min", "1e2", "--max", "1e3"}, 64, "--min takes a temperature as a plain number"},
        {{"rec.txt", "--out", "plot.png", "--records", "0-100"}, 64, "counted from 1"},
        {{"rec.txt", "--out", "plot.png", "--date", "2026-02-30"}, 64, "--date takes a day as YYYY-MM-DD"},
        {{"rec.txt", "--out", "plot.png", "--like-window", "--title", "Run 1"}, 64, "leave out --title"},
        // The plot range dialog's checks and messages.
        {{"rec.txt", "--out", "plot.png", "--min", "-201"}, 64, "Invalid, -200 <= Temperature <= 1767"},
        {{"rec.txt", "--out", "plot.png", "--min", "30", "--max", "30"},
         64,
         "Invalid, -200 <= Temperature <= 1767"},
        {{"rec.txt", "--out", "plot.png", "--records", "1-3"}, 64, "the file holds 2 records (1 <= R1 < R2 <= 2)"},
        {{"missing.txt", "--out", "plot.png"}, 66, "missing.txt"},
        {{"headers.txt", "--out", "plot.png"}, 66, "no records"},
        {{".", "--out", "plot.png"}, 66, "not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Outcome run = Plot(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(Path("plot.png")));
    }
}

// As tq36-cli record treats its file: an existing picture stays unless --force, and what is no regular
// file is never written to.
TEST_F(PlotProgramTest, ReplacesAnExistingPictureOnlyWithForce) {
    Write("plot.png", "earlier");
    Outcome run = Plot({"rec.txt", "--out", "plot.png"});
    EXPECT_EQ(run.status, 73);
    EXPECT_TRUE(run.err.contains("--force")) << run.err.toStdString();
    EXPECT_EQ(Read("plot.png"), "earlier");

    run = Plot({"rec.txt", "--out", "plot.png", "--force"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(Read("plot.png").startsWith("\x89PNG\r\n\x1a\n"));

    ASSERT_EQ(mkfifo(Path("fifo.png").toLocal8Bit().constData(), 0600), 0);
    run = Plot({"rec.txt", "--out", "fifo.png", "--force"});
    EXPECT_EQ(run.status, 73);
    EXPECT_TRUE(run.err.contains("not a regular file")) << run.err.toStdString();
}

// The ending of --out chooses the kind, whatever its case; options may come before the file, and a
// temperature may have a sign and a decimal point.
TEST_F(PlotProgramTest, WritesTheKindItsNameEndsIn) {
    const struct {
        QString name;
        QByteArray start;
    } cases[] = {{"plot.svg", "<?xml"}, {"plot.PDF", "%PDF-"}, {"plot.Png", "\x89PNG"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const Outcome run = Plot({"--out", c.name, "--size", "640x600", "--min", "-20.5", "--max", "+150", "rec.txt"});
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(Read(c.name).startsWith(c.start));
    }
    EXPECT_TRUE(Read("plot.svg").contains("width=\"640\" height=\"600\""));
}

// The texts of an SVG picture, each with its font size.
QMap<QString, double> TextsOf(const QByteArray& svg) {
    QMap<QString, double> texts;
    static const QRegularExpression Text(R"re(<text[^>]*font-size="([0-9.]+)"[^>]*>([^<]*)</text>)re");
    for (const QRegularExpressionMatch& match : Text.globalMatch(QString::fromUtf8(svg))) {
        texts.insert(match.captured(2), match.captured(1).toDouble());
    }
    return texts;
}

// The picture for a report: the temperature labels on a round step that encloses the data (from
// -2 to 30 degrees, so -5 to 35 by 5, where the plot window shows -200 to 1767), the title and
// the captions; three times the size has text three times as large.
TEST_F(PlotProgramTest, ReportPictureIsScaledToTheDataAndGrowsWithItsSize) {
    QByteArray file = "No.s    Time            T1      T2      T1-T2   Unit\r\n";
    for (int n = 0; n <= 32; ++n) {
        file += QByteArray::number(n + 1) + "\t" + QTime(10, 0).addSecs(60 * n).toString("HH:mm:ss").toLatin1() + "\t" +
                QByteArray::number(n - 2) + ".0\tC\r\n";
    }
    Write("warm.txt", file);
    const Outcome small = Plot({"warm.txt", "--out", "small.svg", "--title", "Warm-up"});
    ASSERT_EQ(small.status, 0) << small.err.toStdString();
    const Outcome large = Plot({"warm.txt", "--out", "large.svg", "--title", "Warm-up", "--size", "1281x1185"});
    ASSERT_EQ(large.status, 0) << large.err.toStdString();

    const QMap<QString, double> texts = TextsOf(Read("small.svg"));
    QStringList numbers;
    for (const QString& text : texts.keys()) {
        bool number = false;
        text.toDouble(&number);
        if (number) numbers << text;
    }
    std::sort(numbers.begin(), numbers.end(), [](const QString& a, const QString& b) { return a.toDouble() < b.toDouble(); });
    EXPECT_EQ(numbers, QStringList({"-5", "0", "5", "10", "15", "20", "25", "30", "35"}));
    for (const char* text : {"Warm-up", "Temperature (\u00B0C)", "Time", "10:00"}) {
        EXPECT_TRUE(texts.contains(QString::fromUtf8(text))) << text;
    }
    EXPECT_GT(texts.value("Warm-up"), texts.value("Time"));

    const QMap<QString, double> larger = TextsOf(Read("large.svg"));
    for (const char* text : {"Warm-up", "Time", "35"}) {
        SCOPED_TRACE(text);
        ASSERT_GT(texts.value(text), 0);
        EXPECT_NEAR(larger.value(text) / texts.value(text), 3, 0.05);
    }
}

}  // namespace
