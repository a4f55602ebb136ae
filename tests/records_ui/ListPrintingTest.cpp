#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

#include "ListFixture.h"
#include "ui/Toolbar.h"
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

TEST_F(ListPrintingTest, TwoChannelPrintHasTitleRuleAndRowsInOrder) {
    ListWindow* list = ListWithRows(true, {"1\t14:03:07\t23.5\t21.0\t2.5\tC", "2\t14:03:09\t23.6\tOL\t----\tC",
                                           "3\t14:03:11\t-40.0\t1372.0\t-1412.0\tK"});
    dialogs.QueuePrintToPdf(pdf());
    Child<Toolbar>(list, "Toolbar1")->Trigger("Print");

    const QString text = PdfText(pdf());
    const QStringList lines = text.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 5) << text.toStdString();
    EXPECT_TRUE(lines[0].contains(QRegularExpression("No\\.s +Time +T1 +T2 +T1-T2 +Unit"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].contains(QString(64, '-')));
    EXPECT_TRUE(lines[2].contains(QRegularExpression("1 +14:03:07 +23\\.5 +21\\.0 +2\\.5 +C"))) << text.toStdString();
    EXPECT_TRUE(lines[3].contains(QRegularExpression("2 +14:03:09 +23\\.6 +OL +---- +C"))) << lines[3].toStdString();
    EXPECT_TRUE(lines[4].contains(QRegularExpression("3 +14:03:11 +-40\\.0 +1372\\.0 +-1412\\.0 +K"))) << lines[4].toStdString();
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

struct TimerCase {
    bool timer1;
    bool timer2;
    bool cancel;
};

TEST_F(ListPrintingTest, MainTimersRestAndComeBackAsTheyWere) {
    ASSERT_NE(OpenPanelWithTimers(true, true), nullptr);
    const TimerCase cases[] = {{true, true, true},  {true, true, false}, {true, false, false},
                               {false, true, true}, {false, false, false}};
    for (bool dual : {true, false}) {
        ListWindow* list = ListWithRows(dual, {dual ? "1\t14:03:07\t23.5\t21.0\t2.5\tC" : "1\t14:03:07\t23.5\tC"});
        for (const TimerCase& c : cases) {
            SCOPED_TRACE(testing::Message() << "dual " << dual << " timer1 " << c.timer1 << " timer2 " << c.timer2
                                            << " cancel " << c.cancel);
            OpenPanelWithTimers(c.timer1, c.timer2);
            bool anyRunningInDialog = false;
            dialogs.SetOnCall([&](const DialogCall&) {
                anyRunningInDialog = TimerActive("Timer1") || TimerActive("Timer2");
            });
            c.cancel ? dialogs.QueuePrintCancel() : dialogs.QueuePrintToPdf(pdf());
            EXPECT_EQ(Print(*list), !c.cancel);
            EXPECT_EQ(TimerActive("Timer1"), c.timer1);
            EXPECT_EQ(TimerActive("Timer2"), c.timer2);
            // The two-channel print halts them before its dialog, the one-channel print after.
            EXPECT_EQ(anyRunningInDialog, !dual && (c.timer1 || c.timer2));
            EXPECT_EQ(list->Caption(), "Real Time List");
        }
    }
}

// Events run while the rows print: a second print is refused, no timer of the main window runs,
// and a window closed meanwhile ends the print without harm.
TEST_F(ListPrintingTest, WhilePrintingTimersRestAndNothingNests) {
    OpenPanelWithTimers(true, true);
    QStringList rows;
    for (int n = 1; n <= 300; ++n) rows << QStringLiteral("%1\t10:00:00\t1.0\t2.0\t-1.0\tC").arg(n);
    ListWindow* list = ListWithRows(true, rows);

    bool ranDuringPrint = false, timersRan = true, nestedResult = true;
    QString captionDuring;
    dialogs.SetOnCall([&](const DialogCall& call) {
        if (call.kind != DialogCall::Kind::Print || ranDuringPrint) return;
        QTimer::singleShot(0, list, [&] {
            ranDuringPrint = true;
            timersRan = TimerActive("Timer1") || TimerActive("Timer2");
            captionDuring = list->Caption();
            nestedResult = ListPrinting::PrintList(*list, list->Records());
        });
    });
    dialogs.QueuePrintToPdf(pdf());
    EXPECT_TRUE(Print(*list));
    ASSERT_TRUE(ranDuringPrint) << "events must run during the print";
    EXPECT_FALSE(timersRan);
    EXPECT_FALSE(nestedResult);
    EXPECT_EQ(dialogs.Count(DialogCall::Kind::Print), 1u);
    EXPECT_TRUE(captionDuring.contains(QRegularExpression("^\\d+ record\\(s\\) completed$")))
        << captionDuring.toStdString();
    EXPECT_TRUE(TimerActive("Timer1"));
    EXPECT_TRUE(TimerActive("Timer2"));
    EXPECT_EQ(PdfText(pdf()).count(QRegularExpression("10:00:00")), 300);
}

TEST_F(ListPrintingTest, WindowClosedDuringThePrintEndsIt) {
    OpenPanelWithTimers(true, false);
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
    EXPECT_TRUE(TimerActive("Timer1"));
    EXPECT_FALSE(TimerActive("Timer2"));
}

// The sampling tick closes the list (a channel change, the row limit) while its printer dialog is
// open; the dialog's event loop destroys the window. The print ends without touching it.
TEST_F(ListPrintingTest, ListClosedWhileItsPrinterDialogIsOpenPrintsNothing) {
    OpenPanelWithTimers(true, true);
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
        EXPECT_TRUE(TimerActive("Timer1"));
        EXPECT_TRUE(TimerActive("Timer2"));
    }
}

TEST_F(ListPrintingTest, UnwritableOutputFailsAndRestoresEverything) {
    OpenPanelWithTimers(true, true);
    ListWindow* list = ListWithRows(false, {"1\t09:05:03\t23.5\tC"});
    dialogs.QueuePrintToPdf(TempPath("no-such-folder/list.pdf"));
    EXPECT_FALSE(Print(*list));
    EXPECT_TRUE(TimerActive("Timer1"));
    EXPECT_TRUE(TimerActive("Timer2"));
    EXPECT_EQ(list->Caption(), "Real Time List");
}

}  // namespace
