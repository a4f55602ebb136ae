#pragma once

#include "records/RecordTable.h"
#include "ui/SnapBack.h"
#include "windows/graphs/ChartWindow.h"

class ListPlot;
class QTimer;

// "Plot Data/File": a stored list drawn as a chart. A layout draws the frame at once; two seconds
// later the renderer draws the records, counting them in the caption while the window stays
// responsive. A new layout or closing the window ends a run that is under way.
class PlotWindow : public ChartWindow {
    Q_OBJECT
public:
    static constexpr int RenderDelayMs = 2000;

    // `plot` is shared with the range dialog and outlives the window.
    explicit PlotWindow(ListPlot& plot, QWidget* parent = nullptr);

    void Timer1_Timer();
    void Toolbar1_ButtonClick(const QString& key) override;
    void Relayout() override;

protected:
    void Load() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    ListPlot& plot_;
    QTimer* Timer1;
    SnapBack snapBack_;
    int layouts_ = 0;  // a run ends when another layout begins
};

// The "Plot" of a data list or a file list: a snapshot of its records, in the unit of the first
// one, in a fresh plot window.
void OpenPlot(ListPlot& plot, RecordTable records);
// The plot again, for the range the dialog chose.
void ReopenPlot();
