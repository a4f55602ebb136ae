#pragma once

class MeterLink;

#include "ui/FormWindow.h"

class QLineEdit;
class RealTimeChart;
class QPushButton;

// "Real Time Range": the temperature range, the time span and the window size of the real-time
// graph. The graph's samples wait while it is open; OK checks the values and opens the graph
// again with them.
class RealTimeRange : public FormWindow {
    Q_OBJECT
public:
    // `chart` is the graph's, and outlives both.
    RealTimeRange(const MeterLink& link, RealTimeChart& chart, QWidget* parent = nullptr);

    void CmdOK_Click();

protected:
    void Load() override;
    void Unload() override;

private:
    QLineEdit* TxtMax;
    QLineEdit* TxtMin;
    QLineEdit* TxtCounts;
    QLineEdit* TxtWidth;
    QLineEdit* TxtHeight;
    QPushButton* CmdOK;
    const MeterLink& link_;
    RealTimeChart& chart_;
};
