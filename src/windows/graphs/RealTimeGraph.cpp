#include "windows/graphs/RealTimeGraph.h"

#include <optional>

#include "graphs/RangeInput.h"
#include "graphs/RealTimeChart.h"
#include "ui/Canvas.h"
#include "ui/CanvasDrawing.h"
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
RealTimeGraph* LoadGraph(const MeterLink& link, RealTimeChart& chart, double spanSeconds) {
    auto* graph = Forms::GetAs<RealTimeGraph>(GraphName);
    if (graph) chart.SetSpan(graph->ChartWidth(), spanSeconds, link.SamplingSeconds());
    return graph;
}

void ShowGraph(RealTimeGraph* graph) {
    graph->show();
    EventPump::ProcessEvents();
    // The empty chart for the new span, also when showing the window did not change its size.
    graph->Relayout();
    graph->StartSampling();
}

}  // namespace

RealTimeGraph::RealTimeGraph(const MeterLink& link, RealTimeChart& chart, QWidget* parent)
    : ChartWindow(GraphName, "Real Time Graph", Buttons, QSize(10410, 9420), parent), link_(link), chart_(chart) {
    connect(&link, &MeterLink::SampleTaken, this, &RealTimeGraph::SampleTaken);
}

void RealTimeGraph::Load() {
    PlaceBesideMainWindow();
    chart_.Loaded();
}

int RealTimeGraph::ChartWidth() const { return width(); }

void RealTimeGraph::Relayout() { Draw(chart_.Layout(canvas_->width(), canvas_->height(), Metrics())); }

void RealTimeGraph::StartSampling() { sampling_ = true; }

TextMetrics RealTimeGraph::Metrics() const { return CanvasMetrics(*canvas_); }

void RealTimeGraph::Draw(const Drawing& drawing) { DrawOnCanvas(*canvas_, drawing); }

void RealTimeGraph::SampleTaken(const MeterLink::Sample& sample) {
    if (sampling_) Draw(chart_.Sample(sample.time, sample.reading, Metrics()));
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
    const bool pausing = sampling_;
    Toolbar1->SetButtonTooltip("Pause", pausing ? "Start" : "Pause");
    Toolbar1->SetButtonIcon("Pause", Toolbar1->ButtonIcon(pausing ? "Start" : "Run"));
    sampling_ = !pausing;
}

void RealTimeGraph::HoldForRange() {
    if (heldForRange_) return;
    heldForRange_ = true;
    runningBeforeRange_ = sampling_;
    sampling_ = false;
}

void RealTimeGraph::ResumeAfterRange() {
    if (!heldForRange_) return;
    heldForRange_ = false;
    if (runningBeforeRange_) sampling_ = true;
}

void OpenRealTimeGraph(const MeterLink& link, RealTimeChart& chart) {
    Forms::Unload(GraphName);
    const CurrentReading& reading = link.Reading();
    chart.Open(reading.DualChannel, reading.UnitText);
    if (RealTimeGraph* graph = LoadGraph(link, chart, RealTimeChart::DefaultSpanSeconds)) ShowGraph(graph);
}

void ReopenRealTimeGraph(const MeterLink& link, RealTimeChart& chart, int widthSteps, int heightSteps,
                         double spanSeconds) {
    // The steps give the outer window; the frame the desktop draws is known on the graph that is
    // shown, not yet on the one that replaces it.
    std::optional<QMargins> frame;
    if (const auto* shown = Forms::FindAs<RealTimeGraph>(GraphName)) frame = shown->FrameMargins();
    Forms::Unload(GraphName);
    auto* graph = Forms::GetAs<RealTimeGraph>(GraphName);
    if (!graph) return;
    const RangeInput::WindowTwips outer = RangeInput::GraphWindowTwips(widthSteps, heightSteps);
    graph->SetOuterSizePx(Twips::Size(outer.width, outer.height), frame.value_or(graph->FrameMargins()));
    chart.SetSpan(graph->ChartWidth(), spanSeconds, link.SamplingSeconds());
    ShowGraph(graph);
}
