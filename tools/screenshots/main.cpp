// Shows one window of the program in a given state and saves what it looks like as a PNG.
// tools/scripts/screenshots.sh runs it once per picture, with the simulated meter beside it.
//
//   tq36-screenshots --window NAME --out FILE [--com N] [--until-reading | --until-nocom]
//                    [--save-to FILE] [--answer TEXT] [--toolbar [WINDOW:]KEY]... [--open-set N]
//                    [--after-set [WINDOW:]KEY]...
//                    [--grab-during S] [--fast-clock F] [--range MAX:MIN:MINUTES] [--settle S]
//                    [--timeout S]
//
// Every window but "Port" and "SerialDevices" comes up with the main window; toolbar buttons are
// pressed once the reading is there; a Save dialog they open answers with --save-to, an input
// box with --answer. A toolbar key names a button of the main window, or WINDOW:KEY one of another
// window. --open-set clicks a set of the Data Logger window afterwards, and --after-set presses
// buttons once that set is listed. --grab-during takes the
// picture S seconds after the buttons were pressed, while a long command (a download) still runs.
// --fast-clock F lets the program's clocks run F times faster, so a chart fills up quickly; the
// meter beside it must then send F times faster too (its --rate), or its frames come too seldom
// to be believed.
// --range sets the real-time graph's range and span through its range dialog, --plot-range
// T1:T2:R1:R2 a plot's temperatures and records through its own.

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QStringList>
#include <QTextStream>
#include <QTimer>
#include <cmath>
#include <cstdlib>

#include "ScriptedDialogs.h"
#include "acquisition/SystemClock.h"
#include "app/Windows.h"
#include "ui/MeterLink.h"
#include "ui/Clock.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/Toolbar.h"
#include "windows/WindowNames.h"
#include "windows/records/DataListLoading.h"
#include "windows/panel/Panel.h"

namespace {

struct Options {
    QString window;
    QString out;
    int com = 1;
    QString until;  // "", "reading" or "nocom"
    QStringList toolbar;
    QString saveTo;
    QString answer;
    int openSet = 0;
    QStringList afterSet;
    double grabDuring = 0;
    double fastClock = 0;
    QString range;
    QString plotRange;
    double settle = 0.5;
    double timeout = 20;
};

Options Parse(const QStringList& args) {
    Options o;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto next = [&] { return i + 1 < args.size() ? args[++i] : QString(); };
        if (a == "--window") o.window = next();
        else if (a == "--out") o.out = next();
        else if (a == "--com") o.com = next().toInt();
        else if (a == "--until-reading") o.until = "reading";
        else if (a == "--until-nocom") o.until = "nocom";
        else if (a == "--toolbar") o.toolbar << next();
        else if (a == "--save-to") o.saveTo = next();
        else if (a == "--answer") o.answer = next();
        else if (a == "--open-set") o.openSet = next().toInt();
        else if (a == "--after-set") o.afterSet << next();
        else if (a == "--grab-during") o.grabDuring = next().toDouble();
        else if (a == "--fast-clock") o.fastClock = next().toDouble();
        else if (a == "--range") o.range = next();
        else if (a == "--plot-range") o.plotRange = next();
        else if (a == "--settle") o.settle = next().toDouble();
        else if (a == "--timeout") o.timeout = next().toDouble();
    }
    return o;
}

bool Reached(const Options& o) {
    auto* panel = Forms::FindAs<Panel>(WindowNames::Panel);
    if (!panel || o.until.isEmpty()) return true;
    if (o.until == "nocom") return panel->findChild<QLabel*>("LblCOM")->text() == "No COM";
    return !panel->findChild<QLabel*>("LblT1")->text().isEmpty();
}

// The link's clocks running `factor` times faster than the real ones, from now on. Its waits are
// never judged late: the fast clocks leap between two looks.
AcquisitionEngine::Clock FastLinkClock(double factor) {
    const double start = SystemClock::Steady(), startOfDay = SystemClock::TimeOfDay();
    const auto fast = [=] { return start + (SystemClock::Steady() - start) * factor; };
    const auto timeOfDay = [=] { return std::fmod(startOfDay + (SystemClock::Steady() - start) * factor, 86400.0); };
    return {fast, timeOfDay, fast, [] { return 0.0; }};
}

