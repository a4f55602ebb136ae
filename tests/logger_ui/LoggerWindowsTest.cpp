#include <gtest/gtest.h>

#include <QAccessible>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <optional>

#include "FileText.h"
#include "ProgramState.h"
#include "QtPrinters.h"
#include "ScriptedDialogs.h"
#include "SimulatedMeter.h"
#include "TempPortsDir.h"
#include "Widgets.h"
#include "app/Windows.h"
#include "graphs/ListPlot.h"
#include "logger/DataLogger.h"
#include "logger/LoggerFormat.h"
#include "meter/Meter.h"
#include "serial/Rs232_API.h"
#include "ui/EventPump.h"
#include "ui/Forms.h"
#include "ui/Grid.h"
#include "ui/Toolbar.h"
#include "windows/logger/LoggerCommands.h"
#include "windows/logger/MemoryWindow.h"
#include "windows/panel/Panel.h"
#include "windows/records/ListWindow.h"

namespace {

constexpr int Com = 3;

// The main window with the simulated meter and its logger memory behind it on COM 3.
class LoggerWindowsTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        Dialogs::Install(&dialogs);
        RegisterWindows(ProgramLink());
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("USERPROFILE", home.path().toLocal8Bit());
    }
    void TearDown() override {
        ResetProgramState();
        if (meter) meter->Stop();
    }

    Panel* OpenPanelWithMeter(std::vector<std::string> args) {
        meter = std::make_unique<SimulatedMeter>(Com, std::move(args));
        if (!meter->Start()) return nullptr;
        Rs232_API::OpenPort(Com, Rs232_API::MeterSettings);
        Rs232_API::CurrentPortIndex() = Rs232_API::OpenPortCount();
        auto* panel = Forms::GetAs<Panel>("Panel");
        if (!PumpUntil([] { return MeterReading()->MeterOnline; })) return nullptr;
        return panel;
    }

    static bool PollingRuns() { return Child<QTimer>(Forms::Find("Panel"), "Timer1")->isActive(); }
    static QString MemoryText(const char* label) { return Child<QLabel>(Forms::Find("Memory"), label)->text(); }

    TempPortsDir ports;
    QTemporaryDir home;
    ScriptedDialogs dialogs;
    std::unique_ptr<SimulatedMeter> meter;
};

