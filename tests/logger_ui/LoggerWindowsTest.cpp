#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <QAccessible>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

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
#include "serial/PortNames.h"
#include "ui/MeterLink.h"
#include "ui/Forms.h"
#include "ui/Grid.h"
#include "ui/Toolbar.h"
#include "windows/records/DataListLoading.h"
#include "windows/logger/MemoryWindow.h"
#include "windows/panel/Panel.h"
#include "windows/records/ListWindow.h"

namespace {

constexpr int Com = 3;

// The test listening in on the line: the program opens COM `com`, a pseudo-terminal of the tap's,
// and every byte passes on unchanged between it and the meter's own device, while the bytes the
// program sends are kept.
class LineTap {
  public:
    LineTap(int com, const std::string& meterDevice) {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        const std::string slavePath = ptsname(master_);
        // Held open, so that the tap's side does not hang up while the program has the port closed.
        slave_ = open(slavePath.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        termios raw{};
        if (slave_ < 0 || tcgetattr(slave_, &raw) != 0) return;
        cfmakeraw(&raw);
        tcsetattr(slave_, TCSANOW, &raw);
        const std::string link = PortNames::AliasPath(com);
        std::remove(link.c_str());
        if (symlink(slavePath.c_str(), link.c_str()) != 0) return;
        meter_ = open(meterDevice.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (meter_ >= 0) relay_ = std::thread([this] { Relay(); });
    }
    ~LineTap() {
        stop_ = true;
        if (relay_.joinable()) relay_.join();
        for (int fd : {meter_, slave_, master_})
            if (fd >= 0) close(fd);
    }
    LineTap(const LineTap&) = delete;
    LineTap& operator=(const LineTap&) = delete;

    bool Listening() const { return relay_.joinable(); }
    // Everything the program has sent so far.
    std::string Sent() const {
        const std::lock_guard<std::mutex> lock(sentLock_);
        return sent_;
    }

  private:
    void Relay() {
        while (!stop_) {
            pollfd ends[2] = {{master_, POLLIN, 0}, {meter_, POLLIN, 0}};
            if (poll(ends, 2, 20) <= 0) continue;
            if (ends[0].revents & POLLIN) Pass(master_, meter_, true);
            if (ends[1].revents & POLLIN) Pass(meter_, master_, false);
        }
    }
    void Pass(int from, int to, bool fromProgram) {
        char bytes[4096];
        const ssize_t count = read(from, bytes, sizeof bytes);
        if (count <= 0) return;
        if (fromProgram) {
            const std::lock_guard<std::mutex> lock(sentLock_);
            sent_.append(bytes, static_cast<std::size_t>(count));
        }
        for (ssize_t done = 0; done < count && !stop_;) {
            const ssize_t n = write(to, bytes + done, static_cast<std::size_t>(count - done));
            if (n > 0) {
                done += n;
            } else {
                pollfd writable{to, POLLOUT, 0};
                poll(&writable, 1, 20);
            }
        }
    }

    int master_ = -1, slave_ = -1, meter_ = -1;
    std::thread relay_;
    std::atomic<bool> stop_{false};
    mutable std::mutex sentLock_;
    std::string sent_;
};

// The main window with the simulated meter and its logger memory behind it on COM 3.
class LoggerWindowsTest : public testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        Dialogs::Install(&dialogs);
        RegisterProgramWindows();
        qputenv("HOME", home.path().toLocal8Bit());
        qputenv("USERPROFILE", home.path().toLocal8Bit());
        QObject::connect(&ProgramLink(), &MeterLink::ReadingShown, &watcher,
                         [this] { readings.push_back(ProgramLink().Reading()); });
        QObject::connect(&ProgramLink(), &MeterLink::DownloadFinished, &watcher,
                         [this](const MeterLink::DownloadReport&) { ++downloadsEnded; });
    }
    void TearDown() override {
        ResetProgramState();
        tap.reset();
        if (meter) meter->Stop();
    }

    // With `listening`, the meter sits on a port of its own and the program reaches it through a
    // LineTap on COM 3.
    Panel* OpenPanelWithMeter(std::vector<std::string> args, bool listening = false) {
        meter = std::make_unique<SimulatedMeter>(listening ? Com + 10 : Com, std::move(args));
        if (!meter->Start()) return nullptr;
        if (listening) {
            tap = std::make_unique<LineTap>(Com, meter->DevicePath());
            if (!tap->Listening()) return nullptr;
        }
        ProgramLink().Start(Com);
        auto* panel = Forms::GetAs<Panel>("Panel");
        if (!PumpUntil([] { return ProgramLink().MeterOnline(); })) return nullptr;
        return panel;
    }

    // "Memory" on the main toolbar; returns once the download has ended.
    bool Download(Panel* panel) {
        const int ended = downloadsEnded;
        Child<Toolbar>(panel, "Toolbar1")->Trigger("Memory");
        return PumpUntil([&] { return downloadsEnded > ended; }, 60);
    }

