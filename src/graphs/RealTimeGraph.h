#pragma once

#include "graphs/Drawing.h"
#include "ui/FormWindow.h"

class Canvas;
class QTimer;
class Toolbar;

// "Real Time Graph": the sweeping chart of the live readings. It draws what RealTimeChart says
// on a canvas that keeps the picture when the window is covered; its own timer paces the
// samples, which the chart takes on the clock.
class RealTimeGraph : public FormWindow {
    Q_OBJECT
public:
    static constexpr int DefaultTimerMs = 100;

    explicit RealTimeGraph(QWidget* parent = nullptr);

    void Timer1_Timer();
    void Toolbar1_ButtonClick(const QString& key);
    // The range dialog holds the samples while it is open; closed, they go on as before.
    void HoldForRange();
    void ResumeAfterRange();

    // The client width the chart's geometry comes from.
    int ChartWidth() const;
    // The empty chart; the curve so far is gone.
    void Relayout();
    void StartSampling(int intervalMs);

protected:
    void Load() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Draw(const Drawing& drawing);
    TextMetrics Metrics() const;
    void Pause();

    Toolbar* Toolbar1;
    Canvas* canvas_;
    QTimer* Timer1;
    bool heldForRange_ = false;
    bool runningBeforeRange_ = false;
};

// The main toolbar's "Graph": a fresh graph for the meter as it is now, 5 minutes across.
void OpenRealTimeGraph();
// The range dialog's OK: the graph again with a window `widthSteps` by `heightSteps` in size and
// `spanSeconds` across, and its timer at `intervalMs`.
void ReopenRealTimeGraph(int widthSteps, int heightSteps, double spanSeconds, int intervalMs);
