#include <sys/resource.h>

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>
#include <cerrno>
#include <cstring>

#include "ListFixture.h"
#include "records/RecordFormat.h"
#include "ui/FormWindow.h"
#include "windows/records/RecordFile.h"

namespace {

const QByteArray Header = "No.s    Time            T1      T2      T1-T2   Unit\r\n";

// A list window that keeps every caption it was given, to follow a save's progress.
class CaptionLog : public FormWindow {
public:
    CaptionLog() : FormWindow("CaptionLog") {
        SetCaption("Data List");
    }
    RecordTable rows{RecordTable::TwoChannelColumns};
    QStringList captions;

protected:
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::WindowTitleChange) captions << Caption();
        FormWindow::changeEvent(event);
    }
};

class RecordFileTest : public ListFixture {
protected:
    // A list whose rows are the given sample rows, and RecordFilePath set as by the dialog.
    ListWindow* ListWithRows(bool dual, const QStringList& rows, const QString& path) {
        ListWindow* list = OpenList(dual);
        for (const QString& row : rows) list->AddSampleRow(row);
        ProgramLink().SavePathChosen(path.toStdString(), true);
        return list;
    }
};

struct SaveCase {
    const char* name;
    bool dual;
    QStringList rows;
    QByteArray expected;
};

TEST_F(RecordFileTest, SavedFilesAreByteExact) {
    const SaveCase cases[] = {
        {"two channels with marks", true,
         {"1\t14:03:07\t23.5\t21.0\t2.5\tC", "2\t14:03:09\tOL\t----\t-OL\tF", "3\t23:59:59\t-40.0\t1372.0\t-1412.0\tK"},
         Header + "1\t14:03:07\t23.5\t21.0\t2.5\tC\t\r\n2\t14:03:09\tOL\t----\t-OL\tF\t\r\n"
                  "3\t23:59:59\t-40.0\t1372.0\t-1412.0\tK\t\r\n"},
        {"one channel", false,
         {"1\t09:05:03\t23.5\tC", "2\t09:05:05\t-OL\tC"},
         Header + "1\t09:05:03\t23.5\tC\t\r\n2\t09:05:05\t-OL\tC\t\r\n"},
        {"header only with the first row", true, {"1\t00:00:00\t----\t----\t----\tC"},
         Header + "1\t00:00:00\t----\t----\t----\tC\t\r\n"},
        {"empty list", true, {}, ""},
    };
    for (const SaveCase& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = TempPath("list.txt");
        // An existing file is replaced, never appended to.
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old content that must go\r\n");
        old.close();

        ListWindow* list = ListWithRows(c.dual, c.rows, path);
        EXPECT_TRUE(RecordFile::SaveList(ProgramLink(), *list, list->Records()));
        EXPECT_EQ(ReadAll(path), c.expected);
        EXPECT_FALSE(ProgramLink().SavePathChosen());
        EXPECT_EQ(list->Caption(), "Real Time List");
        EXPECT_TRUE(dialogs.Messages().empty());
        list->UnloadForm();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(RecordFileTest, CaptionCountsRowsAndComesBack) {
    CaptionLog form;
    for (int n = 1; n <= 3000; ++n) form.rows.Append(QStringLiteral("%1\t10:00:00\t1.0\t2.0\t-1.0\tC").arg(n).toStdString());
    ProgramLink().SavePathChosen(TempPath("progress.txt").toStdString(), true);
    form.captions.clear();
    ASSERT_TRUE(RecordFile::SaveList(ProgramLink(), form, form.rows));

    ASSERT_GE(form.captions.size(), 2);
    EXPECT_EQ(form.captions.front(), "1Records Completed");
    EXPECT_EQ(form.captions.back(), "Data List");
    int last = 0;
    const QRegularExpression progress("^(\\d+)Records Completed$");
    for (qsizetype i = 0; i + 1 < form.captions.size(); ++i) {
        const QRegularExpressionMatch match = progress.match(form.captions[i]);
        ASSERT_TRUE(match.hasMatch()) << form.captions[i].toStdString();
        const int row = match.captured(1).toInt();
        EXPECT_GT(row, last);
        EXPECT_LE(row, 3000);
        last = row;
    }
    EXPECT_EQ(ReadAll(TempPath("progress.txt")).count("\r\n"), 3001);
}

// A list saved over a device would put a file in the device's place: refused with one message.
TEST_F(RecordFileTest, DeviceIsRefusedOnceAndTheWindowIsRestored) {
    ListWindow* list = ListWithRows(true, {"1\t14:03:07\t23.5\t21.0\t2.5\tC", "2\t14:03:09\t23.6\t21.0\t2.6\tC"},
                                    "/dev/full");
    EXPECT_FALSE(RecordFile::SaveList(ProgramLink(), *list, list->Records()));
    const auto messages = dialogs.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].contains("/dev/full")) << messages[0].toStdString();
    EXPECT_TRUE(messages[0].contains("not a regular file")) << messages[0].toStdString();
    EXPECT_TRUE(QFileInfo("/dev/full").exists() && !QFileInfo("/dev/full").isFile())
        << "the device is still there";
    EXPECT_EQ(list->Caption(), "Real Time List");
}

