#include "windows/records/DataListLoading.h"

#include <QPointer>
#include <optional>

#include "logger/DataLogger.h"
#include "logger/LoggerFormat.h"
#include "ui/CaptionProgress.h"
#include "ui/Clock.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "windows/records/ListWindow.h"

namespace {

// The start time of a data set's recording as the user types it; nothing when the user gives no
// answer, or one the set cannot start from.
std::optional<int> AskStartTime() {
    for (;;) {
        const QString answer =
            Dialogs::Current().InputBox("Enter the STARTING TIME of recording\r\n (hh:nn:ss) ",
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

void OpenDataSet(const DataLogger& logger, int setNumber) {
    for (bool dual : {true, false}) Forms::Unload(ListWindow::NameOf(ListWindow::Kind::Data, dual));
    const std::optional<std::vector<std::uint8_t>> set = Logger::CutSet(logger.MemoryImage(), setNumber);
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
