#include "windows/logger/LoggerCommands.h"

#include <optional>

#include "logger/DataLogger.h"
#include "logger/MemoryExchange.h"
#include "ui/MeterLink.h"
#include "ui/Dialogs.h"
#include "ui/Forms.h"
#include "ui/HourglassGuard.h"
#include "windows/WindowNames.h"
#include "windows/logger/MemoryWindow.h"

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
    MemoryDownload(MeterLink& link, DataLogger& logger, QObject& owner, std::function<void()> showTime)
        : QObject(&owner), link_(link), logger_(logger), showTime_(std::move(showTime)) {
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
        logger_.MemoryRead(report.memory);
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
    DataLogger& logger_;
    std::function<void()> showTime_;
    std::optional<HourglassGuard> hourglass_{std::in_place};
};

}  // namespace

bool StartMemoryDownload(MeterLink& link, DataLogger& logger, QObject& owner, std::function<void()> showTime) {
    if (Forms::IsShown(WindowNames::Memory) || !link.MeterOnline() || link.Downloading()) return false;
    logger.DownloadStarted();
    new MemoryDownload(link, logger, owner, std::move(showTime));
    link.Download();
    return true;
}
