// The main window's toolbar: each button's command.
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <filesystem>
#include <optional>

#include "acquisition/PollCycle.h"
#include "acquisition/SamplingState.h"
#include "meter/Meter.h"
#include "records/RecordFormat.h"
#include "ui/Clock.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"
#include "ui/Toolbar.h"
#include "windows/WindowNames.h"
#include "windows/graphs/RealTimeGraph.h"
#include "windows/logger/LoggerCommands.h"
#include "windows/panel/Panel.h"
#include "windows/records/FileListLoading.h"
#include "windows/records/RecordFile.h"
#include "windows/stats/StatisticsCommands.h"

void Panel::Toolbar1_ButtonClick(const QString& key) {
    if (poll_ && poll_->Running()) {
        deferredClicks_.append(key);
        return;
    }
    if (key == "Save") {
        SaveCommand();
    } else if (key == "Open") {
        OpenCommand();
    } else if (key == "List") {
        ListCommand();
    } else if (key == "Graph") {
        OpenRealTimeGraph();
    } else if (key == "PC") {
        PcSamplingCommand();
    } else if (key == "AVG") {
        OpenStatistics();
    } else if (key == "Memory") {
        MemoryCommand();
    } else if (key == "help") {
        SSPhelp->setHidden(!SSPhelp->isHidden());
    }
}

void Panel::SaveCommand() {
    SamplingState& s = Sampling::State();
    if (!Meter::Current().MeterOnline) return;
    if (s.Recording()) {
        s.Recorder().Stop();
        s.SavePathUsed();
        ShowRecordingStopped(false);
        return;
    }
    const QPointer<FormWindow> self(this);
    RecordFile::ShowSaveAsDialog();
    if (FormWindow::IsGone(self)) return;
    ShowTimesText->setText(Clock::Current().TimeText());
    if (!s.SavePathChosen()) return;
    if (!s.Recorder().Start(s.RecordFilePath(), Meter::Current().DualChannel)) {
        Dialogs::Current().Message(QString("%1 could not be created (%2).")
                                       .arg(QString::fromStdString(s.RecordFilePath()),
                                            QString::fromStdString(s.Recorder().ErrorText())));
        return;
    }
    LblFileName->setText(QString::fromStdString(RecordFormat::WithTxtExtension(
        std::filesystem::path(s.RecordFilePath()).filename().string())));
    Toolbar1->SetButtonIcon("Save", Toolbar1->ButtonIcon("Stop"));
    Toolbar1->SetButtonTooltip("Save", "Stop Recording");
    LblRec->show();
}

void Panel::PcSamplingCommand() {
    SamplingState& s = Sampling::State();
    const QString answer = Dialogs::Current().InputBox(
        "Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 86400 ) ", "Input Sampling Time",
        QString::number(s.SamplingSeconds()));
    const auto seconds = SamplingSchedule::ParseInterval(answer.toStdString());
    if (!seconds) return;
    s.IntervalChosen(*seconds, Clock::Current().SecondsSinceMidnight());
}

void Panel::ListCommand() {
    const CurrentReading& r = Meter::Current();
    if (!r.MeterOnline) return;
    SamplingState& s = Sampling::State();
    ShowTimesText->setText(Clock::Current().TimeText());
    s.ChannelModeStarted(r.DualChannel);
    const QString name = WindowNames::List(r.DualChannel);
    if (Forms::IsShown(name)) return;
    // One real-time list at a time: a list of the other channel mode (left paused by a lost link)
    // closes, so that closing it later cannot end the list that runs now.
    Forms::Unload(WindowNames::List(!r.DualChannel));
    Forms::Show(name);
    s.List().Opened();
}

void Panel::MemoryCommand() {
    StartMemoryDownload([self = QPointer<Panel>(this)] {
        if (self) self->ShowTimesText->setText(Clock::Current().TimeText());
    });
}

// A record file from disk into the file list that fits it; never while a recording writes one.
void Panel::OpenCommand() {
    if (Sampling::State().Recording()) {
        Dialogs::Current().Message("Recording Mode!\n\rPlease stop recording!");
        return;
    }
    const std::string folder = RecordFormat::DefaultFolder();
    RecordFormat::EnsureFolder(folder);
    const std::optional<QString> chosen =
        Dialogs::Current().OpenFile(QString::fromStdString(folder), "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
    if (!chosen) return;
    LoadRecordFile(QString::fromStdString(RecordFormat::WithTxtExtension(chosen->toStdString())),
                   QFileInfo(*chosen).fileName());
}
