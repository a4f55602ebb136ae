#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QTime>
#include <fcntl.h>
#include <grp.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <csignal>
#include <memory>
#include <vector>

#include "ChildProcess.h"
#include "LoggerMemory.h"
#include "PortProblem.h"
#include "CommandSupport.h"
#include "Commands.h"
#include "acquisition/SystemClock.h"
#include "TimeTexts.h"
#include "MeterSettings.h"
#include "ProgramState.h"
#include "ScriptedDialogs.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "ui/MeterLink.h"
#include "app/Windows.h"
#include "logger/DataLogger.h"
#include "records/RecordFormat.h"
#include "ui/Forms.h"
#include "windows/records/DataListLoading.h"
#include "windows/records/ListWindow.h"
#include "windows/records/RecordFile.h"

namespace {

constexpr int Com = 5;

// The command-line program beside the simulator in the build tree.
QString CliPath() {
    return QFileInfo(qEnvironmentVariable("TQ36_METERSIM")).dir().filePath("../cli/tq36-cli");
}

struct CliRun {
    int status = -1;
    QString out, err;
};

class CliTest : public testing::Test {
protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override {
        if (meter) meter->Stop();
        ResetProgramState();
    }

    bool StartMeter(std::vector<std::string> args) {
        meter = std::make_unique<SimulatedMeter>(Com, std::move(args));
        return meter->Start();
    }

    // `fileSizeLimit`: bytes any file of the program may grow to (a disk that fills up).
    static CliRun Cli(const QStringList& args, int timeoutMs = 60000, const QString& stdoutFile = {},
                      rlim_t fileSizeLimit = RLIM_INFINITY) {
        QProcess process;
        if (!stdoutFile.isEmpty()) process.setStandardOutputFile(stdoutFile);
        if (fileSizeLimit != RLIM_INFINITY) {
            process.setChildProcessModifier([fileSizeLimit] {
                const rlimit limit{fileSizeLimit, fileSizeLimit};
                setrlimit(RLIMIT_FSIZE, &limit);
            });
        }
        process.start(CliPath(), args);
        CliRun run;
        if (!process.waitForFinished(timeoutMs)) return run;
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    static QByteArray ReadAll(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static bool WriteAll(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

    // Every file in a folder, hidden ones too, with its content.
    static QMap<QString, QByteArray> Folder(const QString& path) {
        QMap<QString, QByteArray> files;
        for (const QString& name : QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::System))
            files[name] = ReadAll(QDir(path).filePath(name));
        return files;
    }

    // Records in a record file: its lines but the header.
    static qsizetype RecordsIn(const QString& path) {
        return std::max<qsizetype>(ReadAll(path).count('\n') - 1, 0);
    }

    TempPortsDir ports;
    QTemporaryDir dir;
    std::unique_ptr<SimulatedMeter> meter;
};

// The file is the one the desktop program's recording makes of the same readings, on its grid.
TEST_F(CliTest, RecordWritesTheDesktopRecordFile) {
    ASSERT_TRUE(StartMeter({"--channels", "2", "--t1", "23.5", "--t2", "21.0"}));
    const QString out = dir.filePath("run1.txt");
    const CliRun run = Cli({"record", "--com", QString::number(Com), "--interval", "1", "--count", "3", "--out", out});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QByteArray written = ReadAll(out);
    const QList<QByteArray> lines = written.split('\n');
    ASSERT_EQ(lines.size(), 5) << written.toStdString();
    std::string expected = "No.s    Time            T1      T2      T1-T2   Unit\r\n";
    int previous = -1;
    for (int n = 1; n <= 3; ++n) {
        const std::string time = lines[n].split('\t').value(1).toStdString();
        expected += std::to_string(n) + "\t" + time + "\t23.5\t21.0\t2.5\tC\r\n";
        const int seconds = QTime::fromString(QString::fromStdString(time), "HH:mm:ss").msecsSinceStartOfDay() / 1000;
        if (previous >= 0) {
            EXPECT_EQ((seconds - previous + 86400) % 86400, 1) << "one second apart";
        }
        previous = seconds;
    }
    EXPECT_EQ(written.toStdString(), expected);
    // Said also where stderr is no terminal: what starts and how it ended.
    EXPECT_TRUE(run.err.contains("recording COM " + QString::number(Com) + " into " + out))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("3 records in " + out)) << run.err.toStdString();
}

// The meter falls silent for a while: the recording waits, says so, and goes on afterwards.
TEST_F(CliTest, RecordWaitsForALostMeterAndGoesOn) {
    ASSERT_TRUE(StartMeter({"--channels", "1", "--t1", "20.0", "--gap", "3:9"}));
    const QString out = dir.filePath("gap.txt");
    const CliRun run = Cli({"record", "--com", QString::number(Com), "--interval", "1", "--duration", "18s", "--out", out});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("waiting")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("back")) << run.err.toStdString();
    const QList<QByteArray> lines = ReadAll(out).trimmed().split('\n');
    ASSERT_GE(lines.size(), 5);
    int largestStep = 0, previous = -1;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].split('\t').value(0).toInt(), i) << "records numbered on";
        const int seconds = QTime::fromString(QString(lines[i].split('\t').value(1)), "HH:mm:ss").msecsSinceStartOfDay() / 1000;
        if (previous >= 0) largestStep = std::max(largestStep, (seconds - previous + 86400) % 86400);
        previous = seconds;
    }
    EXPECT_GE(largestStep, 4) << "the gap shows in the times";
}

