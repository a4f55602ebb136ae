#pragma once

#include <QString>
#include <vector>

#include "stats/Statistics.h"
#include "ui/FormWindow.h"
#include "ui/MeterLink.h"

class QLabel;
class QPushButton;
class StatisticsState;
class Toolbar;

// "Max / Min / AVG": running statistics of the live reading, gathered on each second's beat of
// the link's sampling clock in the unit chosen at Start. The two-channel twin "AVG2" keeps T1, T2
// and T1-T2 and prints itself; the one-channel twin "AVG1" keeps T1. Each maximum and minimum is
// shown with the time of day it was reached beside it.
class AvgWindow : public FormWindow {
    Q_OBJECT
  public:
    // `state` is shared with the opening command and outlives the window.
    AvgWindow(MeterLink& link, StatisticsState& state, bool dual, QWidget* parent = nullptr);
    // "AVG2" or "AVG1".
    static QString NameOf(bool dual);

    bool Dual() const { return dual_; }

    // What the opening command shows of the meter: its unit letter and thermocouple type.
    void ShowUnitAndType(const QString& unitText, const QString& type);
    // Beats are taken only once the opening command enables them.
    void EnableTicks();
    bool TicksEnabled() const { return ticking_; }

    // One second's beat: the current time, and a sample while gathering.
    void Tick(const MeterLink::Beat& beat);
    void CmdStartStop_Click();
    void Toolbar1_ButtonClick(const QString& key);

  protected:
    void Load() override;
    void Unload() override;

  private:
    // The labels of one channel and its figures since Start.
    struct ChannelLabels {
        Statistics::Channel channel;
        QLabel* max;
        QLabel* maxTime;
        QLabel* min;
        QLabel* minTime;
        QLabel* avg;
        Statistics::Figures figures;
    };

    void BuildToolbar();
    void BuildChannels();
    void BuildInfo();
    void ResetGathering();
    void StartGathering(const QString& now);
    void StopGathering(const QString& now);
    void StopOnChannelChange();
    void CloseOnChannelChange(const MeterLink::Sample& sample);
    void Gather(const QString& now, const CurrentReading& meter);
    void Print();

    MeterLink& link_;
    StatisticsState& state_;
    bool dual_;
    bool ticking_ = false;
    std::vector<ChannelLabels> channels_;
    Toolbar* Toolbar1 = nullptr;
    QLabel* LblUnit;
    QLabel* LblType;
    QLabel* LblStartTime;
    QLabel* LblStopTime;
    QLabel* LblCurrentTime;
    QPushButton* CmdStartStop;
};
