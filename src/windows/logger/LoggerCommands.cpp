#include "windows/logger/LoggerCommands.h"

#include <QPointer>
#include <optional>

#include "logger/DataLogger.h"
#include "logger/LoggerFormat.h"
#include "logger/MemoryExchange.h"
#include "ui/MeterLink.h"
#include "ui/CaptionProgress.h"
#include "ui/Clock.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/HourglassGuard.h"
#include "windows/WindowNames.h"
#include "windows/logger/MemoryWindow.h"
#include "windows/records/ListWindow.h"

namespace {

MemoryWindow* ShownMemoryWindow() {
    auto* window = Forms::FindAs<MemoryWindow>(WindowNames::Memory);
    return window && !window->IsUnloaded() && window->isVisible() ? window : nullptr;
}

// One download as the user sees it: the busy pointer, "Data Logger" with its progress and sets,
// and the messages at its end. Closing "Data Logger" ends the download. Lives until the engine
// says the download ended.
class MemoryDownload : public QObject {
public:
    MemoryDownload(MeterLink& link, QObject& owner, std::function<void()> showTime)
        : QObject(&owner), link_(link), showTime_(std::move(showTime)) {
        connect(&link, &MeterLink::DownloadWindowShown, this, &MemoryDownload::ShowWindow);
        connect(&link, &MeterLink::DownloadProgress, this, [](const QString& text) {
            if (MemoryWindow* window = ShownMemoryWindow()) window->ShowProgress(text);
        });
        connect(&link, &MeterLink::DownloadFinished, this, &MemoryDownload::Finished);
    }

private:
    void ShowWindow(long used) {
        auto* window = Forms::GetAs<MemoryWindow>(WindowNames::Memory);
        if (!window) return;
        window->show();
        window->ShowRemained(used);
        connect(window, &QObject::destroyed, &link_, &MeterLink::CancelDownload);
    }

    void Finished(const MeterLink::DownloadReport& report) {
        hourglass_.reset();
        DataLogger& logger = DataLogger::Instance();
        logger.MemoryRead(report.memory);
        logger.DownloadEnded();
        using Outcome = MemoryExchange::Outcome;
        switch (report.outcome) {
            case Outcome::Listed:
            case Outcome::Short:
            case Outcome::Lost:
                if (MemoryWindow* window = ShownMemoryWindow()) window->ShowSets(report.sets);
                if (showTime_) showTime_();
                if (report.outcome != Outcome::Listed)
                    Dialogs::Current().Message(
                        QString(report.outcome == Outcome::Short
                                    ? "The meter's memory was shorter than it announced: %1 of %2 bytes came. "
                                    : "The meter stopped answering during the download: %1 of %2 bytes came. ")
                            .arg(report.memory.size())
                            .arg(report.announced) +
                        "The data sets that came are listed.");
                break;
            case Outcome::NoData:
                Dialogs::Current().Message("No Data in Memory");
                break;
            case Outcome::NoAnswer:
                // Closed, so that "Memory" can try again at once.
                Forms::Unload(WindowNames::Memory);
                Dialogs::Current().Message("No answer from the meter, try again!");
                break;
            case Outcome::Stopped:
                break;
        }
        deleteLater();
    }

    MeterLink& link_;
    std::function<void()> showTime_;
    std::optional<HourglassGuard> hourglass_{std::in_place};
};

// The start time of a data set's recording as the user types it; nothing when the user gives no
// answer, or one the set cannot start from.
std::optional<int> AskStartTime() {
    for (;;) {
        const QString answer = Dialogs::Current().InputBox("Enter the STARTING TIME of recording\r\n (hh:nn:ss) ",
                                                           "Input Starting Time", Clock::Current().TimeText());
        if (answer.isEmpty()) return std::nullopt;
        const Logger::StartTime start = Logger::ParseStartTime(answer.toStdString());
        switch (start.status) {
            case Logger::StartTime::Status::Ok:
                return start.seconds;
            case Logger::StartTime::Status::OneColon:
            case Logger::StartTime::Status::NotATime:
                return std::nullopt;
            case Logger::StartTime::Status::NoColon:
                Dialogs::Current().Message("Invalid, comply with the data format properly\r\n");
                break;
        }
    }
}

}  // namespace

bool StartMemoryDownload(MeterLink& link, QObject& owner, std::function<void()> showTime) {
    if (Forms::IsShown(WindowNames::Memory) || !link.MeterOnline() || link.Downloading()) return false;
    DataLogger::Instance().DownloadStarted();
    new MemoryDownload(link, owner, std::move(showTime));
    link.Download();
    return true;
}

void OpenDataSet(int setNumber) {
    for (bool dual : {true, false}) Forms::Unload(ListWindow::NameOf(ListWindow::Kind::Data, dual));
    const std::optional<std::vector<std::uint8_t>> set = Logger::CutSet(DataLogger::Instance().MemoryImage(), setNumber);
    if (!set) return;
    const std::optional<int> start = AskStartTime();
    if (!start) return;

    // The set is listed in the layout of its own records, whatever meter is attached now.
    const bool dual = Logger::IsTwoChannelSet(*set);
    auto* list = Forms::GetAs<ListWindow>(ListWindow::NameOf(ListWindow::Kind::Data, dual));
    if (!list) return;
    list->show();
    const QPointer<FormWindow> window(list);
    const long records = Logger::SetRecordCount(*set);
    CaptionProgress progress(*list, QStringLiteral(" Records Completed"));
    for (long i = 1; i <= records; ++i) {
        list->AppendRow(Logger::SetRow(*set, i, *start, dual));
        if (progress.Due()) {
            progress.Show(i);
            EventPump::ProcessEvents();
            if (FormWindow::IsGone(window)) return;
        }
    }
}
