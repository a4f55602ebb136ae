#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <vector>

#include "ListFixture.h"
#include "acquisition/PcRecording.h"
#include "windows/records/ListPrinting.h"

namespace {

// The text of a PDF as pdftotext lays it out.
QString PdfText(const QString& path) {
    QProcess process;
    process.start("pdftotext", {"-layout", path, "-"});
    if (!process.waitForFinished(120000)) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

bool Print(ListWindow& list) {
    return ListPrinting::PrintList(list, list.Records());
}

class ListPrintingTest : public ListFixture {
protected:
    ListWindow* ListWithRows(bool dual, const QStringList& rows) {
        ListWindow* list = OpenList(dual);
        for (const QString& row : rows) list->AddSampleRow(row);
        return list;
    }
    QString pdf() const { return TempPath("list.pdf"); }
};

// The printed page, line by line, each line as the texts between its blanks (joined by '|').
TEST_F(ListPrintingTest, TwoChannelPrintHasTitleRuleAndRowsInOrder) {
    ListWindow* list = ListWithRows(true, {"1\t14:03:07\t23.5\t21.0\t2.5\tC", "2\t14:03:09\t23.6\tOL\t----\tC",
                                           "3\t14:03:11\t-40.0\t1372.0\t-1412.0\tK"});
    dialogs.QueuePrintToPdf(pdf());
    Child<Toolbar>(list, "Toolbar1")->Trigger("Print");

    std::vector<std::string> printed;
    for (const QString& line : PdfText(pdf()).split('\n')) {
        const QStringList texts = line.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        if (!texts.isEmpty()) printed.push_back(texts.join('|').toStdString());
    }
    const std::vector<std::string> expected = {
        "No.s|Time|T1|T2|T1-T2|Unit",
        std::string(64, '-'),
        "1|14:03:07|23.5|21.0|2.5|C",
        "2|14:03:09|23.6|OL|----|C",
        "3|14:03:11|-40.0|1372.0|-1412.0|K",
    };
    EXPECT_EQ(printed, expected);
    EXPECT_EQ(list->Caption(), "Real Time List");
}

TEST_F(ListPrintingTest, OneChannelRowsAreRightAlignedUnderTheirTitles) {
    ListWindow* list = ListWithRows(false, {"1\t09:05:03\t23.5\tC", "12345\t09:05:05\t-OL\tF"});
    dialogs.QueuePrintToPdf(pdf());
    Child<Toolbar>(list, "Toolbar1")->Trigger("Print");

    const QStringList lines = PdfText(pdf()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[0].contains(QRegularExpression("No\\.s +Time +Value +Unit"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(QString(31, '-'))) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].contains(QRegularExpression("1 +09:05:03 +23\\.5 +C"))) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].contains(QRegularExpression("12345 +09:05:05 +-OL +F"))) << lines[3].toStdString();
}

TEST_F(ListPrintingTest, EmptyListPrintsTitleAndRuleOnly) {
    for (bool dual : {true, false}) {
        SCOPED_TRACE(dual ? "two channels" : "one channel");
        ListWindow* list = OpenList(dual);
        dialogs.QueuePrintToPdf(pdf());
        EXPECT_TRUE(Print(*list));
        const QStringList lines = PdfText(pdf()).split('\n', Qt::SkipEmptyParts);
        QStringList printed;
        for (const QString& line : lines) {
            if (!line.trimmed().isEmpty()) printed << line.trimmed();
        }
        ASSERT_EQ(printed.size(), 2) << printed.join('|').toStdString();
        EXPECT_TRUE(printed[0].startsWith("No.s"));
        EXPECT_TRUE(printed[1].startsWith("-----"));
    }
}

