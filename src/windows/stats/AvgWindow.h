#pragma once

#include <QString>
#include <vector>

#include "stats/Statistics.h"
#include "ui/FormWindow.h"
#include "ui/MeterLink.h"

class QLabel;
class QPushButton;
class QTimer;
class Toolbar;

// "Max / Min / AVG": running statistics of the live reading, gathered once a second in the unit
// chosen at Start. The two-channel twin "AVG2" keeps T1, T2 and T1-T2 and prints itself; the
// one-channel twin "AVG1" keeps T1. Each maximum and minimum lives in its label, with the time of
// day it was reached beside it.
class AvgWindow : public FormWindow {
    Q_OBJECT
  public:
    AvgWindow(MeterLink& link, bool dual, QWidget* parent = nullptr);
    // "AVG2" or "AVG1".
    static QString NameOf(bool dual);

    bool Dual() const { return dual_; }

    // What the opening command shows of the meter: its unit letter and thermocouple type.
    void ShowUnitAndType(const QString& unitText, const QString& type);
    // Gathering ticks only once the opening command enables the timer.
    void EnableTimer();

    void Timer1_Timer();
    void CmdStartStop_Click();
    void Toolbar1_ButtonClick(const QString& key);

  protected:
    void Load() override;
    void Unload() override;

  private:
    // The labels of one channel and the sum of its samples since Start.
    struct ChannelLabels {
        Statistics::Channel channel;
        QLabel* max;
        QLabel* maxTime;
        QLabel* min;
        QLabel* minTime;
        QLabel* avg;
        Statistics::RunningSum sum;
    };

    void BuildToolbar();
    void BuildChannels();
    void BuildInfo();
    void ResetGathering();
    void StartGathering(const QString& now);
    void StopGathering(const QString& now);
    void StopOnChannelChange();
    void Gather(const QString& now);
    void Print();

    MeterLink& link_;
    bool dual_;
    long count_ = 0;
    std::vector<ChannelLabels> channels_;
    Toolbar* Toolbar1 = nullptr;
    QLabel* LblUnit;
    QLabel* LblType;
    QLabel* LblStartTime;
    QLabel* LblStopTime;
    QLabel* LblCurrentTime;
    QPushButton* CmdStartStop;
    QTimer* Timer1;
};