// A file size limit makes the disk "full" part-way through: the save stops at once with one
// message, the program is not killed for it, and the file saved before is still there, whole.
TEST_F(RecordFileTest, FailurePartWayLeavesTheEarlierFileWhole) {
    constexpr rlim_t Limit = 300;
    ListWindow* list = OpenList(true);
    for (int n = 1; n <= 200; ++n) list->AddSampleRow(QStringLiteral("%1\t10:00:00\t1.0\t2.0\t-1.0\tC").arg(n));
    const QString path = TempPath("limited.txt");
    const QByteArray earlier = Header + "1\t09:00:00\t5.0\t2.0\t3.0\tC\t\r\n";
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(earlier);
    old.close();
    const QStringList before = QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden);
    ProgramLink().SavePathChosen(path.toStdString(), true);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = Limit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool saved_ok = RecordFile::SaveList(ProgramLink(), *list, list->Records());
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_FALSE(saved_ok);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].contains(QString::fromLocal8Bit(std::strerror(EFBIG))));
    EXPECT_EQ(ReadAll(path), earlier);
    EXPECT_EQ(QFileInfo(path).dir().entryList(QDir::Files | QDir::Hidden), before)
        << "nothing left beside it";
    EXPECT_EQ(list->Caption(), "Real Time List");
}

struct NameCase {
    QString typed;
    QString written;
};

TEST_F(RecordFileTest, DialogAppliesTheTxtRuleAndOpensInTheDefaultFolder) {
    const QString folder = home.path() + "/Documents/TQ36";
    const NameCase cases[] = {
        {"Test.TXT", "Test.TXT.txt"}, {"run1", "run1.txt"}, {"data.txt", "data.txt"}, {"a.txt.bak", "a.txt.bak.txt"}};
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        dialogs.ClearCalls();
        dialogs.QueueFile(folder + "/" + c.typed);
        EXPECT_TRUE(RecordFile::ShowSaveAsDialog(ProgramLink()));
        EXPECT_TRUE(ProgramLink().SavePathChosen());
        EXPECT_EQ(QString::fromStdString(ProgramLink().RecordFilePath()), folder + "/" + c.written);

        ASSERT_EQ(dialogs.Calls().size(), 1u);
        const DialogCall& call = dialogs.Calls()[0];
        EXPECT_EQ(call.kind, DialogCall::Kind::SaveFile);
        EXPECT_EQ(call.text, folder);
        EXPECT_EQ(call.defaultText, ".txt");
        EXPECT_EQ(call.filter, "All Files (*.*)|*.*|");
    }
}

// run1.txt exists and the user types run1: the question names the file that would be replaced.
TEST_F(RecordFileTest, ReplacingAnExistingFileIsAskedForTheFinalName) {
    const QString folder = home.path() + "/Documents/TQ36";
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile old(folder + "/run1.txt");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("earlier recording\r\n");
    old.close();
    struct Case {
        QString typed;
        std::optional<bool> replace;  // the answer, or no question at all
        bool chosen;
    };
    for (const Case& c : {Case{"run1", false, false}, Case{"run1.txt", false, false}, Case{"run1", true, true},
                          Case{"run2", std::nullopt, true}}) {
        SCOPED_TRACE(c.typed.toStdString());
        dialogs.ClearCalls();
        dialogs.QueueFile(folder + "/" + c.typed);
        if (c.replace) dialogs.QueueAnswer(*c.replace);
        EXPECT_EQ(RecordFile::ShowSaveAsDialog(ProgramLink()), c.chosen);
        EXPECT_EQ(ProgramLink().SavePathChosen(), c.chosen);
        ASSERT_EQ(dialogs.Count(DialogCall::Kind::Question), c.replace ? 1u : 0u);
        if (c.replace) {
            const DialogCall& question = dialogs.Calls().back();
            EXPECT_EQ(question.text, "run1.txt already exists.\nDo you want to replace it?");
            EXPECT_EQ(question.title, "Confirm Save As");
        }
        EXPECT_EQ(ReadAll(folder + "/run1.txt"), "earlier recording\r\n");
    }
}

