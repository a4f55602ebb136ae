#pragma once

#include "records/RecordTable.h"
#include "ui/SnapBack.h"
#include "windows/graphs/ChartWindow.h"

// "Plot Data/File": a stored list drawn as a chart. A layout draws the frame at once; two seconds
// later the renderer draws the records, counting them in the caption while the window stays
// responsive. A new layout or closing the window ends a run that is under way.
class PlotWindow : public ChartWindow {
    Q_OBJECT
public:
    static constexpr int RenderDelayMs = 2000;

    explicit PlotWindow(QWidget* parent = nullptr);

    void Timer1_Timer() override;
    void Toolbar1_ButtonClick(const QString& key) override;
    void Relayout() override;

protected:
    void Load() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    SnapBack snapBack_;
    int layouts_ = 0;  // a run ends when another layout begins
};

// The "Plot" of a data list or a file list: a snapshot of its records, in the unit of the first
// one, in a fresh plot window.
void OpenPlot(RecordTable records);
// The plot again, for the range the dialog chose.
void ReopenPlot();
