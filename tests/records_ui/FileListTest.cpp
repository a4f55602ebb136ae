#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <sys/stat.h>
#include <unistd.h>

#include <QTimer>
#include <cerrno>
#include <cstring>
#include <random>

#include "ListFixture.h"
#include "acquisition/PcRecording.h"
#include "meter/CurrentReading.h"
#include "records/LineText.h"
#include "records/RecordFileReader.h"
#include "ui/Toolbar.h"
#include "windows/records/FileListLoading.h"
#include "windows/records/RecordFile.h"

namespace {

// Every caption a file list is given while it loads.
class CaptionWatch : public QObject {
public:
    QStringList captions;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowTitleChange && watched->objectName().startsWith("FileList")) {
            captions << static_cast<QWidget*>(watched)->windowTitle();
        }
        return false;
    }
};

class FileListTest : public ListFixture {
protected:
    ListWindow* Loaded(bool dual) { return Forms::FindAs<ListWindow>(dual ? "FileList2" : "FileList1"); }

    void Write(const QString& path, const QByteArray& content) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
};

Reading ReadingOf(const QString& text) {
    if (text == "OL") return Reading::Mark(Reading::Kind::Over);
    if (text == "-OL") return Reading::Mark(Reading::Kind::Under);
    if (text == "----") return Reading::Mark(Reading::Kind::NoReading);
    return Reading::Number(text.toDouble());
}