TEST_F(RecordFileTest, CancelOrANameWithoutTitleChoosesNothing) {
    ProgramLink().SavePathChosen("/kept/earlier.txt", true);
    dialogs.QueueFileCancel();
    EXPECT_FALSE(RecordFile::ShowSaveAsDialog(ProgramLink()));
    EXPECT_FALSE(ProgramLink().SavePathChosen());
    EXPECT_EQ(ProgramLink().RecordFilePath(), "/kept/earlier.txt");

    dialogs.QueueFile(home.path() + "/Documents/TQ36/");
    EXPECT_FALSE(RecordFile::ShowSaveAsDialog(ProgramLink()));
    EXPECT_FALSE(ProgramLink().SavePathChosen());
}

TEST_F(RecordFileTest, DefaultFolderIsCreatedWhenMissingAndKeptWhenPresent) {
    const QString folder = home.path() + "/Documents/TQ36";
    ASSERT_FALSE(QFileInfo::exists(folder));
    dialogs.QueueFileCancel();
    RecordFile::ShowSaveAsDialog(ProgramLink());
    ASSERT_TRUE(QFileInfo(folder).isDir());

    QFile marker(folder + "/earlier.txt");
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.close();
    dialogs.QueueFileCancel();
    RecordFile::ShowSaveAsDialog(ProgramLink());
    EXPECT_TRUE(QFileInfo::exists(folder + "/earlier.txt"));
    EXPECT_EQ(dialogs.Count(DialogCall::Kind::SaveFile), 2u);
}

TEST_F(RecordFileTest, FolderThatCannotBeMadeEndsWithoutADialog) {
    // A plain file where the Documents folder should be.
    QFile blocker(home.path() + "/Documents");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ProgramLink().SavePathChosen(home.path().toStdString() + "/earlier.txt", true);
    dialogs.QueueFile(home.path() + "/x.txt");

    EXPECT_FALSE(RecordFile::ShowSaveAsDialog(ProgramLink()));
    EXPECT_FALSE(ProgramLink().SavePathChosen());
    EXPECT_EQ(dialogs.Count(DialogCall::Kind::SaveFile), 0u);
    EXPECT_TRUE(dialogs.Messages().empty());
}

// The engine holds the running list while the Save dialog is open, whatever the user chooses in
// it, unless a recording runs (then the list is the user's second copy and goes on).
TEST_F(RecordFileTest, ListHoldsOnlyWhileTheDialogIsOpenAndNotWhileRecording) {
    ASSERT_TRUE(StartLinkOnMeter());
    ASSERT_NE(OpenListFromPanel(), nullptr);
    ASSERT_TRUE(PumpUntil([] { return ListStateIs(RealTimeList::State::Running); }));
    struct Case {
        const char* name;
        bool recording;
        bool cancel;
        bool held;
    };
    for (const Case& c : {Case{"file chosen", false, false, true}, Case{"cancelled", false, true, true},
                          Case{"recording", true, false, false}}) {
        SCOPED_TRACE(c.name);
        if (c.recording) {
            ProgramLink().StartRecording(TempPath("rec.txt").toStdString());
            ASSERT_TRUE(PumpUntil([] { return ProgramLink().Recording(); }));
        }
        std::optional<bool> rowWhileOpen;
        RealTimeList::State stateWhileOpen = RealTimeList::State::Closed;
        dialogs.SetOnCall([&](const DialogCall& call) {
            if (call.kind != DialogCall::Kind::SaveFile) return;
            SampleWatch watch;
            if (const MeterLink::Sample* sample = watch.SecondSampleFromNow())
                rowWhileOpen = sample->list.add;
            stateWhileOpen = ProgramLink().ListState();
        });
        c.cancel ? dialogs.QueueFileCancel() : dialogs.QueueFile(TempPath("p.txt"));
        RecordFile::ShowSaveAsDialog(ProgramLink());
        dialogs.SetOnCall({});
        ASSERT_TRUE(rowWhileOpen.has_value()) << "samples go on while the dialog is open";
        EXPECT_EQ(*rowWhileOpen, !c.held);
        EXPECT_EQ(stateWhileOpen, c.held ? RealTimeList::State::Paused : RealTimeList::State::Running);
        EXPECT_TRUE(PumpUntil([] { return ListStateIs(RealTimeList::State::Running); })) << "runs again";
    }
}

}  // namespace
