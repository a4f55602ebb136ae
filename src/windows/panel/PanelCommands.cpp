// The main window's toolbar: each button's command.
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <filesystem>
#include <optional>

#include "acquisition/SamplingSchedule.h"
#include "records/RecordFormat.h"
#include "ui/Clock.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"
#include "ui/Toolbar.h"
#include "windows/WindowNames.h"
#include "windows/panel/Panel.h"

void Panel::Toolbar1_ButtonClick(const QString& key) {
    if (key == "Save") {
        SaveCommand();
    } else if (key == "Open") {
        OpenCommand();
    } else if (key == "List") {
        ListCommand();
    } else if (key == "Graph") {
        commands_.openGraph();
    } else if (key == "PC") {
        PcSamplingCommand();
    } else if (key == "AVG") {
        commands_.openStatistics();
    } else if (key == "Memory") {
        MemoryCommand();
    } else if (key == "help") {
        SSPhelp->setHidden(!SSPhelp->isHidden());
    }
}

void Panel::SaveCommand() {
    if (!link_.MeterOnline()) return;
    if (link_.Recording()) {
        link_.StopRecording();
        return;
    }
    const QPointer<FormWindow> self(this);
    commands_.saveAs();
    if (FormWindow::IsGone(self)) return;
    ShowTimesText->setText(Clock::Current().TimeText());
    if (!link_.SavePathChosen()) return;
    link_.StartRecording(link_.RecordFilePath());
}

void Panel::PcSamplingCommand() {
    const QString answer = Dialogs::Current().InputBox(
        "Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 86400 ) ", "Input Sampling Time",
        QString::number(link_.SamplingSeconds()));
    const auto seconds = SamplingSchedule::ParseInterval(answer.toStdString());
    if (!seconds) return;
    link_.SetInterval(*seconds);
}

void Panel::ListCommand() {
    const CurrentReading& r = link_.Reading();
    if (!r.MeterOnline) return;
    ShowTimesText->setText(Clock::Current().TimeText());
    link_.ChannelModeStarted(r.DualChannel);
    const QString name = WindowNames::List(r.DualChannel);
    if (Forms::IsShown(name)) return;
    // One real-time list at a time: a list of the other channel mode (left paused by a lost link)
    // closes, so that closing it later cannot end the list that runs now.
    Forms::Unload(WindowNames::List(!r.DualChannel));
    Forms::Show(name);
    link_.ListOpened(r.DualChannel);
}

void Panel::MemoryCommand() {
    commands_.download(*this, [this] { ShowTimesText->setText(Clock::Current().TimeText()); });
}

// A record file from disk into the file list that fits it; never while a recording writes one.
void Panel::OpenCommand() {
    if (link_.Recording()) {
        Dialogs::Current().Message("Recording Mode!\n\rPlease stop recording!");
        return;
    }
    const std::string folder = RecordFormat::DefaultFolder();
    RecordFormat::EnsureFolder(folder);
    const std::optional<QString> chosen =
        Dialogs::Current().OpenFile(QString::fromStdString(folder), "Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
    if (!chosen) return;
    commands_.openFile(QString::fromStdString(RecordFormat::WithTxtExtension(chosen->toStdString())),
                   QFileInfo(*chosen).fileName());
}