    // The link shows live readings again: a frame arrives after this call.
    bool LiveReadingsGoOn() {
        const std::size_t shown = readings.size();
        return PumpUntil([&] { return readings.size() > shown && ProgramLink().MeterOnline(); });
    }

    static QString MemoryText(const char* label) { return Child<QLabel>(Forms::Find("Memory"), label)->text(); }

    TempPortsDir ports;
    QTemporaryDir home;
    ScriptedDialogs dialogs;
    std::unique_ptr<SimulatedMeter> meter;
    std::unique_ptr<LineTap> tap;
    QObject watcher;
    std::vector<CurrentReading> readings;  // each reading the main window was told to show
    int downloadsEnded = 0;
};

// Memory, pressed twice, then a click on a set: one exchange goes out, its size asked again when a
// live frame comes back first, the sets are listed, the set becomes a stamped data list that saves
// as a record file, and live readings go on after each step.
TEST_F(LoggerWindowsTest, DownloadListOpenASetAndSaveIt) {
    // Two-channel sets in C: three records every 10 s, then five every 2 s.
    const QString memoryFile = home.filePath("memory.bin");
    {
        QFile image(memoryFile);
        ASSERT_TRUE(image.open(QIODevice::WriteOnly));
        image.write(
            QByteArray("\x00\x55\xAA\x00\x0A"
                       "\x00\x00\xFA\x00\x00\x64\x00\x00\x00\xFA\x00\x00\x64\x00\x00\x00\xFA\x00\x00\x64\x00"
                       "\x00\x55\xAA\x00\x02"
                       "\x00\x00\xEB\x00\x00\xD2\x00"   // 23.5, 21.0
                       "\x80\x01\x90\x80\x00\x64\x00"   // -40.0, -10.0
                       "\x40\x00\x00\x00\x00\xD2\x00"   // T1 over range, 21.0
                       "\x00\x35\x98\x20\x00\x00\x00"   // 1372.0, T2 no reading
                       "\x00\x00\x05\x80\x00\x05\x00",  // 0.5, -0.5
                       66));
    }
    Panel* panel = OpenPanelWithMeter({"--channels", "2", "--memory", memoryFile.toStdString(), "--baud",
                                       "9600", "--frame-before-answers", "1"},
                                      true);
    ASSERT_NE(panel, nullptr);
    const std::size_t sentBefore = tap->Sent().size();
    Child<Toolbar>(panel, "Toolbar1")->Trigger("Memory");
    ASSERT_TRUE(ProgramLink().Downloading());
    ASSERT_FALSE(Forms::IsShown("Memory"));
    // A second press while the exchange runs (before its window shows) must not start another.
    ASSERT_TRUE(Download(panel));
    EXPECT_EQ(downloadsEnded, 1);
    EXPECT_TRUE(dialogs.Messages().empty());

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
    EXPECT_TRUE(LiveReadingsGoOn());

    const CurrentReading live = ProgramLink().Reading();
    dialogs.QueueInput("23:59:58");
    sets->SetRow(2);
    memory->GridSet_Click();
    EXPECT_EQ(ProgramLink().Reading().T1Value, live.T1Value) << "the records are not live readings";
    auto* list = Forms::FindAs<ListWindow>("DataList2");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Caption(), "Data List");
    const QStringList rows = {"1|23:59:58|23.5|21.0|2.5|C", "2|00:00:00|-40.0|-10.0|-30.0|C",
                              "3|00:00:02|OL|21.0|OL|C", "4|00:00:04|1372.0|----|----|C",
                              "5|00:00:06|0.5|-0.5|1.0|C"};
    ASSERT_EQ(list->ListGrid().Rows(), rows.size() + 1);
    for (int row = 1; row <= rows.size(); ++row) EXPECT_EQ(list->ListGrid().RowText(row, '|'), rows[row - 1]);
    EXPECT_TRUE(LiveReadingsGoOn());
    const DialogCall& prompt = dialogs.Calls().front();
    EXPECT_EQ(prompt.text, "Enter the STARTING TIME of recording\r\n (hh:nn:ss) ");
    EXPECT_EQ(prompt.title, "Input Starting Time");

    const QString file = home.filePath("set2");
    dialogs.QueueFile(file);
    Child<Toolbar>(list, "Toolbar1")->Trigger("Save");
    std::string saved = "No.s    Time            T1      T2      T1-T2   Unit\r\n";
    for (const QString& row : rows) saved += QString(row).replace('|', '\t').toStdString() + "\t\r\n";
    EXPECT_EQ(FileText((file + ".txt").toStdString()), saved);

