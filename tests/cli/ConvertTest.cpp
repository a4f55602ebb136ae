#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <utility>

namespace {

// The command-line program beside the simulator in the build tree.
QString CliPath() {
    return QFileInfo(qEnvironmentVariable("TQ36_METERSIM")).dir().filePath("../cli/tq36-cli");
}

struct Outcome {
    int status = -1;
    QByteArray out, err;
};

// `fileSizeLimit`: bytes any file of the program may grow to (a disk that fills up).
Outcome Execute(const QString& program, const QStringList& args, const QByteArray& input = {},
                rlim_t fileSizeLimit = RLIM_INFINITY) {
    QProcess process;
    if (fileSizeLimit != RLIM_INFINITY) {
        process.setChildProcessModifier([fileSizeLimit] {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
    process.start(program, args);
    if (!process.waitForStarted()) return {};
    process.write(input);
    process.closeWriteChannel();
    Outcome run;
    if (!process.waitForFinished(60000)) return run;
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

class ConvertTest : public testing::Test {
  protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return path;
    }

    static QByteArray ReadAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    Outcome Convert(const QString& file, const QStringList& options = {}) {
        return Execute(CliPath(), QStringList{"convert", file} + options);
    }

    QTemporaryDir dir;
};

constexpr char Header[] = "No.s    Time            T1      T2      T1-T2   Unit\r\n";

// A recording, and a list save with a TAB after every field, over the same readings.
const QByteArray TwoChannelRecording = QByteArray(Header) +
                                       "1\t14:03:07\t23.5\t21.0\t2.5\tC\r\n"
                                       "2\t14:03:09\tOL\t-OL\t----\tC\r\n"
                                       "3\t14:03:11\t-40.0\t1372.0\t-1412.0\tC\r\n";
const QByteArray TwoChannelCsv =
    "record,timestamp,t1,t2,t1_t2,unit,t1_mark,t2_mark,t1_t2_mark\r\n"
    "1,14:03:07,23.5,21.0,2.5,C,,,\r\n"
    "2,14:03:09,,,,C,OL,-OL,----\r\n"
    "3,14:03:11,-40.0,1372.0,-1412.0,C,,,\r\n";

TEST_F(ConvertTest, WritesExactCsvOfEveryKindOfFile) {
    struct Case {
        const char* name;
        QByteArray file;
        QStringList options;
        QByteArray csv;
    };
    const Case cases[] = {
        {"TwoChannelWithMarks", TwoChannelRecording, {}, TwoChannelCsv},
        {"ListSaveWithTrailingTabs",
         QByteArray(Header) + "1\t14:03:07\t23.5\t21.0\t2.5\tC\t\r\n2\t14:03:09\tOL\t-OL\t----\tC\t\r\n"
                              "3\t14:03:11\t-40.0\t1372.0\t-1412.0\tC\t\r\n",
         {},
         TwoChannelCsv},
        {"OneChannel",
         QByteArray(Header) + "1\t08:00:00\t20.0\tC\t\r\n2\t08:00:01\t----\tC\t\r\n",
         {},
         "record,timestamp,t1,unit,t1_mark\r\n1,08:00:00,20.0,C,\r\n2,08:00:01,,C,----\r\n"},
        {"MixedUnits",
         QByteArray(Header) + "1\t10:00:00\t20.0\t19.0\t1.0\tC\r\n2\t10:00:02\t68.0\t66.2\t1.8\tF\r\n"
                              "3\t10:00:04\t293.2\t292.2\t1.0\tK\r\n",
         {},
         "record,timestamp,t1,t2,t1_t2,unit,t1_mark,t2_mark,t1_t2_mark\r\n1,10:00:00,20.0,19.0,1.0,C,,,\r\n"
         "2,10:00:02,68.0,66.2,1.8,F,,,\r\n3,10:00:04,293.2,292.2,1.0,K,,,\r\n"},
        // The day goes on at midnight and only there: an equal time stays on its day.
        {"PastMidnightWithDate",
         QByteArray(Header) + "1\t23:59:58\t1.0\tC\r\n2\t23:59:59\t1.0\tC\r\n3\t00:00:00\t1.0\tC\r\n"
                              "4\t00:00:00\t1.0\tC\r\n5\t23:00:00\t1.0\tC\r\n6\t00:00:01\t1.0\tC\r\n",
         {"--date", "2024-02-28"},
         "record,timestamp,t1,unit,t1_mark\r\n1,2024-02-28T23:59:58,1.0,C,\r\n2,2024-02-28T23:59:59,1.0,C,"
         "\r\n"
         "3,2024-02-29T00:00:00,1.0,C,\r\n4,2024-02-29T00:00:00,1.0,C,\r\n5,2024-02-29T23:00:00,1.0,C,\r\n"
         "6,2024-03-01T00:00:01,1.0,C,\r\n"},
        // Shown as the file list shows it: a field with a comma or quote is quoted, a decimal
        // comma becomes a point, surplus fields are dropped and missing ones stay empty.
        {"OddLinesAsTheListShowsThem",
         QByteArray(Header) + "1\t09:00:00\t21,5\t\"hot\"\tx,y\tC\textra\r\n2\t09:00:01\r\n",
         {"--date", "2024-12-31"},
         "record,timestamp,t1,t2,t1_t2,unit,t1_mark,t2_mark,t1_t2_mark\r\n"
         "1,2024-12-31T09:00:00,21.5,,,C,,\"\"\"hot\"\"\",\"x,y\"\r\n2,2024-12-31T09:00:01,,,,,,,\r\n"},
        // Every field in its column, also after an empty first one, and a record of empty fields
        // is a row of empty fields, not a blank line.
        {"EmptyFields",
         QByteArray(Header) + "\t12:00:01\t23.6\t21.0\t2.6\tC\r\n\t\t\t\t\t\r\n",
         {},
         "record,timestamp,t1,t2,t1_t2,unit,t1_mark,t2_mark,t1_t2_mark\r\n,12:00:01,23.6,21.0,2.6,C,,,\r\n"
         ",,,,,,,,\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome run = Convert(Write(QString(c.name) + ".txt", c.file), c.options);
        EXPECT_EQ(run.status, 0) << run.err.toStdString();
        EXPECT_EQ(run.out.toStdString(), c.csv.toStdString());
    }
}

// The date goes on only where the time goes back by more than half a day (midnight); a smaller
// step back is the clock set back an hour, as record goes on through it, and is said with the
// record it comes at. What the file cannot date (an equal time, a step forward of half a day or
// more) is said once.
TEST_F(ConvertTest, DateMovesOnOnlyPastMidnight) {
    const QByteArray file = QByteArray(Header) +
                            "1\t23:59:58\t1.0\tC\r\n2\t00:00:01\t1.0\tC\r\n3\t03:00:01\t1.0\tC\r\n"
                            "4\t02:00:02\t1.0\tC\r\n5\t02:00:02\t1.0\tC\r\n6\t14:00:02\t1.0\tC\r\n"
                            "7\t01:30:00\t1.0\tC\r\n";
    const Outcome run = Convert(Write("autumn.txt", file), {"--date", "2024-10-26"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(),
              "record,timestamp,t1,unit,t1_mark\r\n1,2024-10-26T23:59:58,1.0,C,\r\n2,2024-10-27T00:00:01,1.0,C,\r\n"
              "3,2024-10-27T03:00:01,1.0,C,\r\n4,2024-10-27T02:00:02,1.0,C,\r\n5,2024-10-27T02:00:02,1.0,C,\r\n"
              "6,2024-10-27T14:00:02,1.0,C,\r\n7,2024-10-28T01:30:00,1.0,C,\r\n");
    const QList<QByteArray> said = run.err.trimmed().split('\n');
    ASSERT_EQ(said.size(), 3) << run.err.toStdString();
    EXPECT_EQ(said[0].toStdString(),
              "tq36-cli: record 4 at 02:00:02 is 00:59:59 earlier than the one before it (03:00:01): taken as the "
              "clock set back, on the same day");
    EXPECT_TRUE(said[1].startsWith("tq36-cli: record 5 at 02:00:02 has the time of the one before it (02:00:02): "
                                   "whether a day or more lies between them cannot be told from the file"))
        << said[1].toStdString();
    EXPECT_TRUE(said[2].startsWith("tq36-cli: 7 records converted")) << said[2].toStdString();
}

// Header lines wherever they stand and empty lines are left out, as the file list leaves them,
// and counted.
TEST_F(ConvertTest, SkipsWhatTheFileListSkipsAndCountsIt) {
    const QByteArray file = QByteArray(Header) + "1\t14:03:07\t23.5\t21.0\t2.5\tC\r\n\r\n\n" + Header +
                            "2\t14:03:09\tOL\t-OL\t----\tC\r\n" + "3\t14:03:11\t-40.0\t1372.0\t-1412.0\tC";
    const Outcome run = Convert(Write("gaps.txt", file));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.toStdString(), TwoChannelCsv.toStdString());
    EXPECT_EQ(run.err.toStdString(), "tq36-cli: 3 records converted, 4 lines skipped (2 headers, 2 empty)\n");
}

TEST_F(ConvertTest, OutputFileIsReplacedOnlyWithForce) {
    const QString in = Write("run.txt", TwoChannelRecording);
    const QString out = dir.filePath("run.csv");
    const QByteArray earlier = "earlier\r\n";
    Write("run.csv", earlier);

    // A disk that fills up part way leaves the file that was there.
    Outcome run = Execute(CliPath(), {"convert", in, "--out", out, "--force"}, {}, 100);
    EXPECT_EQ(run.status, 74);
    EXPECT_EQ(ReadAll(out), earlier);

    run = Convert(in, {"--out", out});
    EXPECT_EQ(run.status, 73);
    EXPECT_TRUE(run.err.contains("--force")) << run.err.toStdString();
    EXPECT_EQ(ReadAll(out), earlier);

    run = Convert(in, {"--out", out, "--force"});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(ReadAll(out).toStdString(), TwoChannelCsv.toStdString());

    // What is no file is refused as what it is.
    const QString fifo = dir.filePath("fifo.csv");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    for (const auto& [path, kind] : {std::pair{fifo, "a FIFO"}, std::pair{dir.path(), "a folder"}}) {
        run = Convert(in, {"--out", path, "--force"});
        EXPECT_EQ(run.status, 73);
        EXPECT_TRUE(run.err.contains((path + " is " + kind + ", not a regular file").toUtf8())) << run.err.toStdString();
    }

    // A name as long as a name may be: the file beside it that the CSV goes to first fits too.
    const QString fresh = dir.filePath(QString(251, 'n') + ".csv");
    run = Convert(in, {"--out", fresh});
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(ReadAll(fresh).toStdString(), TwoChannelCsv.toStdString());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(".tmp").size(), 0);
}

TEST_F(ConvertTest, RefusesWhatItCannotConvert) {
    const QString in = Write("run.txt", TwoChannelRecording);
    EXPECT_EQ(Convert(dir.filePath("missing.txt")).status, 66);
    EXPECT_EQ(Convert(dir.path()).status, 66);
    EXPECT_EQ(Execute(CliPath(), {"convert"}).status, 64);
    // A decimal comma in a comma-separated file would make every number two fields, or a text.
    const Outcome commas = Convert(in, {"--decimal-comma"});
    EXPECT_EQ(commas.status, 64);
    EXPECT_TRUE(commas.err.contains("--decimal-comma needs another delimiter than the comma")) << commas.err.toStdString();
    for (const char* day : {"2023-02-29", "2024-13-01", "24-01-01", "2024-1-01x", "+024-01-01"}) {
        SCOPED_TRACE(day);
        const Outcome run = Convert(in, {"--date", day});
        EXPECT_EQ(run.status, 64);
        EXPECT_TRUE(run.out.isEmpty());
    }
}

// A conversion stopped by any of the stop signals (SIGHUP: the ssh session closed) leaves neither
// its temporary file nor a part of the CSV; the file is huge and has no line end, so the signal
// comes while the conversion reads.
TEST_F(ConvertTest, StopSignalsLeaveNoTemporaryFile) {
    const QString in = Write("huge.txt", TwoChannelRecording);
    {
        QFile file(in);
        ASSERT_TRUE(file.resize(qint64{64} << 30)) << "a sparse file of 64 GiB";
    }
    const QString out = dir.filePath("huge.csv");
    auto temporaries = [&] { return QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(".tmp"); };
    for (const auto& [signal, name] : {std::pair{SIGHUP, "SIGHUP"}, std::pair{SIGINT, "SIGINT"}, std::pair{SIGTERM, "SIGTERM"}}) {
        SCOPED_TRACE(name);
        QProcess process;
        process.start(CliPath(), {"convert", in, "--out", out});
        ASSERT_TRUE(process.waitForStarted());
        for (int i = 0; i < 600 && temporaries().isEmpty(); ++i) QThread::msleep(10);
        ASSERT_FALSE(temporaries().isEmpty()) << "the conversion has begun";
        ASSERT_EQ(kill(static_cast<pid_t>(process.processId()), signal), 0);
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 130) << process.readAllStandardError().toStdString();
        EXPECT_TRUE(temporaries().isEmpty()) << temporaries().join(' ').toStdString();
        EXPECT_FALSE(QFile::exists(out));
    }
}

// Python's csv module reads the output back with a number where a reading is, a mark where
// there is none, and the timestamps as Python's datetime takes them; also with ';' between the
// fields and decimal commas, as spreadsheets set up for German or French read them.
TEST_F(ConvertTest, PythonReadsTheTypesBack) {
    const QString in = Write("run.txt", TwoChannelRecording);
    const char* script = R"(
import csv, datetime, io, sys
delimiter, decimal = sys.argv[1], sys.argv[2]
rows = list(csv.DictReader(io.StringIO(sys.stdin.buffer.read().decode('ascii'), newline=''), delimiter=delimiter))
for row in rows:
    int(row['record'])
    datetime.datetime.fromisoformat(row['timestamp'])
    for name in ('t1', 't2', 't1_t2'):
        assert (row[name] == '') != (row[name + '_mark'] == ''), row
        if row[name]: float(row[name].replace(decimal, '.', 1))
print(len(rows), rows[1]['t2_mark'], rows[2]['t2'], rows[2]['t1_t2'], datetime.datetime.fromisoformat(rows[0]['timestamp']))
)";
    struct Case {
        QStringList style;
        QStringList python;
        std::string read;
    };
    const Case cases[] = {
        {{}, {",", "."}, "3 -OL 1372.0 -1412.0 2024-06-01 14:03:07\n"},
        {{"--delimiter", ";", "--decimal-comma"}, {";", ","}, "3 -OL 1372,0 -1412,0 2024-06-01 14:03:07\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.style.join(' ').toStdString());
        const Outcome csv = Convert(in, QStringList{"--date", "2024-06-01"} + c.style);
        ASSERT_EQ(csv.status, 0) << csv.err.toStdString();
        const Outcome python = Execute("python3", QStringList{"-c", script} + c.python, csv.out);
        ASSERT_NE(python.status, -1) << "python3 is not installed (tools/scripts/deps.sh installs it)";
        EXPECT_EQ(python.status, 0) << python.err.toStdString();
        EXPECT_EQ(python.out.toStdString(), c.read);
    }
}

}  // namespace