// Memory, then a click on a set: the size is asked again when a live frame comes back first, the
// sets are listed, the set becomes a stamped data list that saves as a record file, and live
// polling runs again after each step.
TEST_F(LoggerWindowsTest, DownloadListOpenASetAndSaveIt) {
    Panel* panel = OpenPanelWithMeter(
        {"--channels", "2", "--sets", "10:3,2:5", "--baud", "9600", "--frame-before-answers", "1"});
    ASSERT_NE(panel, nullptr);
    // A second press while the exchange runs (before its window shows) must not start another.
    QTimer::singleShot(500, [panel] { Child<Toolbar>(panel, "Toolbar1")->Trigger("Memory"); });
    Child<Toolbar>(panel, "Toolbar1")->Trigger("Memory");

    auto* memory = Forms::FindAs<MemoryWindow>("Memory");
    ASSERT_NE(memory, nullptr);
    EXPECT_EQ(memory->Caption(), "Data Logger");
    EXPECT_EQ(MemoryText("LblSize"), "62.0 K");
    EXPECT_EQ(MemoryText("LblRemain"), "60.6 K");  // (62083 - 66) / 1024
    QAccessibleInterface* remained =
        QAccessible::queryAccessibleInterface(Child<QLabel>(memory, "LblRemain"));
    EXPECT_EQ(remained->text(QAccessible::Name), "60.6 K") << "a screen reader reads the figure";
    EXPECT_EQ(remained->text(QAccessible::Description), "Remained");
    EXPECT_EQ(MemoryText("LblMessage"), "100.0% Completed");
    Grid* sets = Child<Grid>(memory, "GridSet");
    ASSERT_EQ(sets->Rows(), 3);
    EXPECT_EQ(sets->RowText(0, '|'), "Set|Sampling|Records");
    EXPECT_EQ(sets->RowText(1, '|'), "1|10|3");
    EXPECT_EQ(sets->RowText(2, '|'), "2|2|5");
    EXPECT_TRUE(PollingRuns());

    const CurrentReading live = ProgramLink().Reading();
    dialogs.QueueInput("23:59:58");
    sets->SetRow(2);
    memory->GridSet_Click();
    EXPECT_EQ(ProgramLink().Reading().T1Value, live.T1Value) << "the records are not live readings";
    auto* list = Forms::FindAs<ListWindow>("DataList2");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Caption(), "Data List");
    ASSERT_EQ(list->ListGrid().Rows(), 6);
    const QStringList times = {"23:59:58", "00:00:00", "00:00:02", "00:00:04", "00:00:06"};
    for (int row = 1; row <= 5; ++row) {
        EXPECT_EQ(list->ListGrid().TextMatrix(row, 0), QString::number(row));
        EXPECT_EQ(list->ListGrid().TextMatrix(row, 1), times[row - 1]);
        EXPECT_EQ(list->ListGrid().TextMatrix(row, 5), "C");
    }
    EXPECT_TRUE(PollingRuns());
    const DialogCall& prompt = dialogs.Calls().front();
    EXPECT_EQ(prompt.text, "Enter the STARTING TIME of recording\r\n (hh:nn:ss) ");
    EXPECT_EQ(prompt.title, "Input Starting Time");

    const QString file = home.filePath("set2");
    dialogs.QueueFile(file);
    Child<Toolbar>(list, "Toolbar1")->Trigger("Save");
    const std::string saved = FileText((file + ".txt").toStdString());
    ASSERT_FALSE(saved.empty());
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 6);
    EXPECT_NE(saved.find("\r\n5\t00:00:06\t"), std::string::npos) << saved;

    const QString pdf = home.filePath("set2.pdf");
    dialogs.QueuePrintToPdf(pdf);
    Child<Toolbar>(list, "Toolbar1")->Trigger("Print");
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(text.readAllStandardOutput()).count(QRegularExpression("\\d\\d:\\d\\d:\\d\\d")), 5);
    EXPECT_TRUE(PollingRuns());

    // The data set plotted: from this list, in the unit of its first record.
    Child<Toolbar>(list, "Toolbar1")->Trigger("Plot");
    EXPECT_NE(Forms::Find("ListPlot1"), nullptr);
    EXPECT_TRUE(ListPlot::Instance().Records().SharesRowsWith(list->Records())) << "a snapshot of this list";
    EXPECT_EQ(ListPlot::Instance().Unit(), "C");
    EXPECT_EQ(ListPlot::Instance().RecordCount(), 5);
}

// A set recorded by a one-channel meter, opened while a two-channel meter is attached, lists in
// the one-channel layout and plots one curve.
TEST_F(LoggerWindowsTest, OneChannelSetOnATwoChannelMeterKeepsItsLayout) {
    Panel* panel = OpenPanelWithMeter({"--channels", "2", "--sets", "2:6:1C"});
    ASSERT_NE(panel, nullptr);
    Child<Toolbar>(panel, "Toolbar1")->Trigger("Memory");
    auto* memory = Forms::FindAs<MemoryWindow>("Memory");
    ASSERT_NE(memory, nullptr);
    dialogs.QueueInput("10:00:00");
    Child<Grid>(memory, "GridSet")->SetRow(1);
    memory->GridSet_Click();

    EXPECT_EQ(Forms::Find("DataList2"), nullptr);
    auto* list = Forms::FindAs<ListWindow>("DataList1");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Records().Rows(), 6);
    EXPECT_EQ(list->ListGrid().Cols(), 4);
    for (long row = 1; row <= 6; ++row) EXPECT_FALSE(list->Records().Cell(row, 2).empty()) << row;
    EXPECT_EQ(list->Records().Cell(1, 3), "C");

    Child<Toolbar>(list, "Toolbar1")->Trigger("Plot");
    EXPECT_FALSE(ListPlot::Instance().TwoChannels()) << "one curve";
    EXPECT_EQ(ListPlot::Instance().RecordCount(), 6);
}