// SIGTERM, and SIGHUP as a closed ssh session sends it: whole records and the end line.
TEST_F(CliTest, TerminatedRecordingKeepsWholeRecords) {
    ASSERT_TRUE(StartMeter({"--channels", "2"}));
    for (const auto& [signal, name] : {std::pair{SIGTERM, "SIGTERM"}, std::pair{SIGHUP, "SIGHUP"}}) {
        SCOPED_TRACE(name);
        const QString out = dir.filePath(QString(name) + ".txt");
        QProcess process;
        process.start(CliPath(), {"record", "--com", QString::number(Com), "--interval", "1", "--out", out});
        ASSERT_TRUE(process.waitForStarted());
        for (int i = 0; i < 200 && ReadAll(out).count('\n') < 3; ++i) QThread::msleep(50);
        ASSERT_EQ(kill(static_cast<pid_t>(process.processId()), signal), 0);
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        const QByteArray written = ReadAll(out);
        ASSERT_GE(written.count('\n'), 3);
        EXPECT_TRUE(written.endsWith("\r\n"));
        for (const QByteArray& line : written.trimmed().split('\n').mid(1)) EXPECT_EQ(line.count('\t'), 5) << line.toStdString();
        const QString said = QString::fromUtf8(process.readAllStandardError());
        EXPECT_TRUE(said.contains(QString::number(RecordsIn(out)) + " records in " + out + "; ended: stopped by " + name))
            << said.toStdString();
    }
}

TEST_F(CliTest, ReadPrintsOneJsonObjectPerFrame) {
    ASSERT_TRUE(StartMeter({"--channels", "2", "--t1", "OL", "--t2", "21.0", "--type", "J"}));
    const CliRun run = Cli({"read", "--com", QString::number(Com), "--count", "2", "--json"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QStringList lines = run.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 2);
    for (const QString& line : lines) {
        QJsonParseError error;
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8(), &error).object();
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        EXPECT_EQ(object["t1"].toString(), "OL");
        EXPECT_EQ(object["t2"].toDouble(), 21.0);
        EXPECT_EQ(object["type"].toString(), "J");
        EXPECT_EQ(object["channels"].toInt(), 2);
        // The time of day alone is ambiguous in a log that crosses midnight or a time zone.
        const QString timestamp = object["timestamp"].toString();
        const QRegularExpression iso(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d$)");
        EXPECT_TRUE(iso.match(timestamp).hasMatch()) << timestamp.toStdString();
        EXPECT_EQ(QDateTime::fromString(timestamp, Qt::ISODate).time().toString("HH:mm:ss"),
                  object["time"].toString());
    }
}

