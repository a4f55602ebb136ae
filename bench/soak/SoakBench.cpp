// The long run: the desktop program and tq36-cli, side by side, each recording its own simulated
// meter that streams 2 frames a second, at 1-s sampling, for SOAK_MINUTES minutes (default 30;
// fractions such as 0.5 work). The desktop program runs in this process with the real-time list,
// Max / Min / AVG and the real-time graph open, driven through its toolbar as a user would; tq36-cli
// runs as a child process. For each it reports the records written against those due, its CPU per
// hour and its resident memory one minute into the recording and at the end.
//
//   SOAK_MINUTES=2 bench_soak        (make soak runs it; exits 1 when a record file is not exact)
//
// Both recordings start and stop half way through a clock second, so that the sampling tick of the
// second they stop in has surely come and only the second they start in is open: the desktop
// program samples it only when its tick had not come yet when recording began, tq36-cli always
// (it samples at once when it makes its file).

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QTime>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "ChildProcess.h"
#include "ScriptedDialogs.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "Widgets.h"
#include "app/Windows.h"
#include "records/RecordFileReader.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/MeterLink.h"
#include "ui/Toolbar.h"
#include "windows/WindowNames.h"
#include "windows/panel/Panel.h"
#include "windows/records/ListWindow.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int DesktopCom = 7;
constexpr int CliCom = 8;
// The meter at its own pace: the program takes a frame only with the pause after it.
const std::vector<std::string> MeterArgs{"--channels", "2", "--rate", "2", "--wave", "sine"};

double SecondsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double>(SteadyClock::now() - start).count();
}

// CPU time (user + system) and resident memory of a process, as the system accounts them.
struct Usage {
    double cpuSeconds = -1;
    double rssMb = -1;
};

Usage UsageOf(pid_t pid) {
    const long rssKb = Bench::StatusKb(pid, "VmRSS");
    return {Bench::CpuSecondsOf(pid), rssKb < 0 ? -1 : rssKb / 1024.0};
}

int SecondOfDay(QTime time) { return time.msecsSinceStartOfDay() / 1000; }

std::string TimeText(int second) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", second / 3600, second / 60 % 60, second % 60);
    return text;
}

// Seconds from `from` to `to` on the clock of the day, across midnight.
int SecondsBetween(int from, int to) { return ((to - from) % 86400 + 86400) % 86400; }

// Lets the program run until the clock of the day stands half way through a second.
void WaitForHalfSecond() {
    const int msec = QTime::currentTime().msec();
    EventPump::Delay(((1500 - msec) % 1000) / 1000.0);
}

// One program's recording: what the bench saw of it, and the system's figures.
struct Run {
    std::string name;
    std::string file;
    int startSecond = -1;       // the clock second the recording began in
    int latestStartSecond = -1; // tq36-cli: the second its file was seen (it may have begun earlier)
    int stopSecond = -1;
    SteadyClock::time_point started;
    double wallSeconds = 0;
    Usage atStart, atMinute, atEnd;
    double rssMax = 0;
};

