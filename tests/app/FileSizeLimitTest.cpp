#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>

#include "WaitUntil.h"

namespace {

constexpr rlim_t Limit = 64;  // bytes any file of the program may grow to

// The programs beside the simulator in the build tree.
QString BuildFile(const char* relative) {
    return QFileInfo(qEnvironmentVariable("TQ36_METERSIM")).dir().filePath(relative);
}

// Starts `program` under the file size limit, with the signal as a fresh login leaves it.
void StartLimited(QProcess& process, const QString& program, const QStringList& args) {
    process.setChildProcessModifier([] {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit limit{Limit, Limit};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    process.start(program, args);
}

// Output sent to a file under a size limit: the program writes what the file takes and ends with
// the status of a failed write, instead of being killed on the first write past the limit.
TEST(FileSizeLimit, TheCommandLineProgramOutlivesItsOutput) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QProcess cli;
    cli.setStandardOutputFile(folder.filePath("usage.txt"));
    StartLimited(cli, BuildFile("../cli/tq36-cli"), {"--help"});
    ASSERT_TRUE(cli.waitForFinished(60000));
    EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(cli.exitCode(), 74);
    EXPECT_EQ(QFileInfo(folder.filePath("usage.txt")).size(), static_cast<qint64>(Limit));
}

// The desktop program sees to it before anything else runs, a file dialog's settings included.
TEST(FileSizeLimit, TheDesktopProgramIgnoresTheSignalFromItsStart) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", folder.path());
    environment.insert("TQ36_PORTS_DIR", folder.path());
    program.setProcessEnvironment(environment);
    StartLimited(program, BuildFile("../../tq36"), {});
    ASSERT_TRUE(program.waitForStarted(60000));
    // SigIgn in the process status is a mask in hexadecimal, bit n-1 for signal n.
    const auto ignoresIt = [&program] {
        QFile status(QStringLiteral("/proc/%1/status").arg(program.processId()));
        if (!status.open(QIODevice::ReadOnly)) return false;
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("SigIgn:"))
                return ((line.mid(7).trimmed().toULongLong(nullptr, 16) >> (SIGXFSZ - 1)) & 1) != 0;
        }
        return false;
    };
    EXPECT_TRUE(WaitUntil(ignoresIt, std::chrono::seconds(60)));
    program.kill();
    program.waitForFinished(60000);
}

}  // namespace
