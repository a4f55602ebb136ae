#pragma once

#include "ui/FormWindow.h"

class ListPlot;
class QLineEdit;
class QPushButton;

// "Plot Range ( C )": the temperatures and the records a plot shows. OK checks them and draws the
// plot again for them.
class PlotRange : public FormWindow {
    Q_OBJECT
public:
    // `plot` is the plot window's, and outlives both.
    explicit PlotRange(ListPlot& plot, QWidget* parent = nullptr);

    void CmdOK_Click();

protected:
    void Load() override;

private:
    ListPlot& plot_;
    QLineEdit* TxtT1;
    QLineEdit* TxtT2;
    QLineEdit* TxtR1;
    QLineEdit* TxtR2;
    QPushButton* CmdOK;
};