    const QString pdf = home.filePath("set2.pdf");
    dialogs.QueuePrintToPdf(pdf);
    Child<Toolbar>(list, "Toolbar1")->Trigger("Print");
    QProcess text;
    text.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(text.waitForFinished(60000));
    EXPECT_EQ(QString::fromUtf8(text.readAllStandardOutput()).count(QRegularExpression("\\d\\d:\\d\\d:\\d\\d")), 5);
    EXPECT_TRUE(LiveReadingsGoOn());

    // The data set plotted: from this list, in the unit of its first record.
    Child<Toolbar>(list, "Toolbar1")->Trigger("Plot");
    EXPECT_NE(Forms::Find("ListPlot1"), nullptr);
    EXPECT_TRUE(ProgramShared().plot.Records().SharesRowsWith(list->Records())) << "a snapshot of this list";
    EXPECT_EQ(ProgramShared().plot.Unit(), "C");
    EXPECT_EQ(ProgramShared().plot.RecordCount(), 5);

    // On the line, one exchange for the two presses: "A" until the size came (the first answer
    // came after a live frame), then "U", and nothing after it.
    const std::string sent = tap->Sent().substr(sentBefore);
    EXPECT_TRUE(QRegularExpression("^AA+U+$").match(QString::fromStdString(sent)).hasMatch()) << sent;
}

// A set recorded by a one-channel meter, opened while a two-channel meter is attached, lists in
// the one-channel layout and plots one curve.
TEST_F(LoggerWindowsTest, OneChannelSetOnATwoChannelMeterKeepsItsLayout) {
    Panel* panel = OpenPanelWithMeter({"--channels", "2", "--sets", "2:6:1C"});
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(Download(panel));
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
    EXPECT_FALSE(ProgramShared().plot.TwoChannels()) << "one curve";
    EXPECT_EQ(ProgramShared().plot.RecordCount(), 6);
}

TEST_F(LoggerWindowsTest, EmptyLoggerSaysSoAndReadingsGoOn) {
    const QString empty = home.filePath("empty.bin");
    QFile(empty).open(QIODevice::WriteOnly);
    Panel* panel = OpenPanelWithMeter({"--channels", "1", "--memory", empty.toStdString()});
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(Download(panel));
    EXPECT_EQ(dialogs.Messages(), std::vector<QString>{"No Data in Memory"});
    EXPECT_FALSE(Forms::IsShown("Memory"));
    EXPECT_TRUE(LiveReadingsGoOn());
}

// The meter claims more than it sends, as after a set cut short by a power loss, and goes back to
// its live frames: what came is kept and listed, the last set marked, none of the frames with it,
// and the user is told how many of the announced memory bytes came.
TEST_F(LoggerWindowsTest, ShortDumpListsWhatCame) {
    // 26 bytes in the first set, 145 in the second.
    Panel* panel = OpenPanelWithMeter(
        {"--channels", "2", "--sets", "10:3,5:20", "--baud", "9600", "--dump-short", "70"});
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(Download(panel));
    EXPECT_EQ(dialogs.Messages(), std::vector<QString>{"The meter's memory was shorter than it announced: 171 of 241 "
                                                       "bytes came. The data sets that came are listed."});
    ASSERT_TRUE(Forms::IsShown("Memory"));
    Grid* sets = Child<Grid>(Forms::Find("Memory"), "GridSet");
    ASSERT_EQ(sets->Rows(), 3);
    EXPECT_EQ(sets->RowText(1, '|'), "1|10|3");
    EXPECT_EQ(sets->RowText(2, '|'), "2|5|20 (incomplete)");
    EXPECT_GE(sets->ColWidth(2), sets->TextWidth("20 (incomplete)")) << "the mark is not cut off";
    EXPECT_EQ(ProgramShared().logger.MemoryImage().size(), 171u);
    EXPECT_TRUE(LiveReadingsGoOn());
}

// The line hangs up in the middle of the dump (the adapter pulled out): the user is told the meter
// stopped answering, and what came is listed with the set it ended inside marked.
TEST_F(LoggerWindowsTest, DumpCutByAHangUpSaysTheMeterStoppedAnswering) {
    // The lead byte and 99 bytes of memory: the first set whole, 73 bytes of the second.
    Panel* panel = OpenPanelWithMeter(
        {"--channels", "2", "--sets", "10:3,5:20", "--baud", "9600", "--hang-up-after", "100"});
    ASSERT_NE(panel, nullptr);
    ASSERT_TRUE(Download(panel));
    EXPECT_EQ(dialogs.Messages(), std::vector<QString>{"The meter stopped answering during the download: 99 of 171 "
                                                       "bytes came. The data sets that came are listed."});
    ASSERT_TRUE(Forms::IsShown("Memory"));
    Grid* sets = Child<Grid>(Forms::Find("Memory"), "GridSet");
    ASSERT_EQ(sets->Rows(), 3);
    EXPECT_EQ(sets->RowText(1, '|'), "1|10|3");
    EXPECT_TRUE(sets->RowText(2, '|').startsWith("2|5|")) << sets->RowText(2, '|').toStdString();
    EXPECT_TRUE(sets->RowText(2, '|').endsWith(" (incomplete)")) << sets->RowText(2, '|').toStdString();
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
        ProgramShared().logger.MemoryRead(memory);
        dialogs.ClearCalls();
        for (const auto& answer : c.answers) answer ? dialogs.QueueInput(*answer) : dialogs.QueueInputCancel();
        OpenDataSet(ProgramShared().logger, 1);
        EXPECT_EQ(dialogs.Count(DialogCall::Kind::Input), c.answers.size());
        EXPECT_EQ(
            dialogs.Messages(),
            std::vector<QString>(c.invalidMessages, "Invalid, comply with the data format properly\r\n"));
        EXPECT_EQ(Forms::IsShown("DataList1"), c.listOpened);
        Forms::Unload("DataList1");
    }
}

