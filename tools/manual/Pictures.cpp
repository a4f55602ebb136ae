#include "Pictures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "BenchMeter.h"
#include "FakeClock.h"
#include "ScriptedDialogs.h"
#include "app/Windows.h"
#include "ui/EventPump.h"
#include "ui/MeterLink.h"
#include "ui/Forms.h"
#include "ui/Grid.h"
#include "ui/Toolbar.h"
#include "windows/WindowNames.h"
#include "windows/graphs/PlotWindow.h"
#include "windows/graphs/RealTimeGraph.h"
#include "windows/records/DataListLoading.h"
#include "windows/panel/Panel.h"
#include "windows/records/ListWindow.h"
#include "windows/serial/PortWindow.h"

namespace {

constexpr int Com = 1;
// A two-channel meter in Celsius whose readings swing gently, and three data sets in its logger:
// two channels every 10 s, one channel in Fahrenheit every 2 s, two channels in kelvin with marks.
const std::vector<std::string> MeterArgs = {"--com",  "1",    "--channels", "2",
                                            "--t1",   "29.5", "--t2",       "21.0",
                                            "--wave", "sine", "--sets",     "10:120:2C,2:40:1F,60:300:2Km"};
// Samples for the real-time list and graph: a little short of the graph's five minutes, so that
// the pen stands before the right edge.
constexpr int SampledSeconds = 270;
// The clock stands still while the program waits for the meter, so a meter that never answered
// would keep it waiting for ever: the build ends with an error instead.
constexpr int MostMs = 60000;

// The window with a plain title bar over it, as a desktop shows it: grabbing a window offscreen
// gives its client area only, and the caption is how the text names the window. The picture
// keeps the resolution it was grabbed at, in pixels and in its dots per metre.
QImage Framed(QWidget* window) {
    const QImage client = window->grab().toImage();
    const qreal ratio = client.devicePixelRatio();
    const QSize size = client.deviceIndependentSize().toSize();
    QFont font("Liberation Sans", 9);
    font.setBold(true);
    const int bar = QFontMetrics(font).height() + 10;
    QImage framed(((size + QSize(2, bar + 1)) * ratio), QImage::Format_RGB32);
    framed.setDevicePixelRatio(ratio);
    framed.fill(QColor(72, 84, 104));
    {
        QPainter painter(&framed);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(8, 0, size.width() - 14, bar), Qt::AlignVCenter | Qt::AlignLeft,
                         window->windowTitle());
        painter.drawImage(QPoint(1, bar), client);
    }
    // Set once painted: a painter would size the caption's font by it.
    framed.setDotsPerMeterX(qRound(ratio * 96 / 0.0254));
    framed.setDotsPerMeterY(framed.dotsPerMeterX());
    return framed;
}

void Grab(QHash<QString, QImage>& pictures, const QString& picture, const QString& window) {
    EventPump::ProcessEvents();  // queued scrolls and repaints
    if (QWidget* shown = Forms::Find(window)) pictures.insert(picture, Framed(shown));
}

void Press(const QString& window, const QString& key) {
    if (QWidget* shown = Forms::Find(window)) shown->findChild<Toolbar*>("Toolbar1")->Trigger(key);
}

// A window's own timer is stopped: the tool calls its tick when the clock has moved.
void StopTimer(const QString& window) {
    if (QWidget* shown = Forms::Find(window))
        if (auto* timer = shown->findChild<QTimer*>("Timer1")) timer->stop();
}

// A chart's range through its Limit dialog, as the user sets it: the dialog's fields in order,
// then OK, which opens the chart anew.
void SetRange(const QString& chart, const QString& dialogName, const QStringList& fields,
              const QStringList& values) {
    Press(chart, "Limit");
    QWidget* dialog = Forms::Find(dialogName);
    if (!dialog) return;
    for (int i = 0; i < fields.size() && i < values.size(); ++i)
        dialog->findChild<QLineEdit*>(fields[i])->setText(values[i]);
    dialog->findChild<QPushButton*>("CmdOK")->click();
    StopTimer(chart);
}

// Lets events run until `done` or a few seconds have passed.
template <typename Done>
void RunUntil(Done done, qint64 mostMs = 5000) {
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < mostMs) EventPump::Delay(0.005);
    EventPump::ProcessEvents();
}

// What the link has told: readings shown, and the beats of its sampling clock.
struct LinkNews {
    long readings = 0;
    long beats = 0;
};

// The meter's next frame, a second on: the link shows the one before it, and takes the sample that
// falls due with it. The windows' clock moves with the meter's. The meter moves on only once the
// link showed the frame before (that is, once it read this one) and its sampling clock looked at
// the new second, as its beat tells: the reading is told before the sample is taken, and a clock
// moved on in between would make that sample one second late and skip the one before.
void Second(BenchMeter& meter, FakeClock& clock, const LinkNews& news, qint64 mostMs = 5000) {
    const LinkNews before = news;
    clock.Advance(1);
    meter.Advance(1);
    RunUntil([&] { return news.readings > before.readings && news.beats > before.beats; }, mostMs);
}

// What the pictures of the main window and the real-time list show, for the manuals' test to hold
// against the captions: the record count, and the time of each list row.
QStringList Shown(const QString& panelName, const QString& listName) {
    QStringList shown;
    if (auto* panel = Forms::Find(panelName))
        if (auto* count = panel->findChild<QLabel*>("LblCount")) shown << "records " + count->text();
    if (auto* list = Forms::FindAs<ListWindow>(listName)) {
        const Grid& grid = list->ListGrid();
        for (int row = 1; row < grid.Rows(); ++row) shown << "row " + grid.TextMatrix(row, 1);
    }
    return shown;
}

}  // namespace