TEST_F(LoggerWindowsTest, EmptyLoggerSaysSoAndPollingGoesOn) {
    const QString empty = home.filePath("empty.bin");
    QFile(empty).open(QIODevice::WriteOnly);
    Panel* panel = OpenPanelWithMeter({"--channels", "1", "--memory", empty.toStdString()});
    ASSERT_NE(panel, nullptr);
    Child<Toolbar>(panel, "Toolbar1")->Trigger("Memory");
    EXPECT_EQ(dialogs.Messages(), std::vector<QString>{"No Data in Memory"});
    EXPECT_FALSE(Forms::IsShown("Memory"));
    EXPECT_TRUE(PollingRuns());
}

// The meter claims more than it sends, as after a set cut short by a power loss, and goes back to
// its live frames: what came is kept and listed, none of the frames with it, and the user is told.
TEST_F(LoggerWindowsTest, ShortDumpListsWhatCame) {
    Panel* panel = OpenPanelWithMeter({"--channels", "2", "--sets", "5:20", "--baud", "9600", "--dump-short", "70"});
    ASSERT_NE(panel, nullptr);
    Child<Toolbar>(panel, "Toolbar1")->Trigger("Memory");
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].startsWith("The meter's memory was shorter than it announced: 146 of 215 bytes"));
    EXPECT_TRUE(Forms::IsShown("Memory"));
    const std::vector<Logger::DataSet> sets = Logger::ListSets(DataLogger::Instance().MemoryImage());
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_EQ(sets[0].records, 20);
    EXPECT_TRUE(PollingRuns());
}

// The start time is asked again after an answer without a colon; one colon, or Cancel, ends the
// opening without a list.
TEST_F(LoggerWindowsTest, StartTimePrompt) {
    struct Case {
        const char* name;
        std::vector<std::optional<QString>> answers;  // nullopt: Cancel
        std::size_t invalidMessages;
        bool listOpened;
    };
    const Case cases[] = {
        {"NoColonThenATime", {"12.30.00", "08:00:00"}, 1, true},
        {"NoColonThenOneColon", {"1230", "12:30"}, 1, false},
        {"OneColon", {"12:30"}, 0, false},
        {"Cancel", {std::nullopt}, 0, false},
    };
    const std::vector<std::uint8_t> record = {0x00, 0x00, 0xFA, 0xFF, 0x00, 0x00, 0x00};
    std::vector<std::uint8_t> memory = {0x00, 0x55, 0xAA, 0x00, 10};
    for (int i = 0; i < 2; ++i) memory.insert(memory.end(), record.begin(), record.end());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataLogger::Instance().MemoryRead(memory);
        dialogs.ClearCalls();
        for (const auto& answer : c.answers) answer ? dialogs.QueueInput(*answer) : dialogs.QueueInputCancel();
        OpenDataSet(1);
        EXPECT_EQ(dialogs.Count(DialogCall::Kind::Input), c.answers.size());
        EXPECT_EQ(
            dialogs.Messages(),
            std::vector<QString>(c.invalidMessages, "Invalid, comply with the data format properly\r\n"));
        EXPECT_EQ(Forms::IsShown("DataList1"), c.listOpened);
        Forms::Unload("DataList1");
    }
}

// The user closes "Data Logger" while the memory arrives: the transfer ends, nothing touches the
// closed window, and the live readings come back.
TEST_F(LoggerWindowsTest, ClosingDataLoggerDuringTheTransferEndsIt) {
    Panel* panel = OpenPanelWithMeter({"--channels", "2", "--sets", "5:800", "--baud", "9600"});
    ASSERT_NE(panel, nullptr);
    QTimer::singleShot(2500, [] {
        if (QWidget* memory = Forms::Find("Memory")) memory->close();
    });
    Child<Toolbar>(panel, "Toolbar1")->Trigger("Memory");
    EXPECT_EQ(Forms::Find("Memory"), nullptr);
    EXPECT_TRUE(PollingRuns());
    EXPECT_TRUE(DataLogger::Instance().MemoryImage().empty());
    MeterReading()->MeterOnline = false;
    EXPECT_TRUE(PumpUntil([] { return ProgramLink().Reading().MeterOnline; }, 15)) << "live frames come back";
}

}  // namespace
