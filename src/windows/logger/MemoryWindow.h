#pragma once

#include <functional>
#include <string>
#include <vector>

#include "logger/LoggerFormat.h"
#include "ui/FormWindow.h"

class Grid;
class QFrame;
class QLabel;
class QPushButton;

// "Data Logger": the data sets of the meter's logger memory as the last download found them, the
// memory figures and the transfer's progress. A click on a set opens it as a data list.
class MemoryWindow : public FormWindow {
    Q_OBJECT
public:
    // `openSet` opens a set, by its number, as a data list.
    explicit MemoryWindow(std::function<void(int)> openSet, QWidget* parent = nullptr);

    void ShowRemained(long usedBytes);
    void ShowProgress(const QString& text);
    void ShowSets(const std::vector<Logger::DataSet>& sets);

    void GridSet_Click();

protected:
    void Load() override;

private:
    std::function<void(int)> openSet_;
    Grid* GridSet;
    QFrame* SSPanel1;
    QLabel* LblSize;
    QFrame* SSPanel2;
    QLabel* LblRemain;
    QLabel* LblMessage;
    QPushButton* CmdCompare;
    Grid* Grid7;
};
