#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <string>

#include "acquisition/AcquisitionPause.h"
#include "ui/FormWindow.h"

class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTime;
class QTimer;
class Toolbar;
class PollCycle;

// The main window: live T1, T2 and T1-T2 with unit, thermocouple type and port; the poll cycle
// that keeps them fresh and reconnects a silent meter; the PC-sampling clock; the toolbar that
// opens everything else. Its controls carry their names as object names; other windows reach
// its acquisition only through AcquisitionPause.
class Panel : public FormWindow {
    Q_OBJECT
public:
    static constexpr const char* Title = "TQ36      V10.02";
    static constexpr const char* BuildStamp = "2019.08.16.1";

    explicit Panel(QWidget* parent = nullptr);
    ~Panel() override;

    void Timer1_Timer();
    void Timer2_Timer();
    void LblCOM_Click();
    void Option1_Click(int index);
    void Toolbar1_ButtonClick(const QString& key);

    // The last seen port number of the current entry, as "COM  n".
    static QString PortCaption();

protected:
    void Load() override;
    void Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The polling and sampling timers as pauses hold them: each runs again when the last hold
    // ends, if it ran before the first one began and the window is still loaded.
    class HeldTimers : public AcquisitionPause::Holder {
    public:
        HeldTimers(Panel& panel, QTimer* polling, QTimer* sampling);
        void Hold(unsigned parts) override;
        void Release(unsigned parts) override;

    private:
        struct Held {
            QTimer* timer = nullptr;
            int holds = 0;
            bool wasActive = false;
        };
        static void Hold(Held& held);
        void Release(Held& held);

        Panel& panel_;
        Held polling_, sampling_;
    };

    // Toolbar commands (PanelCommands.cpp).
    void SaveCommand();
    void OpenCommand();
    void PcSamplingCommand();
    void ListCommand();
    void MemoryCommand();

    void BuildToolbar();
    void BuildHelpPanel();
    void ShowReading();
    void ShowChannelLayout(bool dual);
    void PlaceFigures();
    void RefreshUnitPictures();
    void SetPortText(const QString& text);
    void ShowRecordingStopped(bool keepFileName);
    void AddListRow(const std::string& sampleLine, bool fresh);

    QTimer* Timer1;
    QTimer* Timer2;
    Toolbar* Toolbar1;
    QLabel* LblName;
    QFrame* Shape1;
    QLabel* UnitT1;
    QLabel* UnitT2;
    QLabel* UnitT1T2;
    QLabel* LblT1;
    QLabel* LblT2;
    QLabel* LblT1T2;
    QLabel* TypeMark;
    QLabel* LblType;
    QLabel* ImgC;
    QLabel* ImgF;
    QLabel* ImgK;
    QLabel* LblCOM;
    QLabel* LblRec;
    QLabel* LblCount;
    QLabel* LblFileName;
    QLineEdit* ShowTimesText;
    QFrame* SSPhelp;
    std::array<QRadioButton*, 6> Option1{};

    std::shared_ptr<HeldTimers> heldTimers_;
    QStringList deferredClicks_;  // toolbar keys pressed while a poll cycle waited
    std::shared_ptr<PollCycle> poll_;
};