// Both layouts show the busy pointer from before the printer dialog to the end of the print,
// whether the dialog is confirmed or cancelled.
TEST_F(ListPrintingTest, BusyPointerFromThePrinterDialogOn) {
    const auto busy = [] {
        return QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor;
    };
    bool busyAtDialog = false;
    dialogs.SetOnCall([&](const DialogCall& call) {
        if (call.kind == DialogCall::Kind::Print) busyAtDialog = busy();
    });
    for (bool dual : {true, false}) {
        for (bool cancel : {false, true}) {
            SCOPED_TRACE(testing::Message()
                         << (dual ? "two channels" : "one channel") << (cancel ? ", cancelled" : ""));
            ListWindow* list =
                ListWithRows(dual, {dual ? "1\t14:03:07\t23.5\t21.0\t2.5\tC" : "1\t09:05:03\t23.5\tC"});
            if (cancel) {
                dialogs.QueuePrintCancel();
            } else {
                dialogs.QueuePrintToPdf(pdf());
            }
            busyAtDialog = false;
            EXPECT_EQ(Print(*list), !cancel);
            EXPECT_TRUE(busyAtDialog);
            EXPECT_EQ(QApplication::overrideCursor(), nullptr);
            Forms::Unload(list->Name());
        }
    }
}

