#pragma once

class MeterLink;

#include "graphs/Drawing.h"
#include "windows/graphs/ChartWindow.h"

// "Real Time Graph": the sweeping chart of the live readings. It draws what RealTimeChart says
// on a canvas that keeps the picture when the window is covered; its own timer paces the
// samples, which the chart takes on the clock.
class RealTimeGraph : public ChartWindow {
    Q_OBJECT
public:
    static constexpr int DefaultTimerMs = 100;

    explicit RealTimeGraph(const MeterLink& link, QWidget* parent = nullptr);

    void Timer1_Timer() override;
    void Toolbar1_ButtonClick(const QString& key) override;
    // The range dialog holds the samples while it is open; closed, they go on as before.
    void HoldForRange();
    void ResumeAfterRange();

    // The client width the chart's geometry comes from.
    int ChartWidth() const;
    void Relayout() override;
    void StartSampling(int intervalMs);

protected:
    void Load() override;

private:
    void Draw(const Drawing& drawing);
    TextMetrics Metrics() const;
    void Pause();

    bool heldForRange_ = false;
    bool runningBeforeRange_ = false;
    const MeterLink& link_;
};

// The main toolbar's "Graph": a fresh graph for the meter as it is now, 5 minutes across.
void OpenRealTimeGraph(const MeterLink& link);
// The range dialog's OK: the graph again with a window `widthSteps` by `heightSteps` in size and
// `spanSeconds` across, and its timer at `intervalMs`.
void ReopenRealTimeGraph(const MeterLink& link, int widthSteps, int heightSteps, double spanSeconds, int intervalMs);