// The record file against the clock: numbered 1..N without gap or repeat, one record each clock
// second, from the second recording began (or the one after) to the second it stopped.
bool CheckRecords(const Run& run) {
    RecordFileReader reader;
    if (!reader.Open(run.file)) {
        std::printf("%s: records: %s cannot be read (%s)\n", run.name.c_str(), run.file.c_str(), reader.ErrorText().c_str());
        return false;
    }
    std::vector<std::string> faults;
    auto fault = [&](const std::string& text) {
        if (faults.size() < 10) faults.push_back(text);
    };
    long count = 0;
    int first = -1, previous = -1;
    bool header = false;
    while (std::optional<std::string> line = reader.NextLine()) {
        if (!header) {
            header = true;
            if (!RecordFileReader::IsHeader(*line)) fault("the first line is not the header: " + *line);
            continue;
        }
        ++count;
        int number = 0, h = 0, m = 0, s = 0;
        char tab1 = 0, tab2 = 0;
        if (std::sscanf(line->c_str(), "%d%c%2d:%2d:%2d%c", &number, &tab1, &h, &m, &s, &tab2) != 6 || tab1 != '\t' ||
            tab2 != '\t') {
            fault("line " + std::to_string(count + 1) + " is no record: " + *line);
            continue;
        }
        if (number != count) fault("record " + std::to_string(count) + " is numbered " + std::to_string(number));
        const int second = h * 3600 + m * 60 + s;
        if (first < 0) first = second;
        if (previous >= 0 && SecondsBetween(previous, second) != 1) {
            fault("record " + std::to_string(number) + " at " + TimeText(second) + " follows " + TimeText(previous) +
                  (SecondsBetween(previous, second) == 0 ? " (a second sampled twice)" : " (seconds missing)"));
        }
        previous = second;
    }
    if (reader.Failed()) fault("reading stopped: " + reader.ErrorText());
    if (count == 0) fault("no record");

    const int latestStart = run.latestStartSecond >= 0 ? run.latestStartSecond : run.startSecond;
    const int wholeSeconds = SecondsBetween(run.startSecond, run.stopSecond);
    if (count > 0) {
        const int late = SecondsBetween(run.startSecond, first);
        if (late > SecondsBetween(run.startSecond, latestStart) + 1 || late > wholeSeconds) {
            fault("the first record is at " + TimeText(first) + ", the recording began at " + TimeText(run.startSecond));
        }
        if (previous != run.stopSecond) {
            fault("the last record is at " + TimeText(previous) + ", the recording stopped at " + TimeText(run.stopSecond) +
                  ".5");
        }
    }
    const bool startSampled = count > 0 && first == run.startSecond;
    // One record for each clock second from the first record's to the stop's.
    const int expected = count > 0 ? SecondsBetween(first, run.stopSecond) + 1 : wholeSeconds;
    if (count != expected) fault(std::to_string(count) + " records for " + std::to_string(expected) + " seconds");
    std::string why = " for the " + std::to_string(wholeSeconds) + " whole seconds from " + TimeText(run.startSecond) +
                      ".5 to " + TimeText(run.stopSecond) + ".5";
    if (startSampled) {
        why += ", + 1 for the part second it began in, which it sampled";
    } else if (count > 0 && SecondsBetween(run.startSecond, first) > 1) {
        why += ", less " + std::to_string(SecondsBetween(run.startSecond, first) - 1) + " s before its first sample";
    }
    std::printf("%s: records: %ld written, first at %s, last at %s; expected %d%s -> %s\n", run.name.c_str(), count,
                count ? TimeText(first).c_str() : "-", count ? TimeText(previous).c_str() : "-", expected, why.c_str(),
                faults.empty() ? "exact (numbered 1..N without gap or repeat, one each second)" : "NOT EXACT");
    for (const std::string& f : faults) std::printf("%s:   %s\n", run.name.c_str(), f.c_str());
    return faults.empty();
}

void ReportUsage(const Run& run) {
    const double cpu = run.atEnd.cpuSeconds - run.atStart.cpuSeconds;
    std::printf("%s: CPU %.2f s in %.1f min = %.1f s per hour = %.3f %% of one core\n", run.name.c_str(), cpu,
                run.wallSeconds / 60, cpu / (run.wallSeconds / 3600), 100 * cpu / run.wallSeconds);
    if (run.atMinute.rssMb < 0) {
        std::printf("%s: resident memory %.2f MB at the start, %.2f MB at the end (the run was shorter than a minute)\n",
                    run.name.c_str(), run.atStart.rssMb, run.atEnd.rssMb);
        return;
    }
    std::printf("%s: resident memory %.2f MB at 1 min, %.2f MB at the end: %+.2f MB (highest %.2f MB)\n",
                run.name.c_str(), run.atMinute.rssMb, run.atEnd.rssMb, run.atEnd.rssMb - run.atMinute.rssMb,
                run.rssMax);
}

// tq36-cli recording until it is stopped; its messages go to `log`. Ended with the bench.
pid_t StartCli(const std::string& cli, const std::string& out, const std::string& log) {
    return ChildProcess::Spawn({cli, "record", "--com", std::to_string(CliCom), "--interval", "1", "--out", out},
                               "/dev/null", log);
}