namespace ManualPictures {

QStringList Names() { return {"port", "panel", "list", "graph", "logger", "datalist", "plot"}; }

QHash<QString, QImage> Take(QStringList* shown) {
    QHash<QString, QImage> pictures;
    QTimer::singleShot(MostMs, [] {
        std::fprintf(stderr, "tq36-manual: the windows did not come up in time\n");
        std::_Exit(1);
    });
    QTemporaryDir folder;
    // The folder of the Save dialogs, which the program creates, and the alias folder of the
    // simulated meter's port are the tool's own.
    qputenv("USERPROFILE", folder.path().toLocal8Bit());
    qputenv("TQ36_PORTS_DIR", folder.filePath("ports").toLocal8Bit());
    std::unique_ptr<BenchMeter> meter;
    try {
        QDir().mkpath(folder.filePath("ports"));
        meter = std::make_unique<BenchMeter>(Com, MeterArgs);
    } catch (const std::exception& fault) {
        qWarning("tq36-manual: no simulated meter: %s", fault.what());
        return pictures;
    }
    QTimer line;
    QObject::connect(&line, &QTimer::timeout, [&meter] { meter->Serve(); });
    line.start(5);
    FakeClock clock(14, 30, 0);
    Clock::Install(&clock);
    ScriptedDialogs dialogs;
    Dialogs::Install(&dialogs);
    // The engine's steady clock, its line and its time of day are the meter's: samples fall due,
    // waits end and silences last as the tool moves the meter, however fast it runs, and the time
    // of day, read from the same count, never steps apart from the steady clock. No wait is ever
    // late: the meter's bytes come only when the tool moves it and are read before it moves again,
    // so they never wait unread, however slowly a busy build machine runs the tool (the meter's
    // leaps between two reads are no stall either); a clock that stands judges so.
    BenchMeter* bench = meter.get();
    const double startOfDay = 14 * 3600.0 + 30 * 60;
    MeterLink link({[bench] { return bench->Now(); }, [bench, startOfDay] { return startOfDay + bench->Now(); },
                    [bench] { return bench->Now(); }, [] { return 0.0; }});
    LinkNews news;
    QObject::connect(&link, &MeterLink::ReadingShown, [&news] { ++news.readings; });
    QObject::connect(&link, &MeterLink::BeatTaken, [&news] { ++news.beats; });
    static SharedState shared;
    RegisterWindows(link, shared);

    // The user chooses COM 1 and presses OK.
    auto* port = Forms::GetAs<PortWindow>(WindowNames::Port);
    port->show();
    Grab(pictures, "port", WindowNames::Port);
    port->CmdOK_Click();
    auto* panel = Forms::FindAs<Panel>(WindowNames::Panel);
    if (panel) {
        // A frame shows once the next one has come, and the first only sets what the second is
        // held to. Until then nothing tells that the link read a frame before the meter moves on,
        // and on a busy machine two may come in one read, which shows nothing: the meter goes on
        // until a reading shows.
        for (int frames = 0; frames < 20 && news.readings == 0; ++frames) Second(*meter, clock, news, 1000);

        // A recording, the real-time list and the graph, over the same samples.
        dialogs.QueueFile(folder.filePath("bath"));  // the program adds ".txt"
        Press(WindowNames::Panel, "Save");
        RunUntil([&link] { return link.Recording(); });
        Press(WindowNames::Panel, "List");
        Press(WindowNames::Panel, "Graph");
        SetRange(WindowNames::RealTimeGraph, WindowNames::RealTimeRange, {"TxtMax", "TxtMin", "TxtCounts"},
                 {"40", "0", "5"});
        for (int s = 0; s < SampledSeconds; ++s) Second(*meter, clock, news);
        Grab(pictures, "panel", WindowNames::Panel);
        Grab(pictures, "list", WindowNames::List(true));
        if (shown) *shown = Shown(WindowNames::Panel, WindowNames::List(true));
        Grab(pictures, "graph", WindowNames::RealTimeGraph);
        Press(WindowNames::Panel, "Save");  // stops the recording
        RunUntil([&link] { return !link.Recording(); });

        // The logger read out, its first set listed from 09:30:00 and plotted.
        // The transfer's waits end on the meter's clock: it runs while the logger is read.
        Press(WindowNames::Panel, "Memory");
        RunUntil([&] {
            meter->Advance(0.01);
            return !link.Downloading();
        });
        Grab(pictures, "logger", WindowNames::Memory);
        dialogs.QueueInput("9:30:00");
        OpenDataSet(shared.logger, 1);
        Grab(pictures, "datalist", WindowNames::DataList(true));
        Press(WindowNames::DataList(true), "Plot");
        StopTimer(WindowNames::Plot);
        SetRange(WindowNames::Plot, WindowNames::PlotRange, {"TxtT1", "TxtT2", "TxtR1", "TxtR2"},
                 {"0", "40", "1", "120"});
        // The records are drawn two seconds after the frame: at once here.
        if (auto* plot = Forms::FindAs<PlotWindow>(WindowNames::Plot)) plot->Timer1_Timer();
        Grab(pictures, "plot", WindowNames::Plot);
    }
    Forms::UnloadAll();
    EventPump::ProcessEvents();
    link.Stop();
    Dialogs::Install(nullptr);
    Clock::Install(nullptr);
    return pictures;
}

}  // namespace ManualPictures