// What the recording and a list save write comes back cell for cell, in the list that fits it.
TEST_F(FileListTest, RecordedAndSavedFilesComeBackCellForCell) {
    struct Case {
        bool dual;
        QStringList rows;
    };
    const Case cases[] = {
        {true, {"1\t14:03:07\t23.5\t21.0\t2.5\tC", "2\t14:03:09\tOL\t----\t-OL\tF"}},
        {false, {"1\t09:05:03\t23.5\tC", "2\t09:05:05\t-OL\tK"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dual ? "two channels" : "one channel");
        // A list save.
        ListWindow* list = OpenList(c.dual);
        for (const QString& row : c.rows) list->AddSampleRow(row);
        ProgramLink().SavePathChosen(TempPath("saved.txt").toStdString(), true);
        ASSERT_TRUE(RecordFile::SaveList(ProgramLink(), *list, list->Records()));
        ASSERT_TRUE(LoadRecordFile(TempPath("saved.txt"), "saved.txt"));
        ASSERT_NE(Loaded(c.dual), nullptr);
        EXPECT_EQ(Loaded(!c.dual), nullptr);
        EXPECT_EQ(Rows(Loaded(c.dual)), c.rows);

        // A recording.
        PcRecording recording;
        ASSERT_TRUE(recording.Start(TempPath("recorded.txt").toStdString(), c.dual));
        for (const QString& row : c.rows) {
            const QStringList cells = row.split('\t');
            CurrentReading r;
            r.DualChannel = c.dual;
            r.MeterOnline = true;
            r.T1Value = ReadingOf(cells[2]);
            if (c.dual) {
                r.T2Value = ReadingOf(cells[3]);
                r.T1T2Value = ReadingOf(cells[4]);
            }
            r.UnitText = cells.last().toStdString();
            r.FrameTime = 0;
            recording.Sample(r, cells[1].toStdString(), true);
        }
        recording.Stop();
        ASSERT_TRUE(LoadRecordFile(TempPath("recorded.txt"), "recorded"));
        EXPECT_EQ(Rows(Loaded(c.dual)), c.rows);
        EXPECT_EQ(Loaded(c.dual)->Caption(), "recorded.txt");
        Forms::UnloadAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

TEST_F(FileListTest, CaptionCountsLinesThenShowsTheTitle) {
    Write(TempPath("run1.txt"),
          "No.s    Time            T1      T2      T1-T2   Unit\r\n"
          "1\t14:03:07\t23.5\t21.0\t2.5\tC\t\r\n2\t14:03:09\t23.6\t21.0\t2.6\tC\t\r\n3\t14:03:11\t23.7\t21.0\t2.7\tC\t\r\n");
    CaptionWatch watch;
    qApp->installEventFilter(&watch);
    ASSERT_TRUE(LoadRecordFile(TempPath("run1.txt"), "run1.txt"));
    qApp->removeEventFilter(&watch);
    ASSERT_FALSE(watch.captions.isEmpty());
    EXPECT_TRUE(watch.captions.contains("2 Records Completed")) << watch.captions.join('|').toStdString();
    EXPECT_EQ(watch.captions.back(), "run1.txt");
    EXPECT_EQ(Loaded(true)->ListGrid().Rows(), 4);
}

// Headers anywhere, a decimal comma, bare line ends and a missing last one: every record is a row.
TEST_F(FileListTest, ForeignLineEndsHeadersAndCommas) {
    Write(TempPath("mixed.txt"),
          "1\t10:00:00\t23,5\t21,0\t2,5\tC\n"
          "No.s    Time            T1      T2      T1-T2   Unit\r"
          "2\t10:00:02\t23.6\t21.0\t2.6\tC\r"
          "3\t10:00:04\t23.7\t21.0\t2.7\tC");
    ASSERT_TRUE(LoadRecordFile(TempPath("mixed.txt"), "mixed.txt"));
    ListWindow* list = Loaded(true);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(Rows(list), (QStringList{"1\t10:00:00\t23,5\t21,0\t2,5\tC", "2\t10:00:02\t23.6\t21.0\t2.6\tC",
                                       "3\t10:00:04\t23.7\t21.0\t2.7\tC"}));
}

TEST_F(FileListTest, UnreadableFileEndsSilentlyAndANewFileReplacesTheList) {
    EXPECT_FALSE(LoadRecordFile(TempPath("missing.txt"), "missing.txt"));
    EXPECT_EQ(Loaded(true), nullptr);
    EXPECT_TRUE(dialogs.Messages().empty());

    Write(TempPath("one.txt"), "1\t09:05:03\t23.5\tC\t\r\n");
    ASSERT_TRUE(LoadRecordFile(TempPath("one.txt"), "one.txt"));
    Write(TempPath("two.txt"), "1\t14:03:07\t23.5\t21.0\t2.5\tC\r\n");
    ASSERT_TRUE(LoadRecordFile(TempPath("two.txt"), "two.txt"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Loaded(false), nullptr) << "the one-channel list of the first file is closed";
    EXPECT_EQ(Loaded(true)->ListGrid().Rows(), 2);
}

// Records, mangled records and random bytes between line ends of every kind and blank lines:
// whatever a file holds, it is read to its end, each line a row in order, split at its TABs into
// the list's columns (NUL bytes left out, a line cut at the reader's longest).
TEST_F(FileListTest, AnyFileLoadsWithoutHarm) {
    std::mt19937 random(4);
    const auto anyByteButALineEnd = [&random] {
        char c;
        do c = static_cast<char>(random());
        while (c == '\r' || c == '\n');
        return c;
    };
    const QByteArray lineEnds[] = {"\r\n", "\n", "\r"};
    for (int file = 0; file < 40; ++file) {
        SCOPED_TRACE(file);
        const bool dual = file % 2 == 0;
        const int columns = RecordTable::ColumnsFor(dual);
        QByteArray content;
        QList<QByteArray> lines;
        for (int part = 0; part < 50; ++part) {
            QByteArray line = QByteArray::number(part + 1) +
                              (dual ? "\t14:03:07\t23.5\t21.0\t2.5\tC\t" : "\t09:05:03\t-OL\tF\t");
            // The first line is a record: it tells the list's layout.
            const auto kind = part == 0 ? 0 : random() % 3;
            if (kind == 1) {
                line[static_cast<int>(random() % line.size())] = anyByteButALineEnd();
            } else if (kind == 2) {
                line = "x";
                for (auto length = random() % 4000; length > 0; --length) line += anyByteButALineEnd();
            }
            lines << line;
            content += line + lineEnds[random() % 3];
            if (random() % 5 == 0) content += lineEnds[random() % 3];  // a blank line, or CR LF made whole
        }
        if (random() % 2) content.chop(content.endsWith("\r\n") ? 2 : 1);  // no end after the last line
        Write(TempPath("fuzz.txt"), content);
        ASSERT_TRUE(LoadRecordFile(TempPath("fuzz.txt"), "fuzz.txt"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        ListWindow* list = Loaded(dual);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(Loaded(!dual), nullptr);
        EXPECT_EQ(list->Caption(), "fuzz.txt");
        ASSERT_EQ(list->Records().Rows(), lines.size());
        for (qsizetype i = 0; i < lines.size(); ++i) {
            QByteArray kept = lines[i];
            kept.replace('\0', QByteArray());
            const bool cut = kept.size() > static_cast<qsizetype>(RecordFileReader::MaxLineBytes);
            kept.truncate(static_cast<qsizetype>(RecordFileReader::MaxLineBytes));
            // Bytes that are no UTF-8 show as Windows-1252: how is the text routine's own test.
            const QByteArray shown = QByteArray::fromStdString(LineText::ToUtf8(kept.toStdString(), cut));
            QList<QByteArray> cells = shown.split('\t').mid(0, columns);
            while (cells.size() < columns) cells << QByteArray();
            ASSERT_EQ(list->Records().RowText(i + 1, '\t'), cells.join('\t').toStdString())
                << "line " << i + 1;
        }
    }
}

// A FIFO without a writer, or a .txt link to a device, would block or never end: refused at once,
// named in a message, and nothing opens.
TEST_F(FileListTest, AnythingButARegularFileIsRefusedByName) {
    ASSERT_EQ(mkfifo(TempPath("pipe.txt").toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", TempPath("zero.txt")));
    for (const char* name : {"pipe.txt", "zero.txt"}) {
        SCOPED_TRACE(name);
        dialogs.ClearCalls();
        EXPECT_FALSE(LoadRecordFile(TempPath(name), name));
        ASSERT_EQ(dialogs.Messages().size(), 1u);
        EXPECT_TRUE(dialogs.Messages()[0].contains(TempPath(name))) << dialogs.Messages()[0].toStdString();
        EXPECT_EQ(Loaded(true), nullptr);
        EXPECT_EQ(Loaded(false), nullptr);
    }
}

// Files as editors and spreadsheets leave them: a byte-order mark before the header, or the
// header alone.
TEST_F(FileListTest, ByteOrderMarkAndAHeaderAlone) {
    Write(TempPath("bom.txt"), "\xEF\xBB\xBFNo.s    Time            T1      T2      T1-T2   Unit\r\n"
                               "1\t14:03:07\t23.5\t21.0\t2.5\tC\t\r\n");
    ASSERT_TRUE(LoadRecordFile(TempPath("bom.txt"), "bom.txt"));
    ASSERT_NE(Loaded(true), nullptr);
    EXPECT_EQ(Rows(Loaded(true)), QStringList{"1\t14:03:07\t23.5\t21.0\t2.5\tC"});

    Write(TempPath("header.txt"), "No.s    Time            T1      T2      T1-T2   Unit\r\n");
    ASSERT_TRUE(LoadRecordFile(TempPath("header.txt"), "header"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_NE(Loaded(true), nullptr) << "an empty two-channel list";
    EXPECT_EQ(Loaded(true)->Records().Rows(), 0);
    EXPECT_EQ(Loaded(true)->Caption(), "header.txt");
}

// The disk fails part-way: the rows read so far stay, the caption does not pass for the whole
// file's title, and the user is told.
TEST_F(FileListTest, ReadFailurePartWayIsReported) {
    QByteArray content;
    for (int n = 1; n <= 3000; ++n) content += QByteArray::number(n) + "\t10:00:00\t1.0\t2.0\t-1.0\tC\r\n";
    Write(TempPath("disk.txt"), content);
    int reads = 0;
    RecordFileReader failing([&reads](int fd, void* buffer, std::size_t bytes) -> ssize_t {
        if (++reads == 1) return ::read(fd, buffer, bytes);
        errno = EIO;
        return -1;
    });
    EXPECT_FALSE(LoadRecordFile(failing, TempPath("disk.txt"), "disk.txt"));
    ListWindow* list = Loaded(true);
    ASSERT_NE(list, nullptr);
    EXPECT_GT(list->Records().Rows(), 100);
    EXPECT_LT(list->Records().Rows(), 3000);
    EXPECT_NE(list->Caption(), "disk.txt");
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_TRUE(dialogs.Messages()[0].contains("could not be read to its end")) << dialogs.Messages()[0].toStdString();
    EXPECT_TRUE(dialogs.Messages()[0].contains(QString::fromLocal8Bit(std::strerror(EIO))));
}

// A file of one endless line: the window keeps serving events while the line is read.
TEST_F(FileListTest, EventsRunWhileAHugeLineIsRead) {
    Write(TempPath("huge.txt"), QByteArray(8 << 20, 'x'));
    bool ranBeforeTheFirstRow = false;
    QTimer::singleShot(0, [&] { ranBeforeTheFirstRow = Loaded(false) == nullptr; });
    EXPECT_TRUE(LoadRecordFile(TempPath("huge.txt"), "huge.txt"));
    EXPECT_TRUE(ranBeforeTheFirstRow);
    ASSERT_NE(Loaded(false), nullptr);
    EXPECT_EQ(Loaded(false)->Records().Rows(), 1);
}

// A program on Windows writes its files in Windows-1252: such a line shows its characters, a
// UTF-8 line beside it keeps its own.
TEST_F(FileListTest, LinesInWindows1252ShowTheirCharacters) {
    Write(TempPath("foreign.txt"),
          "1\t10:00:00\t23.5\xB0\tC\r\n"
          "2\t10:00:02\t23.6\xC2\xB0\tC\r\n"
          "3\t10:00:04\t\x80 23.7\t\xB0"
          "C\r\n");
    ASSERT_TRUE(LoadRecordFile(TempPath("foreign.txt"), "foreign.txt"));
    ASSERT_NE(Loaded(false), nullptr);
    EXPECT_EQ(Rows(Loaded(false)), (QStringList{QString::fromUtf8("1\t10:00:00\t23.5\u00B0\tC"),
                                                QString::fromUtf8("2\t10:00:02\t23.6\u00B0\tC"),
                                                QString::fromUtf8("3\t10:00:04\t\u20AC 23.7\t\u00B0C")}));
}

// A first record longer than a line may be keeps only its start, which may not show all of its
// fields: the layout comes from the first record that is whole.
TEST_F(FileListTest, ARecordCutShortDoesNotChooseTheLayout) {
    const QByteArray longRecord = "1\t10:00:00\t" + QByteArray(2000, '7') + "\t21.0\t2.5\tC\r\n";
    Write(TempPath("long.txt"), longRecord + "2\t10:00:02\t23.6\t21.0\t2.6\tC\r\n");
    ASSERT_TRUE(LoadRecordFile(TempPath("long.txt"), "long.txt"));
    ASSERT_NE(Loaded(true), nullptr);
    EXPECT_EQ(Loaded(false), nullptr);
    const QStringList rows = Rows(Loaded(true));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].section('\t', 0, 1), "1\t10:00:00");
    EXPECT_EQ(rows[1], "2\t10:00:02\t23.6\t21.0\t2.6\tC");

    // Only records cut short: the first of them still tells.
    Write(TempPath("all-long.txt"), longRecord + longRecord);
    ASSERT_TRUE(LoadRecordFile(TempPath("all-long.txt"), "all-long.txt"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_NE(Loaded(false), nullptr);
    EXPECT_EQ(Loaded(false)->Records().Rows(), 2);
}

TEST_F(FileListTest, FileListPrints) {
    Write(TempPath("oven.txt"), "1\t08:00:05\t70.2\tF\t\r\n2\t08:00:10\t70.5\tF\t\r\n");
    ASSERT_TRUE(LoadRecordFile(TempPath("oven.txt"), "oven"));
    ListWindow* list = Loaded(false);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Caption(), "oven.txt");
    dialogs.QueuePrintToPdf(TempPath("oven.pdf"));
    Child<Toolbar>(list, "Toolbar1")->Trigger("Print");
    EXPECT_GT(QFileInfo(TempPath("oven.pdf")).size(), 0);
}

}  // namespace
