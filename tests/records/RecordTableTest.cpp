#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "FileText.h"
#include "records/ListSave.h"
#include "records/RecordTable.h"
#include "records/RecordWriter.h"

namespace {

// A snapshot keeps the rows it was taken with, whatever the original does afterwards, and the
// original goes on with its own rows.
TEST(RecordTable, SnapshotIsNotAlteredByItsOriginal) {
    RecordTable list(RecordTable::TwoChannelColumns);
    for (int n = 1; n <= 10; ++n) list.Append(std::to_string(n) + "\t10:00:00\t20.0\t10.0\t10.0\tC");
    const RecordTable snapshot = list;
    EXPECT_TRUE(snapshot.SharesRowsWith(list)) << "taking a snapshot copies nothing";

    list.SetCell(2, 2, "99.9");
    list.Append("11\t10:00:20\t21.0\t10.0\t11.0\tC");
    EXPECT_FALSE(snapshot.SharesRowsWith(list));
    list.Clear();
    for (int n = 1; n <= 3; ++n) list.Append(std::to_string(n) + "\t11:00:00\t90.0\t80.0\t10.0\tF");

    ASSERT_EQ(snapshot.Rows(), 10);
    EXPECT_EQ(snapshot.Cell(2, 2), "20.0");
    EXPECT_EQ(snapshot.RowText(10, '|'), "10|10:00:00|20.0|10.0|10.0|C");
    EXPECT_TRUE(snapshot.TwoChannels());
    ASSERT_EQ(list.Rows(), 3);
    EXPECT_EQ(list.Cell(3, 5), "F");
}

// Rows keep the layout's columns: extra fields are dropped, missing cells are empty, and no cell
// outside the table is ever anything but empty.
TEST(RecordTable, RowsKeepTheLayoutsColumns) {
    RecordTable list(RecordTable::OneChannelColumns);
    list.Append("1\t09:00:00\t23.5\tC\textra\tfields");
    list.Append("2\t09:00:02");
    list.Append("3\ta\nb\tOL\tF");
    EXPECT_EQ(list.RowText(1, ','), "1,09:00:00,23.5,C");
    EXPECT_EQ(list.RowText(2, ','), "2,09:00:02,,");
    EXPECT_EQ(list.Cell(3, 1), "a b") << "a line break cannot enter a cell";
    EXPECT_EQ(list.Cell(2, 2), "");
    EXPECT_EQ(list.Cell(4, 0), "");
    EXPECT_EQ(list.Cell(0, 0), "");
    EXPECT_EQ(list.Cell(1, 4), "");
    EXPECT_EQ(list.UnitColumn(), 3);
    // All cells at once, as one at a time gives them; none past the layout or outside the table.
    for (long row : {0L, 1L, 2L, 3L, 4L}) {
        std::string_view cells[6];
        list.Cells(row, cells);
        for (int column = 0; column < 6; ++column)
            EXPECT_EQ(cells[column], list.Cell(row, column)) << row << "," << column;
    }
    list.SetCell(2, 3, "K\tX");
    EXPECT_EQ(list.RowText(2, ','), "2,09:00:02,,K X");
}

// A list saved: the header, then each row with a TAB after every cell, CR LF after each line;
// a list without rows leaves the file empty.
TEST(RecordTable, ListSaveWritesHeaderAndEveryCell) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("tq36-listsave-" + std::to_string(getpid()) + ".txt");
    RecordTable list(RecordTable::TwoChannelColumns);
    RecordWriter writer;
    ASSERT_TRUE(writer.Open(path.string()));
    ASSERT_TRUE(ListSave::Write(writer, list));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(FileText(path), "");

    list.Append("1\t14:03:07\t23.5\t21.0\t2.5\tC");
    list.Append("2\t14:03:09\t23.6");
    ASSERT_TRUE(writer.Open(path.string()));
    ASSERT_TRUE(ListSave::Write(writer, list));
    ASSERT_TRUE(writer.Close());
    EXPECT_EQ(FileText(path),
              "No.s    Time            T1      T2      T1-T2   Unit\r\n"
              "1\t14:03:07\t23.5\t21.0\t2.5\tC\t\r\n"
              "2\t14:03:09\t23.6\t\t\t\t\r\n");
    std::filesystem::remove(path);
}

}  // namespace