// The user closes "Data Logger" while the memory arrives: the transfer ends, nothing touches the
// closed window, and what the meter sends after it (the rest of its dump) is never taken for a
// reading: every reading shown from the press of "Memory" on is the meter's live reading, and so
// is every record of the recording started once it is back.
TEST_F(LoggerWindowsTest, ClosingDataLoggerDuringTheTransferEndsIt) {
    // A memory whose records, laid end to end, read as live frames of another reading: status 03
    // (degrees F) at the start of each record follows type 02 at the end of the one before, so
    // "02 03 03 E7 00 03 78 02 03" is a frame of 99.9 and 88.8 F. Were any of the dump taken for a
    // frame, such a reading would show.
    const QString memoryFile = home.filePath("frames.bin");
    {
        QFile image(memoryFile);
        ASSERT_TRUE(image.open(QIODevice::WriteOnly));
        QByteArray bytes("\x00\x55\xAA\x00\x01", 5);
        for (int record = 0; record < 2500; ++record) bytes.append("\x03\x03\xE7\x00\x03\x78\x02", 7);
        image.write(bytes);
    }
    Panel* panel = OpenPanelWithMeter(
        {"--channels", "2", "--t1", "12.3", "--t2", "45.6", "--memory", memoryFile.toStdString(), "--baud", "9600"});
    ASSERT_NE(panel, nullptr);
    const auto live = [](const CurrentReading& r) {
        return r.MeterOnline && r.DualChannel && r.T1Value.Text() == "12.3" && r.T2Value.Text() == "45.6" &&
               r.UnitText == "C";
    };
    readings.clear();
    Child<Toolbar>(panel, "Toolbar1")->Trigger("Memory");
    ASSERT_TRUE(PumpUntil([] {
        const QWidget* memory = Forms::Find("Memory");
        return memory && memory->isVisible() && !MemoryText("LblMessage").isEmpty();
    })) << "the transfer is under way";
    ASSERT_TRUE(ProgramLink().Downloading());
    Forms::Find("Memory")->close();
    EXPECT_TRUE(PumpUntil([] { return !ProgramLink().Downloading(); })) << "closing the window ends the transfer";
    EXPECT_EQ(Forms::Find("Memory"), nullptr);
    EXPECT_TRUE(ProgramShared().logger.MemoryImage().empty());
    ASSERT_TRUE(PumpUntil([&] { return !readings.empty() && live(readings.back()); }, 60)) << "live frames come back";

    dialogs.QueueInput("1");
    Child<Toolbar>(panel, "Toolbar1")->Trigger("PC");
    const QString file = home.filePath("after.txt");
    dialogs.QueueFile(file);
    Child<Toolbar>(panel, "Toolbar1")->Trigger("Save");
    ASSERT_TRUE(PumpUntil([] { return ProgramLink().Recording(); }));
    ASSERT_TRUE(PumpUntil([panel] { return Child<QLabel>(panel, "LblCount")->text().toLong() >= 3; }));
    Child<Toolbar>(panel, "Toolbar1")->Trigger("Save");
    ASSERT_TRUE(PumpUntil([] { return !ProgramLink().Recording(); }));
    const QStringList records =
        QString::fromStdString(FileText(file.toStdString())).split("\r\n", Qt::SkipEmptyParts).mid(1);
    ASSERT_GE(records.size(), 3);
    for (const QString& record : records) {
        const QStringList cells = record.split('\t');
        ASSERT_EQ(cells.size(), 6) << record.toStdString();
        EXPECT_EQ(cells[2] + " " + cells[3] + " " + cells[5], "12.3 45.6 C") << record.toStdString();
    }
    for (const CurrentReading& shown : readings)
        EXPECT_TRUE(live(shown)) << shown.T1Value.Text() << " " << shown.T2Value.Text() << " " << shown.UnitText;
}

}  // namespace
