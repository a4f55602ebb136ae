#include "windows/stats/AvgWindow.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <span>

#include "stats/StatisticsState.h"
#include "ui/Clock.h"
#include "ui/Fonts.h"
#include "ui/Forms.h"
#include "ui/Icons.h"
#include "ui/Toolbar.h"
#include "ui/Twips.h"
#include "ui/WindowPrint.h"
#include "windows/WindowNames.h"

namespace {

using Statistics::Channel;

struct TwipsRect {
    int left, top, width, height;
};

QRect Px(const TwipsRect& r) { return Twips::Rect(r.left, r.top, r.width, r.height); }

struct ChannelLayout {
    Channel channel;
    const char* frame;  // the one-channel window has no frames
    const char* caption;
    const char* max;
    const char* maxTime;
    const char* min;
    const char* minTime;
    const char* avg;
    int frameTop;
};

constexpr ChannelLayout TwoChannels[] = {
    {Channel::T1, "FrameT1", "T1", "LblT1Max", "LblT1MaxTime", "LblT1Min", "LblT1MinTime", "LblT1Avg", 480},
    {Channel::T2, "FrameT2", "T2", "LblT2Max", "LblT2MaxTime", "LblT2Min", "LblT2MinTime", "LblT2Avg", 1800},
    {Channel::T1T2, "FrameT1T2", "T1-T2", "LblT1T2Max", "LblT1T2MaxTime", "LblT1T2Min", "LblT1T2MinTime",
     "LblT1T2Avg", 3120}};
constexpr ChannelLayout OneChannel[] = {
    {Channel::T1, "", "", "LblMax", "LblMaxTime", "LblMin", "LblMinTime", "LblAVG", 0}};
constexpr int FrameLeft = 120, FrameWidth = 3375, FrameHeight = 1335;

// The Maximum, Minimum and Average rows: a caption, the value and (but for the average) its time.
struct RowGrid {
    int captionLeft, captionWidth, valueLeft, valueWidth, timeLeft, timeWidth;
    int tops[3];
    int height;
};
constexpr const char* RowCaptions[3] = {"Maximum", "Minimum", "Average"};
// Inside each frame of the two-channel window, below the frame's caption.
constexpr RowGrid FrameRows = {120, 1020, 1200, 960, 2220, 1035, {285, 615, 945}, 285};
// Straight on the one-channel window.
constexpr RowGrid WindowRows = {120, 1080, 1260, 840, 2160, 840, {120, 480, 840}, 300};

struct InfoPanel {
    const char* caption;
    const char* name;
    TwipsRect captionAt;
    TwipsRect valueAt;
    bool bold;  // times are shown plain, so the values stand out
};

constexpr InfoPanel TwoChannelInfo[] = {
    {"Unit", "LblUnit", {3600, 480, 1290, 270}, {3600, 780, 1290, 285}, true},
    {"Type", "LblType", {3600, 1140, 1290, 270}, {3600, 1440, 1290, 285}, true},
    {"Start Time", "LblStartTime", {3600, 1800, 1290, 270}, {3600, 2100, 1290, 285}, false},
    {"Stop Time", "LblStopTime", {3600, 2460, 1290, 270}, {3600, 2760, 1290, 285}, false},
    {"Current Time", "LblCurrentTime", {3600, 3120, 1290, 270}, {3600, 3420, 1290, 285}, false}};
constexpr InfoPanel OneChannelInfo[] = {
    {"Unit", "LblUnit", {3060, 120, 585, 300}, {3720, 120, 585, 300}, true},
    {"Type", "LblType", {3060, 480, 585, 300}, {3720, 480, 585, 300}, true},
    {"Start Time", "LblStartTime", {120, 1260, 1080, 300}, {1260, 1260, 840, 300}, false},
    {"Stop Time", "LblStopTime", {2160, 1260, 840, 300}, {3060, 1260, 840, 300}, false},
    {"Current Time", "LblCurrentTime", {120, 1620, 1080, 300}, {1260, 1620, 840, 300}, false}};

struct Layout {
    std::span<const ChannelLayout> channels;
    const RowGrid& rows;
    std::span<const InfoPanel> info;
    TwipsRect button;
    int clientWidth, clientHeight;
};

const Layout TwoChannelLayout{TwoChannels, FrameRows, TwoChannelInfo, {3600, 3960, 1290, 375}, 5010, 4575};
const Layout OneChannelLayout{OneChannel, WindowRows, OneChannelInfo, {3060, 810, 1245, 390}, 4425, 2040};

const Layout& LayoutOf(bool dual) { return dual ? TwoChannelLayout : OneChannelLayout; }

QFont CaptionFont() { return Fonts::Get("MS Sans Serif", 8); }

// A raised panel with a caption, or a plain caption inside a frame.
QLabel* MakeCaption(QWidget* parent, const QString& text, const TwipsRect& at, bool raised) {
    auto* label = new QLabel(text, parent);
    label->setFont(CaptionFont());
    label->setGeometry(Px(at));
    if (raised) {
        label->setFrameStyle(QFrame::Panel | QFrame::Raised);
        label->setAlignment(Qt::AlignCenter);
    } else {
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return label;
}

// A screen reader reads the shown value as the label's name and `meaning` ("T1 Maximum") as its
// description: a name set on the label would hide the value.
QLabel* MakeValue(QWidget* parent, const char* name, const TwipsRect& at, bool bold, const QString& meaning) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(Fonts::Get("MS Sans Serif", 8, bold));
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(Px(at));
    label->setAccessibleDescription(meaning);
    return label;
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QString AvgWindow::NameOf(bool dual) { return WindowNames::Avg(dual); }

AvgWindow::AvgWindow(MeterLink& link, StatisticsState& state, bool dual, QWidget* parent)
    : FormWindow(NameOf(dual), parent), link_(link), state_(state), dual_(dual) {
    SetCaption("Max / Min / AVG");
    setFont(CaptionFont());
    const Layout& layout = LayoutOf(dual_);
    SetClientSizeTwips(layout.clientWidth, layout.clientHeight);

    if (dual_) BuildToolbar();
    BuildChannels();
    BuildInfo();

    CmdStartStop = new QPushButton("Stop", this);
    CmdStartStop->setObjectName("CmdStartStop");
    CmdStartStop->setGeometry(Px(layout.button));
    connect(CmdStartStop, &QPushButton::clicked, this, &AvgWindow::CmdStartStop_Click);

    connect(&link, &MeterLink::BeatTaken, this, [this](const MeterLink::Beat& beat) {
        if (ticking_) Tick(beat);
    });
    connect(&link, &MeterLink::SampleTaken, this, &AvgWindow::CloseOnChannelChange);
}

void AvgWindow::BuildToolbar() {
    Toolbar1 = new Toolbar(this);
    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->setGeometry(0, 0, Twips::ToPxX(LayoutOf(dual_).clientWidth), Twips::ToPxY(420));
    Toolbar1->AddButton("Print", "Print", Icons::Get("Print"));
    connect(Toolbar1, &Toolbar::ButtonClick, this, &AvgWindow::Toolbar1_ButtonClick);
}

void AvgWindow::BuildChannels() {
    const Layout& layout = LayoutOf(dual_);
    const RowGrid& rows = layout.rows;
    for (const ChannelLayout& names : layout.channels) {
        QWidget* parent = this;
        if (dual_) {
            auto* frame = new QGroupBox(names.caption, this);
            frame->setObjectName(names.frame);
            frame->setGeometry(Px({FrameLeft, names.frameTop, FrameWidth, FrameHeight}));
            parent = frame;
        }
        const QString channelName = dual_ ? QString(names.caption) + " " : QString();
        QLabel* values[3] = {};
        QLabel* times[2] = {};
        const char* valueNames[3] = {names.max, names.min, names.avg};
        const char* timeNames[2] = {names.maxTime, names.minTime};
        for (int row = 0; row < 3; ++row) {
            const int top = rows.tops[row];
            MakeCaption(parent, RowCaptions[row], {rows.captionLeft, top, rows.captionWidth, rows.height},
                        !dual_);
            values[row] =
                MakeValue(parent, valueNames[row], {rows.valueLeft, top, rows.valueWidth, rows.height}, true,
                          channelName + RowCaptions[row]);
            if (row < 2) {
                times[row] =
                    MakeValue(parent, timeNames[row], {rows.timeLeft, top, rows.timeWidth, rows.height},
                              false, channelName + RowCaptions[row] + " time");
            }
        }
        channels_.push_back({names.channel, values[0], times[0], values[1], times[1], values[2], {}});
    }
}

void AvgWindow::BuildInfo() {
    for (const InfoPanel& panel : LayoutOf(dual_).info) {
        MakeCaption(this, panel.caption, panel.captionAt, true);
        MakeValue(this, panel.name, panel.valueAt, panel.bold, panel.caption);
    }
    const auto label = [this](const char* name) {
        return findChild<QLabel*>(name, Qt::FindDirectChildrenOnly);
    };
    LblUnit = label("LblUnit");
    LblType = label("LblType");
    LblStartTime = label("LblStartTime");
    LblStopTime = label("LblStopTime");
    LblCurrentTime = label("LblCurrentTime");
}

void AvgWindow::Load() {
    if (auto* panel = Forms::FindAs<FormWindow>(WindowNames::Panel))
        MovePx(panel->LeftPx() + panel->WidthPx(), panel->TopPx());
    LblStartTime->setText(Clock::Current().TimeText());
    ResetGathering();
    if (!dual_) state_.WindowOpened();
}

void AvgWindow::Unload() { state_.WindowClosed(); }

void AvgWindow::ShowUnitAndType(const QString& unitText, const QString& type) {
    LblUnit->setText(unitText);
    LblType->setText(type);
}

void AvgWindow::EnableTicks() { ticking_ = true; }

void AvgWindow::ResetGathering() {
    for (ChannelLabels& labels : channels_) labels.figures = {};
}

void AvgWindow::CmdStartStop_Click() {
    const QString now = Clock::Current().TimeText();
    if (state_.AvgRunning()) {
        StopGathering(now);
    } else {
        StartGathering(now);
    }
}

void AvgWindow::StartGathering(const QString& now) {
    state_.GatheringStarted();
    LblStartTime->setText(now);
    LblStopTime->clear();
    ResetGathering();
    CmdStartStop->setText("Stop");
    for (ChannelLabels& labels : channels_) {
        for (QLabel* value : {labels.max, labels.min, labels.avg}) value->clear();
    }
    // The one-channel window keeps gathering in the unit it was opened with.
    if (dual_) {
        state_.SetUnitTextAtStart(link_.Reading().UnitText);
        LblUnit->setText(Text(state_.UnitTextAtStart()));
    }
}

void AvgWindow::StopGathering(const QString& now) {
    state_.GatheringStopped();
    LblStopTime->setText(now);
    CmdStartStop->setText("Start");
}

void AvgWindow::Tick(const MeterLink::Beat& beat) {
    const QString now = QString::fromStdString(beat.time);
    LblCurrentTime->setText(now);
    if (!state_.AvgRunning()) return;
    if (link_.ChannelModeAtStart() != beat.reading.DualChannel) {
        // The two-channel window may close itself here: nothing of it is touched afterwards.
        // A beat refused so takes no sample and is not counted.
        StopOnChannelChange();
        return;
    }
    Gather(now, beat.reading);
}

void AvgWindow::StopOnChannelChange() {
    state_.WindowClosed();
    if (!dual_) return;
    // This window goes last, so the loop never reads the list after its own unload.
    for (const QString& name : {NameOf(false), NameOf(true)}) {
        if (Forms::IsShown(name)) Forms::Unload(name);
    }
}

// Statistics gathered for one channel layout mean nothing for the other: a sample that finds the
// meter changed closes the statistics windows, as their own beat would.
void AvgWindow::CloseOnChannelChange(const MeterLink::Sample& sample) {
    if (!sample.channelModeChanged || !state_.AvgWindowOpen()) return;
    if (sample.reading.DualChannel == link_.ChannelModeAtStart()) return;
    for (const QString& name : {NameOf(!dual_), NameOf(dual_)}) Forms::Unload(name);
}

void AvgWindow::Gather(const QString& now, const CurrentReading& meter) {
    const std::string& unit = state_.UnitTextAtStart();
    for (ChannelLabels& labels : channels_) {
        const Statistics::Figures::Moved moved = labels.figures.Add(Statistics::Sample(meter, labels.channel, unit));
        labels.max->setText(Text(labels.figures.Max().Text()));
        if (moved.maxTime) labels.maxTime->setText(now);
        labels.min->setText(Text(labels.figures.Min().Text()));
        if (moved.minTime) labels.minTime->setText(now);
        labels.avg->setText(Text(labels.figures.AverageText()));
    }
}

void AvgWindow::Toolbar1_ButtonClick(const QString& key) {
    if (key == "Print" && dual_) Print();
}

void AvgWindow::Print() {
    const int toolbarBottom = Toolbar1->geometry().bottom() + 1;
    PrintAsShown(*this, QRect(0, toolbarBottom, width(), height() - toolbarBottom));
}