// The set as the CLI writes it and as the desktop program saves its data list: the header, then
// each record numbered, stamped from the start time at the set's interval, its value or mark and
// its unit, every field followed by a TAB.
TEST_F(CliTest, DownloadWritesWhatADataListSaveWrites) {
    // Two one-channel sets in F: three records every 10 s, then five every 2 s.
    const QByteArray memory(
        "\x00\x55\xAA\x00\x0A"
        "\x01\x02\xBF\xFF\x00\x00\x00\x01\x02\xBF\xFF\x00\x00\x00\x01\x02\xBF\xFF\x00\x00\x00"
        "\x00\x55\xAA\x00\x02"
        "\x01\x02\xBF\xFF\x00\x00\x00"   // 70.3
        "\x81\x01\x90\xFF\x00\x00\x00"   // -40.0
        "\x41\x00\x00\xFF\x00\x00\x00"   // over range
        "\xC1\x00\x00\xFF\x00\x00\x00"   // under range
        "\x21\x00\x00\xFF\x00\x00\x00",  // no reading
        66);
    const std::string set2 =
        "No.s    Time            T1      T2      T1-T2   Unit\r\n"
        "1\t23:59:58\t70.3\tF\t\r\n"
        "2\t00:00:00\t-40.0\tF\t\r\n"
        "3\t00:00:02\tOL\tF\t\r\n"
        "4\t00:00:04\t-OL\tF\t\r\n"
        "5\t00:00:06\t----\tF\t\r\n";
    QFile image(dir.filePath("memory.bin"));
    ASSERT_TRUE(image.open(QIODevice::WriteOnly));
    image.write(memory);
    image.close();
    ASSERT_TRUE(
        StartMeter({"--channels", "1", "--memory", image.fileName().toStdString(), "--baud", "9600"}));
    const CliRun run = Cli({"download", "--com", QString::number(Com), "--out-dir", dir.path(), "--start", "23:59:58"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(ReadAll(dir.filePath("set02.txt")).toStdString(), set2) << run.out.toStdString();
    EXPECT_TRUE(run.err.contains("reading the logger")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("2 data sets written")) << run.err.toStdString();

    // The desktop path over the same memory: open set 2 from 23:59:58, then save its data list.
    ProgramShared().logger.DownloadStarted();
    ProgramShared().logger.MemoryRead(std::vector<std::uint8_t>(memory.begin(), memory.end()));
    ScriptedDialogs dialogs;
    Dialogs::Install(&dialogs);
    RegisterProgramWindows();
    dialogs.QueueInput("23:59:58");
    OpenDataSet(ProgramShared().logger, 2);
    auto* list = Forms::FindAs<ListWindow>("DataList1");
    ASSERT_NE(list, nullptr);
    ProgramLink().SavePathChosen(dir.filePath("desktop.txt").toStdString(), true);
    ASSERT_TRUE(RecordFile::SaveList(ProgramLink(), *list, list->Records()));
    EXPECT_EQ(ReadAll(dir.filePath("desktop.txt")).toStdString(), set2);
}

// A second download into one folder neither mixes its sets with the first one's nor replaces them
// unasked; with --force it replaces them once every new set is whole, and removes the others.
TEST_F(CliTest, DownloadNeverMixesOrReplacesSetsSilently) {
    const QString out = dir.filePath("sets");
    ASSERT_TRUE(StartMeter({"--channels", "1", "--sets", "10:3,2:5,3:4"}));
    const CliRun first = Cli({"download", "--com", QString::number(Com), "--out-dir", out});
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    // Without --start the records are stamped from the download, and it says from when, once.
    const QRegularExpressionMatch stamped =
        QRegularExpression(R"(no --start: the first record is stamped (\d\d:\d\d:\d\d)\n)").match(first.err);
    ASSERT_TRUE(stamped.hasMatch()) << first.err.toStdString();
    EXPECT_EQ(first.err.count("--start"), 1);
    EXPECT_EQ(ReadAll(out + "/set01.txt").split('\n').value(1).split('\t').value(1),
              stamped.captured(1).toLatin1());
    const QMap<QString, QByteArray> before = Folder(out);
    ASSERT_EQ(before.keys(), (QStringList{"set01.txt", "set02.txt", "set03.txt"}));

    meter.reset();
    ASSERT_TRUE(StartMeter({"--channels", "1", "--sets", "10:40"}));
    struct Case {
        const char* name;
        QStringList extra;
        rlim_t fileSizeLimit;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {"NotAskedToReplace", {}, RLIM_INFINITY, 73, "set files of an earlier download"},
        // The new set01.txt is larger than that.
        {"WriteFails", {"--force"}, 300, 74, "could not be written (File too large)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run =
            Cli(QStringList{"download", "--com", QString::number(Com), "--out-dir", out} + c.extra, 60000, {},
                c.fileSizeLimit);
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        EXPECT_EQ(Folder(out), before) << "the earlier download is as it was";
    }

    const CliRun forced = Cli({"download", "--com", QString::number(Com), "--out-dir", out, "--force"});
    EXPECT_EQ(forced.status, 0) << forced.err.toStdString();
    EXPECT_EQ(Folder(out).keys(), QStringList{"set01.txt"});
    EXPECT_EQ(RecordsIn(out + "/set01.txt"), 40);
    EXPECT_TRUE(forced.err.contains("tq36-cli: set files of an earlier download in " + out + ": replaced set01.txt; removed set02.txt, set03.txt"))
        << forced.err.toStdString();
}

// A dump that ends before the size the meter announced keeps the sets that came and says how it
// ended and how many of the announced memory bytes came. The set it ended inside is marked in its
// line, listed or written, and in the end line, and the status tells the download from a whole one.
TEST_F(CliTest, DownloadThatEndsEarlyMarksTheSetItEndedInside) {
    // 66 bytes of memory: 26 in the first set, 40 in the second (5 records).
    struct Case {
        const char* name;
        std::vector<std::string> meter;
        QString says;
        qsizetype lastRecords;  // in set02.txt
    };
    const Case cases[] = {
        {"MemoryShorter", {"--dump-short", "40"}, "the logger memory was shorter than announced: 66 of 106 bytes came", 5},
        // The lead byte and 39 bytes of memory: one whole record of the second set.
        {"HungUp", {"--hang-up-after", "40"}, "the meter stopped answering during the download: 39 of 66 bytes came", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = {"--channels", "1", "--sets", "10:3,2:5"};
        args.insert(args.end(), c.meter.begin(), c.meter.end());
        ASSERT_TRUE(StartMeter(args));
        const QString out = dir.filePath(c.name);
        const CliRun run = Cli({"download", "--com", QString::number(Com), "--out-dir", out});
        EXPECT_EQ(run.status, 76) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("tq36-cli: " + c.says + "\n")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QRegularExpression(
            "2 data sets written to " + QRegularExpression::escape(out) + "; set02.txt is incomplete")))
            << run.err.toStdString();
        EXPECT_EQ(RecordsIn(out + "/set01.txt"), 3);
        EXPECT_EQ(RecordsIn(out + "/set02.txt"), c.lastRecords);
        const QStringList lines = run.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
        EXPECT_EQ(lines[0].toStdString(), (out + "/set01.txt\t10 s\t3 records").toStdString());
        EXPECT_EQ(lines[1].toStdString(),
                  (out + "/set02.txt\t2 s\t" + QString::number(c.lastRecords) + " records\tincomplete").toStdString());
        meter.reset();
    }
    ASSERT_TRUE(StartMeter({"--channels", "1", "--sets", "10:3,2:5", "--dump-short", "40"}));
    const CliRun listed = Cli({"download", "--com", QString::number(Com), "--list"});
    EXPECT_EQ(listed.status, 76) << listed.err.toStdString();
    EXPECT_EQ(listed.out.toStdString(), "Set\tSampling\tRecords\n1\t10\t3\n2\t2\t5\tincomplete\n");
    EXPECT_TRUE(listed.err.contains("2 data sets in the logger; set 2 is incomplete")) << listed.err.toStdString();
}

TEST_F(CliTest, FailuresSayWhyWithTheirOwnStatus) {
    struct Case {
        const char* name;
        QStringList args;
        int status;
        const char* says;
    };
    ports.LinkMissing(7);
    ASSERT_TRUE(StartMeter({"--silent-after", "0"}));
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const Case cases[] = {
        {"BadArguments", {"record", "--com", "3"}, 64, "needs --out"},
        {"UnknownCommand", {"frob"}, 64, "unknown command"},
        {"StartTimeWithASign", {"download", "--com", "3", "--start", "-5:00:00"}, 64, "--start takes hh:mm:ss"},
        {"NoSuchPort", {"read", "--com", "7"}, 66, "'tq36-cli ports' lists"},
        {"SilentMeter", {"read", "--com", QString::number(Com)}, 69, "sent nothing within 5 s"},
        // Neither is waited on, not even with --force.
        {"RecordIntoAFifo", {"record", "--com", QString::number(Com), "--out", fifo, "--force"}, 73,
         "not a regular file"},
        {"RecordIntoADevice", {"record", "--com", QString::number(Com), "--out", "/dev/null"}, 73,
         "not a regular file"},
        // Said before the meter is asked, not after the dump.
        {"DownloadIntoAFolderThatCannotBeMade", {"download", "--com", QString::number(Com), "--out-dir", fifo + "/sets"},
         74, "cannot take the set files (Not a directory); the meter was not asked"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const CliRun run = Cli(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    }
}

// A user outside the device's group may not open it: the message names the group.
TEST_F(CliTest, PortThisUserMayNotOpenNamesTheGroup) {
    if (geteuid() != 0) GTEST_SKIP() << "needs to start the program as another user";
    ASSERT_TRUE(StartMeter({}));
    // The other user must see the alias folder and the program; the device behind the alias stays
    // root's and tty's. The build tree may lie where that user may not enter (a home of mode 700),
    // so the program runs from a copy in a folder of its own.
    ASSERT_EQ(chmod(ports.Path().c_str(), 0755), 0);
    QTemporaryDir copyDir;
    ASSERT_TRUE(copyDir.isValid());
    const QString copy = copyDir.filePath("tq36-cli");
    ASSERT_TRUE(QFile::copy(CliPath(), copy));
    ASSERT_EQ(chmod(copyDir.path().toLocal8Bit().constData(), 0755), 0);
    ASSERT_EQ(chmod(copy.toLocal8Bit().constData(), 0755), 0);
    constexpr int Unreachable = 97;
    const QByteArray cli = copy.toLocal8Bit();
    const QByteArray com = QByteArray::number(Com);
    const pid_t child = fork();
    if (child == 0) {
        if (setgid(65534) != 0 || setuid(65534) != 0) _exit(99);
        if (access(cli.constData(), X_OK) != 0) _exit(Unreachable);
        const int devnull = ::open("/dev/null", O_WRONLY);
        dup2(devnull, STDERR_FILENO);
        execl(cli.constData(), "tq36-cli", "read", "--com", com.constData(), nullptr);
        _exit(98);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == Unreachable)
        GTEST_SKIP() << "user nobody may not reach " << copyDir.path().toStdString()
                     << " (set TMPDIR elsewhere)";
    EXPECT_EQ(WEXITSTATUS(status), 77);
}

// Yesterday's file survives a wrong COM number, a busy port and a silent meter, and is replaced
// only when asked to.
TEST_F(CliTest, RecordReplacesAnExistingFileOnlyWithForce) {
    struct Case {
        const char* name;
        QString com;
        bool force;
        int status;
        bool kept;
    };
    ports.LinkMissing(7);
    ASSERT_TRUE(StartMeter({"--channels", "1"}));
    const QByteArray yesterday = "No.s    Time            Value   Unit\r\n1\t08:00:00\t20.0\tC\r\n";
    const Case cases[] = {
        {"NotAskedTo", QString::number(Com), false, 73, true},
        {"NoSuchPort", "7", true, 66, true},
        {"AskedTo", QString::number(Com), true, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = dir.filePath(QString(c.name) + ".txt");
        ASSERT_TRUE(WriteAll(out, yesterday));
        QStringList args = {"record", "--com", c.com, "--interval", "1", "--count", "1", "--out", out};
        if (c.force) args << "--force";
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        EXPECT_EQ(ReadAll(out) == yesterday, c.kept) << ReadAll(out).toStdString();
        if (c.status == 73) {
            EXPECT_TRUE(run.err.contains("--force")) << run.err.toStdString();
        }
    }

    // A file that cannot be written (a program that runs, which not even root may write) is said
    // to be left as it was, at once.
    const QString running = dir.filePath("running.txt");
    ASSERT_TRUE(QFile::copy(QStandardPaths::findExecutable("sleep"), running));
    ASSERT_TRUE(QFile::setPermissions(running, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QProcess program;
    program.start(running, {"60"});
    ASSERT_TRUE(program.waitForStarted());
    const QByteArray before = ReadAll(running);
    const CliRun run = Cli({"record", "--com", QString::number(Com), "--interval", "1", "--count", "1", "--out", running,
                            "--force"});
    program.kill();
    program.waitForFinished();
    EXPECT_EQ(run.status, 74) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(running + " cannot be written (")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("left as it was")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("was not made")) << run.err.toStdString();
    EXPECT_EQ(ReadAll(running), before);
}

// The limits count the samples due from the first one, so a meter that falls silent for good
// ends the run on time, and the last sample is the last one due within the duration.
TEST_F(CliTest, RecordLimitsHoldWhateverTheMeterDoes) {
    struct Case {
        const char* name;
        std::vector<std::string> meter;
        QStringList limit;
        std::optional<qsizetype> records;
    };
    const Case cases[] = {
        {"SamplesDueWithinTheDuration", {}, {"--interval", "3", "--duration", "4s"}, 2},
        {"DurationWhileSilent", {"--exit-after", "3"}, {"--interval", "1", "--duration", "6s"}, {}},
        {"CountWhileSilent", {"--exit-after", "3"}, {"--interval", "1", "--count", "6"}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> meterArgs = {"--channels", "1"};
        meterArgs.insert(meterArgs.end(), c.meter.begin(), c.meter.end());
        ASSERT_TRUE(StartMeter(meterArgs));
        const QString out = dir.filePath(QString(c.name) + ".txt");
        const QStringList args = QStringList{"record", "--com", QString::number(Com), "--out", out} + c.limit;
        const CliRun run = Cli(args, 40000);
        EXPECT_EQ(run.status, 0) << "ended by its limit\n" << run.err.toStdString();
        if (c.records) {
            EXPECT_EQ(RecordsIn(out), *c.records) << ReadAll(out).toStdString();
        }
        meter.reset();
    }
}

// A recording stopped for a while (SIGSTOP, SIGCONT) finds the frames that piled up meanwhile: only
// the newest is a reading; no older one is recorded under a later time, and the samples that fell
// due meanwhile are gaps that the end counts and --count counts among its first N.
TEST_F(CliTest, RecordStoppedForAWhileNeverRecordsAPiledUpFrame) {
    // T1 climbs a tenth of a degree every tenth of a second: no two frames alike, and a reading
    // tells how long the meter had been sending.
    const QString script = dir.filePath("climb.txt");
    QByteArray steps;
    for (int i = 1; i <= 1200; ++i) {
        const QByteArray at = QByteArray::number(i / 10.0, 'f', 1);
        steps += at + " t1 " + QByteArray::number(100 + i / 10.0, 'f', 1) + "\n";
    }
    ASSERT_TRUE(WriteAll(script, steps));
    ASSERT_TRUE(StartMeter({"--channels", "1", "--t1", "100.0", "--script", script.toStdString()}));
    const QString out = dir.filePath("paused.txt");
    const std::string err = dir.filePath("paused.err").toStdString();
    constexpr int Count = 14;
    const pid_t cli = ChildProcess::Spawn({CliPath().toStdString(), "record", "--com", std::to_string(Com),
                                           "--interval", "1", "--count", std::to_string(Count), "--out",
                                           out.toStdString()},
                                          "/dev/null", err);
    ASSERT_GT(cli, 0);
    auto recordsReach = [&](qsizetype n) {
        for (int i = 0; i < 600 && RecordsIn(out) < n; ++i) QThread::msleep(50);
        return RecordsIn(out) >= n;
    };
    ASSERT_TRUE(recordsReach(3));
    ASSERT_EQ(kill(cli, SIGSTOP), 0);
    QThread::sleep(6);
    const qsizetype before = RecordsIn(out);
    ASSERT_EQ(kill(cli, SIGCONT), 0);
    ASSERT_TRUE(recordsReach(before + 2));
    int status = -1;
    for (int i = 0; i < 600 && waitpid(cli, &status, WNOHANG) == 0; ++i) QThread::msleep(100);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by its limit";
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const QString said = QString::fromUtf8(ReadAll(QString::fromStdString(err)));

    struct Row {
        int second;
        double t1;
    };
    std::vector<Row> rows;
    for (const QByteArray& line : ReadAll(out).trimmed().split('\n').mid(1)) {
        const QList<QByteArray> cells = line.trimmed().split('\t');
        ASSERT_GE(cells.size(), 3) << line.toStdString();
        rows.push_back({QTime::fromString(QString(cells[1]), "HH:mm:ss").msecsSinceStartOfDay() / 1000,
                        cells[2].toDouble()});
    }
    auto secondsBetween = [](int from, int to) { return (to - from + 86400) % 86400; };
    std::size_t pause = 1;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_GT(rows[i].t1, rows[i - 1].t1) << "a frame recorded twice, or an older one after a newer";
        if (secondsBetween(rows[i - 1].second, rows[i].second) >
            secondsBetween(rows[pause - 1].second, rows[pause].second))
            pause = i;
    }
    // Across the pause the reading climbed as the time went on: the frame recorded after it is the
    // newest, not one the meter sent while the program was stopped.
    const int pauseSeconds = secondsBetween(rows[pause - 1].second, rows[pause].second);
    EXPECT_GE(pauseSeconds, 5);
    EXPECT_GT(rows[pause].t1 - rows[pause - 1].t1, pauseSeconds / 2.0);

    // Records and gaps together are the samples due from the first record to the end.
    const QRegularExpressionMatch end =
        QRegularExpression(
            R"((\d\d:\d\d:\d\d)  (\d+) records in .*?(?: \((\d+) samples without a new reading\))?)"
            R"((?:; .*)?\n)")
            .match(said);
    ASSERT_TRUE(end.hasMatch()) << said.toStdString();
    EXPECT_FALSE(said.contains("silent")) << said.toStdString();
    EXPECT_EQ(end.captured(2).toLong(), static_cast<long>(rows.size()));
    const int due = static_cast<int>(rows.size()) + end.captured(3).toInt();
    EXPECT_EQ(due, Count) << said.toStdString();
    EXPECT_TRUE(said.contains("; ended: limit reached")) << said.toStdString();
    const int endSecond = QTime::fromString(end.captured(1), "HH:mm:ss").msecsSinceStartOfDay() / 1000;
    EXPECT_GE(due, secondsBetween(rows.front().second, rows.back().second) + 1) << said.toStdString();
    EXPECT_LE(due, secondsBetween(rows.front().second, endSecond) + 1) << said.toStdString();
}

// The end line counts the records the file holds, counts no sample as missed while the meter kept
// sending, and says why the recording ended, with a status of its own.
TEST_F(CliTest, RecordEndLineSaysWhatHappened) {
    // The change comes late enough for two samples before it, however the seconds fall.
    const QString script = dir.filePath("one-channel.txt");
    ASSERT_TRUE(WriteAll(script, "4 channels 1\n"));
    struct Case {
        const char* name;
        std::vector<std::string> meter;
        QString count;
        rlim_t fileSizeLimit;
        int status;
        const char* reason;
    };
    const Case cases[] = {
        {"ChannelChange", {"--channels", "2", "--script", script.toStdString()}, "20", RLIM_INFINITY, 76,
         "ended early: the meter changed between one and two channels"},
        // Room for the header and two records.
        {"WriteFailure", {"--channels", "1"}, "20", 100, 74, "could not be written (File too large)"},
        {"Limit", {"--channels", "1"}, "2", RLIM_INFINITY, 0, "ended: limit reached"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(StartMeter(c.meter));
        const QString out = dir.filePath(QString(c.name) + ".txt");
        const QStringList args = {"record", "--com", QString::number(Com), "--interval", "1",
                                  "--count", c.count, "--out", out};
        const CliRun run = Cli(args, 60000, {}, c.fileSizeLimit);
        EXPECT_EQ(run.status, c.status) << run.err.toStdString();
        const QRegularExpression endLine(R"(\d\d:\d\d:\d\d  (\d+) records in (\S+)( \([^)]*\))?; (.*)\n$)");
        const QRegularExpressionMatch end = endLine.match(run.err);
        ASSERT_TRUE(end.hasMatch()) << run.err.toStdString();
        EXPECT_EQ(end.captured(1).toLong(), RecordsIn(out)) << ReadAll(out).toStdString();
        EXPECT_GE(RecordsIn(out), 2);
        EXPECT_EQ(end.captured(2), out);
        EXPECT_FALSE(end.captured(3).contains("silent")) << run.err.toStdString();
        EXPECT_TRUE(end.captured(4).contains(c.reason)) << run.err.toStdString();
        meter.reset();
    }
}

// A poor adapter puts stray bytes, many of them 02 and 03, between the frames, just before each
// frame or just after it; T2 at 90.0 C puts a 03 inside every frame. No record holds a value the
// meter did not send, and hardly a sample is lost. Both placements run at once, on two meters.
TEST_F(CliTest, RecordThroughStrayBytesKeepsOnlyTheMetersValues) {
    const char* places[] = {"before", "after"};
    std::vector<std::unique_ptr<SimulatedMeter>> meters;
    QProcess runs[2];
    for (int i = 0; i < 2; ++i) {
        meters.push_back(std::make_unique<SimulatedMeter>(
            Com + i, std::vector<std::string>{"--channels", "2", "--t1", "23.5", "--t2", "90.0", "--wave", "none",
                                              "--strays", "3", "--strays-at", places[i], "--seed", "11"}));
        ASSERT_TRUE(meters.back()->Start());
    }
    for (int i = 0; i < 2; ++i) {
        runs[i].start(CliPath(), {"record", "--com", QString::number(Com + i), "--interval", "1", "--count", "30",
                                  "--out", dir.filePath(QString(places[i]) + ".txt")});
    }
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(places[i]);
        ASSERT_TRUE(runs[i].waitForFinished(90000));
        EXPECT_EQ(runs[i].exitCode(), 0) << runs[i].readAllStandardError().toStdString();
        const QList<QByteArray> lines = ReadAll(dir.filePath(QString(places[i]) + ".txt")).trimmed().split('\n');
        std::vector<std::string> wrong;
        for (const QByteArray& line : lines.mid(1)) {
            const QList<QByteArray> cells = line.trimmed().split('\t');
            if (cells.mid(2) != QList<QByteArray>{"23.5", "90.0", "-66.5", "C"}) wrong.push_back(line.trimmed().toStdString());
        }
        EXPECT_TRUE(wrong.empty()) << wrong.size() << " of " << lines.size() - 1 << " records hold values the meter did not send, the first: " << (wrong.empty() ? "" : wrong.front());
        EXPECT_GE(lines.size() - 1, 24);
        meters[static_cast<std::size_t>(i)]->Stop();
    }
}

// The clock of the day set back an hour amid a recording (the end of daylight saving time) makes no
// sample missing: the end line counts the gaps on the sampling clock, not in seconds of the day.
TEST_F(CliTest, RecordEndLineCountsNoGapForAClockSetBack) {
    ASSERT_TRUE(StartMeter({"--channels", "1"}));
    const QString out = dir.filePath("autumn.txt");
    constexpr int Count = 8;
    const Cli::Parsed parsed = Cli::Parse({"tq36-cli", "record", "--com", std::to_string(Com), "--interval", "1",
                                           "--count", std::to_string(Count), "--out", out.toStdString()});
    ASSERT_TRUE(parsed.options) << parsed.error;
    // Back by an hour once the file holds three records, and there from then on.
    bool back = false;
    const AcquisitionEngine::Clock clock{SystemClock::Steady, [&] {
                                             back = back || RecordsIn(out) >= 3;
                                             return std::fmod(SystemClock::TimeOfDay() + (back ? 86400 - 3600 : 0), 86400);
                                         }};
    testing::internal::CaptureStderr();
    const int status = Cli::Record(*parsed.options, clock);
    const QString said = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(status, 0) << said.toStdString();
    EXPECT_TRUE(said.contains("the clock was set back by 01:00:00")) << said.toStdString();
    const QRegularExpressionMatch end =
        QRegularExpression(R"((\d+) records in \S+(?: \((\d+) samples without a new reading\))?; ended: limit reached\n)")
            .match(said);
    ASSERT_TRUE(end.hasMatch()) << said.toStdString();
    EXPECT_EQ(end.captured(1).toInt() + end.captured(2).toInt(), Count) << said.toStdString();
    EXPECT_EQ(end.captured(1).toLong(), RecordsIn(out));
}

// A recording into CSV stamps each record with the date, time and offset from UTC that the clock
// of the day had at its sample: midnight moves the date on, a clock set back moves it back again,
// the end of summer time changes the offset, a clock set forward shows in the time; marks go to
// their columns. The clock of the day is scripted, one second a record, in Berlin's zone (as a
// rule, so that the test needs no zone database).
TEST_F(CliTest, RecordCsvStampsEachRecordWithItsDateAndOffset) {
    struct Case {
        const char* name;
        std::vector<std::string> meter;
        std::vector<std::string> format;
        std::vector<double> utc;  // the calendar clock at each record's sample, seconds since 1970
        std::string csv;
    };
    constexpr double Dec7 = 1796601600;  // 2026-12-07T00:00:00Z
    constexpr double Oct25 = 1792886400; // 2026-10-25T00:00:00Z, summer time ends at 01:00Z
    const Case cases[] = {
        {"TwoChannelsPastMidnightAndSetBack",
         {"--channels", "2", "--t1", "23.5", "--t2", "-OL"},
         {"--format", "csv"},
         {Dec7 + 22 * 3600 + 3598, Dec7 + 22 * 3600 + 3599, Dec7 + 23 * 3600, Dec7 + 23 * 3600 - 89},
         "record,timestamp,t1,t2,t1_t2,unit,t1_mark,t2_mark,t1_t2_mark\r\n"
         "1,2026-12-07T23:59:58+01:00,23.5,,,C,,-OL,OL\r\n"
         "2,2026-12-07T23:59:59+01:00,23.5,,,C,,-OL,OL\r\n"
         "3,2026-12-08T00:00:00+01:00,23.5,,,C,,-OL,OL\r\n"
         "4,2026-12-07T23:58:31+01:00,23.5,,,C,,-OL,OL\r\n"},
        {"OneChannelThroughTheEndOfSummerTimeAndSetForward",
         {"--channels", "1", "--t1", "-12.5"},
         {"--format", "csv", "--delimiter", ";", "--decimal-comma"},
         {Oct25 + 3598, Oct25 + 3599, Oct25 + 3600, Oct25 + 3601 + 90},
         "record;timestamp;t1;unit;t1_mark\r\n"
         "1;2026-10-25T02:59:58+02:00;-12,5;C;\r\n"
         "2;2026-10-25T02:59:59+02:00;-12,5;C;\r\n"
         "3;2026-10-25T02:00:00+01:00;-12,5;C;\r\n"
         "4;2026-10-25T02:01:31+01:00;-12,5;C;\r\n"},
    };
    const QByteArray zone = qgetenv("TZ");
    const bool zoneSet = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    tzset();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(StartMeter(c.meter));
        const QString out = dir.filePath(QString(c.name) + ".csv");
        std::vector<std::string> args = {"tq36-cli", "record", "--com", std::to_string(Com), "--interval", "1",
                                         "--count", std::to_string(c.utc.size()), "--out", out.toStdString()};
        args.insert(args.end(), c.format.begin(), c.format.end());
        const Cli::Parsed parsed = Cli::Parse(args);
        ASSERT_TRUE(parsed.options) << parsed.error;
        // The sample of record n + 1, on the second after record n was written, reads the calendar
        // of record n + 1; the fraction of a second runs with the steady clock, on which the
        // samples fall due.
        std::size_t written = 0;
        double writtenIn = 0;  // the second of the steady clock in which the last record was written
        const auto calendar = [&] {
            const double steady = SystemClock::Steady();
            const auto records = static_cast<std::size_t>(RecordsIn(out));
            if (records != written) {
                written = records;
                writtenIn = std::floor(steady);
            }
            const std::size_t n = written > 0 && std::floor(steady) == writtenIn ? written - 1 : written;
            return c.utc[std::min(n, c.utc.size() - 1)] + (steady - std::floor(steady));
        };
        const auto timeOfDay = [&] {
            const double now = calendar();
            const auto whole = static_cast<std::time_t>(std::floor(now));
            std::tm local{};
            localtime_r(&whole, &local);
            return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + (now - std::floor(now));
        };
        testing::internal::CaptureStderr();
        const int status = Cli::Record(*parsed.options,
                                       {.steady = SystemClock::Steady, .timeOfDay = timeOfDay, .calendar = calendar});
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, 0) << said;
        EXPECT_EQ(ReadAll(out).toStdString(), c.csv) << said;
        meter.reset();
    }
    if (zoneSet) {
        qputenv("TZ", zone);
    } else {
        qunsetenv("TZ");
    }
    tzset();
}

// Two recordings into one file: the one that makes it first records, the other leaves it alone,
// also when told to replace it while the first one writes it.
TEST_F(CliTest, TwoRecordingsNeverShareAFile) {
    // Both meters keep silent at first, so that neither run finds the file before the other makes it.
    ASSERT_TRUE(StartMeter({"--channels", "1", "--t1", "20.0", "--gap", "0:2"}));
    SimulatedMeter other(Com + 1, {"--channels", "1", "--t1", "30.0", "--gap", "0:2"});
    ASSERT_TRUE(other.Start());
    const QString out = dir.filePath("shared.txt");
    QProcess runs[2];
    for (int i = 0; i < 2; ++i) {
        runs[i].start(CliPath(), {"record", "--com", QString::number(Com + i), "--interval", "1",
                                  "--count", "3", "--out", out});
    }
    std::vector<int> statuses;
    for (QProcess& run : runs) {
        ASSERT_TRUE(run.waitForFinished(60000));
        statuses.push_back(run.exitCode());
        if (run.exitCode() == 73) {
            EXPECT_TRUE(run.readAllStandardError().contains("exists; --force replaces it"));
        }
    }
    std::sort(statuses.begin(), statuses.end());
    EXPECT_EQ(statuses, (std::vector<int>{0, 73}));
    const QList<QByteArray> lines = ReadAll(out).trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4) << ReadAll(out).toStdString();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].split('\t').value(0).toInt(), i);
        EXPECT_EQ(lines[i].split('\t').value(2), lines[1].split('\t').value(2))
            << "one meter's readings only";
    }

    const QString busy = dir.filePath("busy.txt");
    QProcess first;
    first.start(CliPath(), {"record", "--com", QString::number(Com), "--interval", "1", "--count", "6", "--out", busy});
    for (int i = 0; i < 600 && RecordsIn(busy) < 1; ++i) QThread::msleep(50);
    ASSERT_GE(RecordsIn(busy), 1) << ReadAll(busy).toStdString();
    const CliRun forced = Cli({"record", "--com", QString::number(Com + 1), "--interval", "1", "--count", "3",
                               "--out", busy, "--force"});
    EXPECT_EQ(forced.status, 73) << forced.err.toStdString();
    EXPECT_TRUE(forced.err.contains(busy + " is being written by another recording")) << forced.err.toStdString();
    ASSERT_TRUE(first.waitForFinished(60000));
    EXPECT_EQ(first.exitCode(), 0);
    const QByteArray written = ReadAll(busy);
    EXPECT_FALSE(written.contains('\0'));
    const QList<QByteArray> records = written.trimmed().split('\n').mid(1);
    ASSERT_EQ(records.size(), 6) << written.toStdString();
    for (const QByteArray& record : records) EXPECT_EQ(record.split('\t').value(2), "20.0") << written.toStdString();
    EXPECT_TRUE(first.readAllStandardError().contains("6 records in " + busy.toUtf8()));
    other.Stop();
}