std::string FileText(const std::string& path) {
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const char* sim = Bench::Simulator();
    if (!sim) return 2;
    const char* minutesText = std::getenv("SOAK_MINUTES");
    const double minutes = minutesText && *minutesText ? std::atof(minutesText) : 30;
    if (!(minutes > 0)) {
        std::printf("SOAK_MINUTES must be a number of minutes above 0\n");
        return 2;
    }
    const std::string cli = Bench::CliBeside(sim);

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    MeterLink link;
    static SharedState shared;
    RegisterWindows(link, shared);
    ScriptedDialogs dialogs;
    Dialogs::Install(&dialogs);
    TempPortsDir ports;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("tq36-soak-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    // The save dialog opens in the records folder, made under Documents: here, not in the user's.
    setenv("XDG_DOCUMENTS_DIR", dir.c_str(), 1);

    SimulatedMeter desktopMeter(DesktopCom, MeterArgs), cliMeter(CliCom, MeterArgs);
    if (!desktopMeter.Start() || !cliMeter.Start()) {
        std::printf("the simulator did not start\n");
        return 2;
    }
    std::printf("soak: %.2f min; each program records its own simulated meter (two channels, 2 frames/s) every "
                "1 s\n",
                minutes);

    // The desktop program: the main window on the meter, 1-s sampling through the interval prompt,
    // then the real-time list, Max / Min / AVG and the real-time graph, as from the toolbar.
    link.Start(DesktopCom);
    Panel* panel = Forms::GetAs<Panel>(WindowNames::Panel);
    if (!panel) {
        std::printf("desktop: the main window did not open on COM %d\n", DesktopCom);
        return 2;
    }
    panel->show();
    if (!PumpUntil([&] { return !Child<QLabel>(panel, "LblT1")->text().isEmpty(); }, 10)) {
        std::printf("desktop: no reading within 10 s\n");
        return 2;
    }
    Toolbar* bar = Child<Toolbar>(panel, "Toolbar1");
    dialogs.QueueInput("1");
    bar->Trigger("PC");
    bar->Trigger("List");
    bar->Trigger("AVG");
    bar->Trigger("Graph");
    EventPump::Delay(0.5);
    for (const char* window : {WindowNames::List(true), WindowNames::Avg(true), WindowNames::RealTimeGraph}) {
        if (!Forms::IsShown(window)) {
            std::printf("desktop: the window %s did not open\n", window);
            return 2;
        }
    }
    if (link.SamplingSeconds() != 1) {
        std::printf("desktop: the sampling interval is %d s, not 1 s\n", link.SamplingSeconds());
        return 2;
    }

    Run desktop, cliRun;
    desktop.name = "desktop";
    cliRun.name = "tq36-cli";
    desktop.file = (dir / "desktop.txt").string();
    cliRun.file = (dir / "cli.txt").string();
    const std::string cliLog = (dir / "cli-messages.txt").string();

    WaitForHalfSecond();
    dialogs.QueueFile(QString::fromStdString(desktop.file));
    desktop.atStart = UsageOf(getpid());
    desktop.startSecond = SecondOfDay(QTime::currentTime());
    desktop.started = SteadyClock::now();
    bar->Trigger("Save");
    // The engine starts the recording and says so through the link.
    if (!PumpUntil([&] { return link.Recording() || !dialogs.Messages().empty(); }, 5) || !link.Recording()) {
        std::printf("desktop: the recording did not start; messages: %s\n",
                    dialogs.Messages().empty() ? "none" : dialogs.Messages().front().toStdString().c_str());
        return 2;
    }

    cliRun.startSecond = SecondOfDay(QTime::currentTime());
    const pid_t cliPid = StartCli(cli, cliRun.file, cliLog);
    if (!PumpUntil([&] { return std::filesystem::exists(cliRun.file); }, 10)) {
        std::printf("tq36-cli: no record file within 10 s; its messages:\n%s", FileText(cliLog).c_str());
        kill(cliPid, SIGTERM);
        return 2;
    }
    cliRun.latestStartSecond = SecondOfDay(QTime::currentTime());
    cliRun.started = SteadyClock::now();
    cliRun.atStart = UsageOf(cliPid);

    // Both run; a look once a second, the figures kept at one minute.
    const double seconds = minutes * 60;
    while (SecondsSince(desktop.started) < seconds) {
        EventPump::Delay(std::min(1.0, seconds - SecondsSince(desktop.started)));
        for (Run* run : {&desktop, &cliRun}) {
            const Usage now = UsageOf(run == &desktop ? getpid() : cliPid);
            run->rssMax = std::max(run->rssMax, now.rssMb);
            if (run->atMinute.rssMb < 0 && SecondsSince(run->started) >= 60) run->atMinute = now;
        }
        if (waitpid(cliPid, nullptr, WNOHANG) == cliPid) {
            std::printf("tq36-cli: ended on its own; its messages:\n%s", FileText(cliLog).c_str());
            return 1;
        }
    }

    WaitForHalfSecond();
    desktop.atEnd = UsageOf(getpid());
    desktop.stopSecond = SecondOfDay(QTime::currentTime());
    desktop.wallSeconds = SecondsSince(desktop.started);
    cliRun.atEnd = UsageOf(cliPid);
    cliRun.stopSecond = desktop.stopSecond;
    cliRun.wallSeconds = SecondsSince(cliRun.started);
    const bool desktopStillRecording = link.Recording();
    bar->Trigger("Save");
    kill(cliPid, SIGTERM);
    int status = 0;
    waitpid(cliPid, &status, 0);
    if (!desktopStillRecording) std::printf("desktop: the recording had stopped before the end\n");
    const int cliExit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (cliExit != 0) std::printf("tq36-cli: exit status %d; its messages:\n%s", cliExit, FileText(cliLog).c_str());

    const long listRows = [] {
        const auto* list = Forms::FindAs<ListWindow>(WindowNames::List(true));
        return list ? list->Records().Rows() : -1L;
    }();
    Forms::UnloadAll();
    EventPump::Delay(0.1);
    link.Stop();

    bool exact = desktopStillRecording && cliExit == 0;
    exact = CheckRecords(desktop) && exact;
    exact = CheckRecords(cliRun) && exact;
    std::printf("desktop: real-time list %ld rows at the end (it was opened before the recording)\n", listRows);
    ReportUsage(desktop);
    ReportUsage(cliRun);
    if (exact) {
        std::filesystem::remove_all(dir);
    } else {
        std::printf("the record files stay in %s\n", dir.c_str());
    }
    return exact ? 0 : 1;
}
