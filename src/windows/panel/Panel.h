#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "ui/FormWindow.h"
#include "ui/MeterLink.h"

class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTime;
class Toolbar;

// The main window: live T1, T2 and T1-T2 with unit, thermocouple type and port, as the meter link
// tells them; what each PC sample did; the toolbar that opens everything else. Its controls carry
// their names as object names.
class Panel : public FormWindow {
    Q_OBJECT
public:
    static constexpr const char* Title = "TQ36      V10.02";
    static constexpr const char* BuildStamp = "2019.08.16.1";

    // What the toolbar asks of other windows; the program wires them.
    struct Commands {
        std::function<void()> saveAs;          // the Save As dialog that names a recording's file
        std::function<void(const QString& path, const QString& title)> openFile;  // a record file listed
        std::function<void()> openGraph;
        std::function<void()> openStatistics;
        // The logger read out; the download's messages live as long as `owner`, and `showTime`
        // runs once its sets are listed.
        std::function<void(QObject& owner, std::function<void()> showTime)> download;
    };

    Panel(MeterLink& link, Commands commands, QWidget* parent = nullptr);
    ~Panel() override;

    void LblCOM_Click();
    void Option1_Click(int index);
    void Toolbar1_ButtonClick(const QString& key);

protected:
    void Load() override;
    void Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Toolbar commands (PanelCommands.cpp).
    void SaveCommand();
    void OpenCommand();
    void PcSamplingCommand();
    void ListCommand();
    void MemoryCommand();

    void BuildToolbar();
    void BuildHelpPanel();
    void BuildKeys();
    void ShowReading();
    void ShowChannelLayout(bool dual);
    void PlaceFigures();
    void RefreshUnitPictures();
    void SetPortText(const QString& text);
    void ShowRecordingStopped(bool keepFileName);
    void SampleTaken(const MeterLink::Sample& sample);
    void RecordingChanged(const MeterLink::RecordingReport& report);

    MeterLink& link_;
    Commands commands_;
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
};