// The time of day running `factor` times faster than the real one, from now on.
class FastClock : public Clock {
public:
    explicit FastClock(double factor) : factor_(factor), start_(QTime::currentTime()) { elapsed_.start(); }
    QTime TimeOfDay() const override {
        return start_.addMSecs(static_cast<int>(elapsed_.elapsed() * factor_) % (86400 * 1000));
    }

private:
    double factor_;
    QTime start_;
    QElapsedTimer elapsed_;
};

// Opens a chart's range dialog with its Limit button, fills its fields with the colon-separated
// values in order and presses OK.
void SetRange(const char* chart, const char* dialogName, std::initializer_list<const char*> fields,
              const QString& values) {
    QWidget* window = Forms::Find(chart);
    if (!window) return;
    window->findChild<Toolbar*>("Toolbar1")->Trigger("Limit");
    QWidget* dialog = Forms::Find(dialogName);
    if (!dialog) return;
    int i = 0;
    for (const char* field : fields) {
        dialog->findChild<QLineEdit*>(field)->setText(values.section(':', i, i));
        ++i;
    }
    dialog->findChild<QPushButton*>("CmdOK")->click();
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    const Options o = Parse(QApplication::arguments());
    if (o.window.isEmpty() || o.out.isEmpty()) {
        QTextStream(stderr) << "usage: tq36-screenshots --window NAME --out FILE [--com N] "
                               "[--until-reading|--until-nocom] [--toolbar KEY]... [--timeout S]\n";
        return 2;
    }
    MeterLink link(o.fastClock > 0 ? FastLinkClock(o.fastClock) : AcquisitionEngine::Clock{});
    static SharedState shared;
    RegisterWindows(link, shared);
    ScriptedDialogs dialogs;
    if (!o.saveTo.isEmpty()) dialogs.QueueFile(o.saveTo);
    if (!o.answer.isEmpty()) dialogs.QueueInput(o.answer);
    if (!o.saveTo.isEmpty() || !o.answer.isEmpty()) Dialogs::Install(&dialogs);
    const bool withPanel = o.window != "Port" && o.window != "SerialDevices";
    if (withPanel) {
        link.Start(o.com);
        Forms::Show(WindowNames::Panel);
    } else {
        Forms::Show(o.window);
    }
    QElapsedTimer waited;
    waited.start();
    while (!Reached(o) && waited.elapsed() < o.timeout * 1000) EventPump::Delay(0.1);
    bool grabbed = false;
    if (o.grabDuring > 0) {
        // The command is still running: the picture is all that is wanted, so the tool ends here.
        QTimer::singleShot(static_cast<int>(o.grabDuring * 1000), [&] {
            QWidget* window = Forms::Find(o.window);
            grabbed = window && window->grab().save(o.out);
            std::_Exit(grabbed ? 0 : 1);
        });
    }
    FastClock fast(o.fastClock);
    if (o.fastClock > 0) Clock::Install(&fast);
    auto pressAll = [](const QStringList& presses) {
        for (const QString& press : presses) {
            const QString window = press.contains(':') ? press.section(':', 0, 0) : QStringLiteral("Panel");
            if (QWidget* shown = Forms::Find(window)) {
                shown->findChild<Toolbar*>("Toolbar1")->Trigger(press.section(':', -1));
            }
        }
    };
    pressAll(o.toolbar);
    // A logger download runs in the meter's engine: its sets are there once it has ended, and a
    // picture taken during it is taken while the download goes on (the grab ends the tool).
    if (o.grabDuring > 0) EventPump::Delay(o.grabDuring + 1);
    QElapsedTimer download;
    download.start();
    while (link.Downloading() && download.elapsed() < o.timeout * 1000) EventPump::Delay(0.1);
    if (o.openSet > 0) OpenDataSet(shared.logger, o.openSet);
    pressAll(o.afterSet);
    if (!o.range.isEmpty()) SetRange("RealTime23", "RealTimeRange", {"TxtMax", "TxtMin", "TxtCounts"}, o.range);
    if (!o.plotRange.isEmpty()) SetRange("ListPlot1", "PlotRange", {"TxtT1", "TxtT2", "TxtR1", "TxtR2"}, o.plotRange);
    EventPump::Delay(o.settle);  // samples come in, layouts and the last repaint settle
    QWidget* window = Forms::Find(o.window);
    if (!window && !grabbed) {
        QTextStream(stderr) << o.window << " is not open\n";
        return 1;
    }
    const bool saved = grabbed || window->grab().save(o.out);
    link.Stop();
    return saved && Reached(o) ? 0 : 1;
}