// Output nobody can take ends the program instead of running on: a full disk, and a reader that
// went away while the broken-pipe signal is ignored (as services start programs).
TEST_F(CliTest, ReadEndsWhenItsOutputFails) {
    ASSERT_TRUE(StartMeter({"--channels", "1"}));
    for (const QStringList& limit : {QStringList{"--count", "3"}, QStringList{}}) {
        SCOPED_TRACE(limit.join(' ').toStdString());
        const CliRun run =
            Cli(QStringList{"read", "--com", QString::number(Com)} + limit, 30000, "/dev/full");
        EXPECT_EQ(run.status, 74) << run.err.toStdString();
    }
    QProcess process, head;
    process.setStandardOutputProcess(&head);
    process.setChildProcessModifier([] { std::signal(SIGPIPE, SIG_IGN); });
    head.start("head", {"-n", "1"});
    process.start(CliPath(), {"read", "--com", QString::number(Com)});
    ASSERT_TRUE(head.waitForFinished(30000));
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 74);
}

// What the user reads when the port does not open: what happened and what to do about it.
TEST_F(CliTest, OpenFailuresSayWhatToDo) {
    const QString device = dir.filePath("ttyUSB0");
    ASSERT_TRUE(WriteAll(device, {}));
    // A device of a group the user may join; as root the file is given one that is not root's.
    if (geteuid() == 0) {
        ASSERT_EQ(chown(device.toLocal8Bit().constData(), static_cast<uid_t>(-1), 65534), 0);
    }
    struct stat st{};
    ASSERT_EQ(stat(device.toLocal8Bit().constData(), &st), 0);
    const group* g = getgrgid(st.st_gid);
    const std::string groupName = g ? g->gr_name : std::to_string(st.st_gid);
    struct Case {
        const char* name;
        long code;
        mode_t mode;
        int status;
        std::string says, notSays;
    };
    const Case cases[] = {
        {"Missing", ENOENT, 0660, 66, "'tq36-cli ports' lists", "Error ("},
        {"Busy", EBUSY, 0660, 75, "another program", "no such port"},
        {"OnlyRoot", EACCES, 0600, 77, "udev rule", "join the group"},
        {"GroupMayOpen", EACCES, 0660, 77, "join the group '" + groupName + "'", "udev"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(chmod(device.toLocal8Bit().constData(), c.mode), 0);
        const Cli::PortProblem problem = Cli::ExplainOpenFailure(3, device.toStdString(), c.code);
        EXPECT_EQ(problem.status, c.status);
        EXPECT_NE(problem.text.find(c.says), std::string::npos) << problem.text;
        EXPECT_EQ(problem.text.find(c.notSays), std::string::npos) << problem.text;
    }
}

TEST_F(CliTest, CommandLineConventions) {
    const CliRun version = Cli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(QRegularExpression(R"(^tq36-cli \d+\.\d+\n$)").match(version.out).hasMatch())
        << version.out.toStdString();

    const CliRun wrong = Cli({"record", "--com", "3"});
    EXPECT_EQ(wrong.status, 64);
    EXPECT_EQ(wrong.err.toStdString(), "tq36-cli: record needs --out FILE\ntry 'tq36-cli --help'\n");
}

// A recording of days shows its whole length, not the time of day it would be.
TEST(CliTexts, ElapsedTimeGoesOnPastADay) {
    const std::pair<long, const char*> cases[] = {{0, "00:00:00"},      {86399, "23:59:59"},
                                                  {86400, "24:00:00"},  {90061, "25:01:01"},
                                                  {360000, "100:00:00"}};
    for (const auto& [seconds, text] : cases) EXPECT_EQ(Cli::ElapsedText(seconds), text);
}

// The end of daylight saving time as record and publish tell it, and a clock set forward.
TEST(CliTexts, ClockStepSaysWhichWayAndHowFar) {
    EXPECT_EQ(Cli::ClockStepText({-3600, "03:00:01", "02:00:01"}),
              "tq36-cli: the clock was set back by 01:00:00, from 03:00:01 to 02:00:01; sampling goes on, the "
              "samples are stamped with the clock's time");
    EXPECT_EQ(Cli::ClockStepText({90.4, "10:00:00", "10:01:30"}),
              "tq36-cli: the clock was set forward by 00:01:30, from 10:00:00 to 10:01:30; sampling goes on from "
              "the new time, no samples were taken for the time skipped");
}

}  // namespace
