#pragma once

#include "graphs/Drawing.h"
#include "ui/MeterLink.h"
#include "windows/graphs/ChartWindow.h"

class RealTimeChart;

// "Real Time Graph": the sweeping chart of the live readings. It draws what RealTimeChart says
// on a canvas that keeps the picture when the window is covered. Its samples are the link's, taken
// on the sampling clock as the records are, so a clock of the day set back or forward changes
// the time labels and never the rhythm.
class RealTimeGraph : public ChartWindow {
    Q_OBJECT
public:
    // `chart` is shared with the range dialog and outlives the window.
    RealTimeGraph(const MeterLink& link, RealTimeChart& chart, QWidget* parent = nullptr);

    void Toolbar1_ButtonClick(const QString& key) override;
    // The range dialog holds the samples while it is open; closed, they go on as before.
    void HoldForRange();
    void ResumeAfterRange();
    // Whether samples are drawn: not while paused or held.
    bool Sampling() const { return sampling_; }

    // The client width the chart's geometry comes from.
    int ChartWidth() const;
    void Relayout() override;
    void StartSampling();

protected:
    void Load() override;

private:
    void SampleTaken(const MeterLink::Sample& sample);
    void Draw(const Drawing& drawing);
    TextMetrics Metrics() const;
    void Pause();

    bool sampling_ = false;
    bool heldForRange_ = false;
    bool runningBeforeRange_ = false;
    const MeterLink& link_;
    RealTimeChart& chart_;
};

// The main toolbar's "Graph": a fresh graph for the meter as it is now, 5 minutes across.
void OpenRealTimeGraph(const MeterLink& link, RealTimeChart& chart);
// The range dialog's OK: the graph again with a window `widthSteps` by `heightSteps` in size and
// `spanSeconds` across.
void ReopenRealTimeGraph(const MeterLink& link, RealTimeChart& chart, int widthSteps, int heightSteps,
                         double spanSeconds);
