#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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

}  // namespace