// Printing holds nothing up: while the Print dialog is open the meter is read, samples are taken
// and recorded, and rows join the list; the print is the list as it was when Print was pressed.
TEST_F(ListPrintingTest, AcquisitionGoesOnWhileTheListPrintsWhatItHadWhenPressed) {
    // The meter's T1 rises by 0.1 every tenth of a second: records of frames a second apart differ.
    QFile script(TempPath("ramp.txt"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    for (int tenth = 1; tenth <= 1200; ++tenth) {
        const int t1 = 1000 + tenth;
        script.write(QStringLiteral("%1.%2 t1 %3.%4\n")
                         .arg(tenth / 10)
                         .arg(tenth % 10)
                         .arg(t1 / 10)
                         .arg(t1 % 10)
                         .toUtf8());
    }
    script.close();
    ASSERT_TRUE(StartLinkOnMeter({"--t1", "100.0", "--script", TempPath("ramp.txt").toStdString()}));
    ListWindow* list = OpenListFromPanel();
    ASSERT_NE(list, nullptr);
    ProgramLink().StartRecording(TempPath("rec.txt").toStdString());
    ASSERT_TRUE(PumpUntil([] { return ProgramLink().Recording(); }));
    ASSERT_TRUE(PumpUntil([&] { return list->ListGrid().Rows() > 2; }));

    const QStringList pressed = Rows(list);
    SampleWatch watch;
    std::vector<MeterLink::Sample> recordedWhileOpen;
    dialogs.SetOnCall([&](const DialogCall& call) {
        if (call.kind != DialogCall::Kind::Print) return;
        const auto written = [&] {
            recordedWhileOpen.clear();
            for (const MeterLink::Sample& s : watch.samples)
                if (s.recording == PcRecording::Result::Written) recordedWhileOpen.push_back(s);
            return recordedWhileOpen.size() >= 3;
        };
        PumpUntil(written);
    });
    dialogs.QueuePrintToPdf(pdf());
    Child<Toolbar>(list, "Toolbar1")->Trigger("Print");

    ASSERT_GE(recordedWhileOpen.size(), 3u) << "samples were recorded while the dialog was open";
    EXPECT_GE(Rows(list).size(), pressed.size() + 3) << "and joined the list";
    const auto t1 = [](const MeterLink::Sample& s) {
        return QString::fromStdString(s.reading.T1Value.Text()).toDouble();
    };
    for (size_t i = 1; i < recordedWhileOpen.size(); ++i)
        EXPECT_GE(t1(recordedWhileOpen[i]), t1(recordedWhileOpen[i - 1])) << recordedWhileOpen[i].line;
    EXPECT_GT(t1(recordedWhileOpen.back()), t1(recordedWhileOpen.front()))
        << "the records are fresh readings";

    ProgramLink().StopRecording();
    ASSERT_TRUE(PumpUntil([] { return !ProgramLink().Recording(); }));
    const QByteArray recorded = ReadAll(TempPath("rec.txt"));
    for (const MeterLink::Sample& s : recordedWhileOpen) {
        EXPECT_TRUE(recorded.contains(QByteArray::number(static_cast<qlonglong>(s.recordCount)) + "\t" +
                                      QByteArray::fromStdString(s.line)))
            << s.line;
    }

    // The printed rows are exactly the rows of the moment Print was pressed.
    const QString text = PdfText(pdf());
    const QRegularExpression row("^\\s*(\\d+)\\s+(\\d\\d:\\d\\d:\\d\\d)\\s");
    QStringList printed;
    for (const QString& line : text.split('\n')) {
        const QRegularExpressionMatch match = row.match(line);
        if (match.hasMatch()) printed << match.captured(1) + '\t' + match.captured(2);
    }
    QStringList expected;
    for (const QString& r : pressed) expected << r.section('\t', 0, 1);
    EXPECT_EQ(printed.join(" | ").toStdString(), expected.join(" | ").toStdString());
}

// Events run while the rows print: the caption counts the rows and a second print is refused.
TEST_F(ListPrintingTest, WhilePrintingEventsRunAndNothingNests) {
    QStringList rows;
    for (int n = 1; n <= 300; ++n) rows << QStringLiteral("%1\t10:00:00\t1.0\t2.0\t-1.0\tC").arg(n);
    ListWindow* list = ListWithRows(true, rows);

    bool ranDuringPrint = false, nestedResult = true;
    QString captionDuring;
    dialogs.SetOnCall([&](const DialogCall& call) {
        if (call.kind != DialogCall::Kind::Print || ranDuringPrint) return;
        QTimer::singleShot(0, list, [&] {
            ranDuringPrint = true;
            captionDuring = list->Caption();
            nestedResult = ListPrinting::PrintList(*list, list->Records());
        });
    });
    dialogs.QueuePrintToPdf(pdf());
    EXPECT_TRUE(Print(*list));
    ASSERT_TRUE(ranDuringPrint) << "events must run during the print";
    EXPECT_FALSE(nestedResult);
    EXPECT_EQ(dialogs.Count(DialogCall::Kind::Print), 1u);
    EXPECT_TRUE(captionDuring.contains(QRegularExpression("^\\d+ record\\(s\\) completed$")))
        << captionDuring.toStdString();
    EXPECT_EQ(list->Caption(), "Real Time List");
    EXPECT_EQ(PdfText(pdf()).count(QRegularExpression("10:00:00")), 300);
}

TEST_F(ListPrintingTest, WindowClosedDuringThePrintEndsIt) {
    QStringList rows;
    for (int n = 1; n <= 300; ++n) rows << QStringLiteral("%1\t10:00:00\t1.0\t2.0\t-1.0\tC").arg(n);
    QPointer<ListWindow> list = ListWithRows(true, rows);
    list->show();
    dialogs.SetOnCall([&](const DialogCall&) {
        QTimer::singleShot(0, list, [&] {
            list->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        });
    });
    dialogs.QueuePrintToPdf(pdf());
    EXPECT_FALSE(Print(*list));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(list.isNull());
}

// The sampling tick closes the list (a channel change, the row limit) while its printer dialog is
// open; the dialog's event loop destroys the window. The print ends without touching it.
TEST_F(ListPrintingTest, ListClosedWhileItsPrinterDialogIsOpenPrintsNothing) {
    for (bool dual : {true, false}) {
        SCOPED_TRACE(dual ? "List2" : "List1");
        QPointer<ListWindow> list = ListWithRows(dual, {dual ? "1\t14:03:07\t23.5\t21.0\t2.5\tC" : "1\t14:03:07\t23.5\tC"});
        dialogs.SetOnCall([&](const DialogCall& call) {
            if (call.kind != DialogCall::Kind::Print) return;
            Forms::Unload(list->Name());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        });
        dialogs.QueuePrintToPdf(pdf());
        EXPECT_FALSE(Print(*list));
        EXPECT_TRUE(list.isNull());
        EXPECT_FALSE(QFileInfo::exists(pdf()));
    }
}

TEST_F(ListPrintingTest, UnwritableOutputFailsAndRestoresTheCaption) {
    ListWindow* list = ListWithRows(false, {"1\t09:05:03\t23.5\tC"});
    dialogs.QueuePrintToPdf(TempPath("no-such-folder/list.pdf"));
    EXPECT_FALSE(Print(*list));
    EXPECT_EQ(list->Caption(), "Real Time List");
}

}  // namespace
