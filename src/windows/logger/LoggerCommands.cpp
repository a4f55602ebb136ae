#include "windows/logger/LoggerCommands.h"

#include <QElapsedTimer>
#include <QPointer>
#include <optional>

#include "acquisition/AcquisitionPause.h"
#include "logger/DataLogger.h"
#include "logger/LoggerFormat.h"
#include "logger/MemoryExchange.h"
#include "meter/Meter.h"
#include "serial/EventHooks.h"
#include "serial/Rs232_API.h"
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

// The meter's line as the main window's port table holds it; waits let events run.
class PortTableLine : public MemoryExchange::Line {
public:
    void Send(std::uint8_t command) override { Rs232_API::SendBytes({command}); }
    std::vector<std::uint8_t> Take() override {
        Rs232_API::ReceiveBytes();
        const int index = Rs232_API::CurrentPortIndex();
        if (index < 1 || index > Rs232_API::MaxOpenPorts) return {};
        std::vector<std::uint8_t> taken = std::move(Rs232_API::OpenPorts(index).receiveBuffer);
        Rs232_API::ClearReceiveBuffer();
        return taken;
    }
    void Wait(double seconds) override {
        EventHooks::ProcessEvents();
        EventHooks::Delay(seconds);
    }
    void Flush() override {
        const int index = Rs232_API::CurrentPortIndex();
        if (index >= 1 && index <= Rs232_API::MaxOpenPorts)
            Rs232_API::PortDriver().CommFlush(Rs232_API::OpenPorts(index).number);
        Rs232_API::ClearReceiveBuffer();
    }
};

// After a download the poll cycle resumes: the meter's live stream is given time to settle first.
void WaitForLiveStream() {
    QElapsedTimer waited;
    waited.start();
    while (Rs232_API::ReceiveBytes() < 9 && waited.elapsed() < 2000) EventHooks::Delay(0.05);
    Rs232_API::ClearReceiveBuffer();
    EventHooks::Delay(1.5);
}

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
                return std::nullopt;
            case Logger::StartTime::Status::NoColon:
                Dialogs::Current().Message("Invalid, comply with the data format properly\r\n");
                break;
        }
    }
}

}  // namespace

void StartMemoryDownload(const std::function<void()>& showTime) {
    DataLogger& logger = DataLogger::Instance();
    if (Forms::IsShown(WindowNames::Memory) || !Meter::Current().MeterOnline || logger.Downloading()) return;
    const int index = Rs232_API::CurrentPortIndex();
    if (index < 1 || index > Rs232_API::MaxOpenPorts) return;
    AcquisitionPause pause(AcquisitionPause::LivePolling);
    std::optional<HourglassGuard> hourglass(std::in_place);
    logger.DownloadStarted();
    // Let a poll cycle that was collecting finish before the line is ours.
    EventHooks::Delay(1.0);
    QElapsedTimer elapsed;
    elapsed.start();

    // Closing the main window ends the program, and the download with it; once "Data Logger" is
    // shown, closing it ends the download too.
    bool windowShown = false;
    long announced = 0;
    std::size_t came = 0;
    PortTableLine line;
    MemoryExchange exchange(
        line,
        {.showWindow =
             [&windowShown](long used) {
                 windowShown = true;
                 if (auto* window = Forms::GetAs<MemoryWindow>(WindowNames::Memory)) {
                     window->show();
                     window->ShowRemained(used);
                 }
             },
         .showProgress =
             [](const std::string& text) {
                 if (MemoryWindow* window = ShownMemoryWindow()) window->ShowProgress(QString::fromStdString(text));
             },
         .carryOn = [&windowShown] { return Forms::Find(WindowNames::Panel) && (!windowShown || ShownMemoryWindow()); },
         .showSets =
             [&](const std::vector<std::uint8_t>& memory, const std::vector<Logger::DataSet>& sets, long used) {
                 DataLogger::Instance().MemoryRead(memory);
                 announced = used;
                 came = memory.size();
                 if (MemoryWindow* window = ShownMemoryWindow()) window->ShowSets(sets);
             },
         .transferDone = [&hourglass] { hourglass.reset(); },
         .showTime = showTime},
        [elapsed] { return elapsed.elapsed() / 1000.0; });

    const MemoryExchange::Outcome outcome = exchange.Run();
    logger.DownloadEnded();
    switch (outcome) {
        case MemoryExchange::Outcome::Short:
            WaitForLiveStream();
            Dialogs::Current().Message(QString("The meter's memory was shorter than it announced: %1 of %2 bytes "
                                               "came. The data sets that came are listed.")
                                           .arg(came)
                                           .arg(announced));
            break;
        case MemoryExchange::Outcome::NoData:
            Dialogs::Current().Message("No Data in Memory");
            break;
        case MemoryExchange::Outcome::NoAnswer:
            // Closed, so that "Memory" can try again at once.
            Forms::Unload(WindowNames::Memory);
            Dialogs::Current().Message("No answer from the meter, try again!");
            break;
        case MemoryExchange::Outcome::Listed:
            WaitForLiveStream();
            break;
        case MemoryExchange::Outcome::Stopped:
            break;
    }
}

void OpenDataSet(int setNumber) {
    AcquisitionPause pause(AcquisitionPause::LivePolling);
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
