#include "windows/graphs/RealTimeGraph.h"

#include <QTimer>
#include <optional>

#include "graphs/RangeInput.h"
#include "graphs/RealTimeChart.h"
#include "ui/Canvas.h"
#include "ui/CanvasDrawing.h"
#include "ui/Clock.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/MeterLink.h"
#include "ui/Toolbar.h"
#include "ui/Twips.h"
#include "ui/WindowPrint.h"
#include "windows/WindowNames.h"

namespace {

constexpr const char* GraphName = WindowNames::RealTimeGraph;

// The hidden Run and Start buttons only hold the two pictures of Pause.
constexpr ToolbarButton Buttons[] = {{"Pause", "Pause", "Pause", true},
                              {"Limit", "Limit", "Limit", true},
                              {"Print", "Print", "Print", true},
                              {"Run", "", "Pause", false},
                              {"Start", "Start", "Start", false}};

// Loads the graph window when needed and sizes the chart's sweep to it.
RealTimeGraph* LoadGraph(const MeterLink& link, double spanSeconds) {
    auto* graph = Forms::GetAs<RealTimeGraph>(GraphName);
    if (graph) RealTimeChart::Instance().SetSpan(graph->ChartWidth(), spanSeconds, link.SamplingSeconds());
    return graph;
}

void ShowGraph(RealTimeGraph* graph, int intervalMs) {
    graph->show();
    EventPump::ProcessEvents();
    // The empty chart for the new span, also when showing the window did not change its size.
    graph->Relayout();
    graph->StartSampling(intervalMs);
}

}  // namespace

RealTimeGraph::RealTimeGraph(const MeterLink& link, QWidget* parent)
    : ChartWindow(GraphName, "Real Time Graph", Buttons, DefaultTimerMs, QSize(10410, 9420), parent), link_(link) {}

void RealTimeGraph::Load() {
    PlaceBesideMainWindow();
    RealTimeChart::Instance().Loaded();
}

int RealTimeGraph::ChartWidth() const { return width(); }

void RealTimeGraph::Relayout() { Draw(RealTimeChart::Instance().Layout(canvas_->width(), canvas_->height(), Metrics())); }

void RealTimeGraph::StartSampling(int intervalMs) {
    Timer1->setInterval(intervalMs);
    Timer1->start();
}

TextMetrics RealTimeGraph::Metrics() const { return CanvasMetrics(*canvas_); }

void RealTimeGraph::Draw(const Drawing& drawing) { DrawOnCanvas(*canvas_, drawing); }

void RealTimeGraph::Timer1_Timer() {
    // One reading of the clock for the due second and the time label.
    const QTime now = Clock::Current().TimeOfDay();
    Draw(RealTimeChart::Instance().Tick(Clock::SecondsOf(now), Clock::TextOf(now).toStdString(), link_.SamplingSeconds(),
                                        link_.Reading(), Metrics()));
}

void RealTimeGraph::Toolbar1_ButtonClick(const QString& key) {
    if (key == "Pause") {
        Pause();
    } else if (key == "Limit") {
        HoldForRange();
        Forms::Show(WindowNames::RealTimeRange);
    } else if (key == "Print") {
        PrintAsShown(*canvas_);
    }
}

void RealTimeGraph::Pause() {
    const bool pausing = Timer1->isActive();
    Toolbar1->SetButtonTooltip("Pause", pausing ? "Start" : "Pause");
    Toolbar1->SetButtonIcon("Pause", Toolbar1->ButtonIcon(pausing ? "Start" : "Run"));
    pausing ? Timer1->stop() : Timer1->start();
}

void RealTimeGraph::HoldForRange() {
    if (heldForRange_) return;
    heldForRange_ = true;
    runningBeforeRange_ = Timer1->isActive();
    Timer1->stop();
}

void RealTimeGraph::ResumeAfterRange() {
    if (!heldForRange_) return;
    heldForRange_ = false;
    if (runningBeforeRange_) Timer1->start();
}

void OpenRealTimeGraph(const MeterLink& link) {
    Forms::Unload(GraphName);
    const CurrentReading& reading = link.Reading();
    RealTimeChart::Instance().Open(reading.DualChannel, reading.UnitText);
    if (RealTimeGraph* graph = LoadGraph(link, RealTimeChart::DefaultSpanSeconds)) ShowGraph(graph, RealTimeGraph::DefaultTimerMs);
}

void ReopenRealTimeGraph(const MeterLink& link, int widthSteps, int heightSteps, double spanSeconds, int intervalMs) {
    // The steps give the outer window; the frame the desktop draws is known on the graph that is
    // shown, not yet on the one that replaces it.
    std::optional<QMargins> frame;
    if (const auto* shown = Forms::FindAs<RealTimeGraph>(GraphName)) frame = shown->FrameMargins();
    Forms::Unload(GraphName);
    auto* graph = Forms::GetAs<RealTimeGraph>(GraphName);
    if (!graph) return;
    const RangeInput::WindowTwips outer = RangeInput::GraphWindowTwips(widthSteps, heightSteps);
    graph->SetOuterSizePx(Twips::Size(outer.width, outer.height), frame.value_or(graph->FrameMargins()));
    RealTimeChart::Instance().SetSpan(graph->ChartWidth(), spanSeconds, link.SamplingSeconds());
    ShowGraph(graph, intervalMs);
}
