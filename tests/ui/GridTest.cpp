#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QStringList>

#include "ui/Grid.h"

namespace {

// A grid laid out as the two-channel lists lay theirs out.
void SetUpTwoChannel(Grid& grid) {
    grid.SetCols(6);
    grid.SetFixedCols(1);
    const QStringList titles{"No.s", "   Time", " T1", " T2", "T1-T2", "Unit"};
    grid.SetRow(0);
    for (int c = 0; c < titles.size(); ++c) {
        grid.SetCol(c);
        grid.SetColWidth(c, grid.TextWidth(" 000:00:00 "));
        grid.SetText(titles[c]);
    }
}

QString SampleRow(int n) {
    return QStringLiteral("%1\t12:%2:%3\t%4\t-OL\t----\tC")
        .arg(n)
        .arg(n / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(n % 60, 2, 10, QLatin1Char('0'))
        .arg(n * 0.1, 0, 'f', 1);
}

TEST(Grid, NewGridHasOnlyTheTitleRow) {
    Grid grid;
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.Model().rowCount(), 0);
    SetUpTwoChannel(grid);
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.TextMatrix(0, 1), "   Time");
    EXPECT_EQ(grid.model()->headerData(4, Qt::Horizontal).toString(), "T1-T2");
    EXPECT_EQ(grid.RowText(0, '\t'), "No.s\t   Time\t T1\t T2\tT1-T2\tUnit");
}

TEST(Grid, AddItemSplitsAtTabs) {
    struct Case {
        QString line;
        QStringList cells;  // all four columns
    };
    const Case cases[] = {
        {"1\t10:00:00\t23.5\tC", {"1", "10:00:00", "23.5", "C"}},
        {"2\t10:00:02", {"2", "10:00:02", "", ""}},              // fewer fields: the rest empty
        {"3\ta\tb\tc\td\te", {"3", "a", "b", "c"}},              // more fields: extras dropped
        {"", {"", "", "", ""}},                                  // an empty line is a row too
        {"\t\tOL\t", {"", "", "OL", ""}},                        // empty fields keep their places
        {"4\tx\ny\t\r-OL", {"4", "x y", "\r-OL", ""}},           // a line break cannot enter a cell
    };
    Grid grid;
    grid.SetCols(4);
    for (const Case& c : cases) grid.AddItem(c.line);
    ASSERT_EQ(grid.Rows(), 1 + static_cast<int>(std::size(cases)));
    for (int r = 0; r < static_cast<int>(std::size(cases)); ++r) {
        QStringList cells;
        for (int col = 0; col < 4; ++col) cells << grid.TextMatrix(r + 1, col);
        EXPECT_EQ(cells, cases[r].cells) << "row " << r + 1;
        EXPECT_EQ(grid.RowText(r + 1, ','), cases[r].cells.join(',')) << "row " << r + 1;
        EXPECT_EQ(grid.model()->data(grid.model()->index(r, 2)).toString(), cases[r].cells[2]);
    }
    EXPECT_EQ(grid.TextMatrix(99, 0), "");
    EXPECT_EQ(grid.TextMatrix(1, 4), "");
    EXPECT_EQ(grid.TextMatrix(-1, 0), "");
}

TEST(Grid, EditingCellsLeavesTheOtherRowsIntact) {
    Grid grid;
    SetUpTwoChannel(grid);
    for (int n = 1; n <= 300; ++n) grid.AddItem(SampleRow(n));
    // Many edits of rows in the middle and at the end, enough to make the store compact itself.
    for (int round = 0; round < 40; ++round) {
        for (int r = 1; r <= 300; r += 7) grid.SetTextMatrix(r, 3, QStringLiteral("OL%1").arg(round));
        grid.SetTextMatrix(300, 5, "F");
    }
    grid.SetTextMatrix(150, 1, "a\tb");  // a TAB cannot split a cell
    for (int r = 1; r <= 300; ++r) {
        const QStringList expected = SampleRow(r).split('\t');
        for (int c = 0; c < 6; ++c) {
            QString want = expected[c];
            if (c == 3 && (r - 1) % 7 == 0) want = "OL39";
            if (c == 5 && r == 300) want = "F";
            if (c == 1 && r == 150) want = "a b";
            ASSERT_EQ(grid.TextMatrix(r, c), want) << r << "," << c;
        }
    }
    EXPECT_EQ(grid.TextMatrix(0, 3), " T2");
    grid.SetTextMatrix(5, 9, "ignored");
    grid.SetTextMatrix(301, 0, "ignored");
    EXPECT_EQ(grid.Rows(), 301);
}

TEST(Grid, CurrentCellRejectsCellsThatDoNotExist) {
    Grid grid;
    SetUpTwoChannel(grid);
    EXPECT_FALSE(grid.SetRow(1)) << "an empty list has no row 1";
    EXPECT_EQ(grid.Row(), 0);
    grid.AddItem(SampleRow(1));
    EXPECT_TRUE(grid.SetRow(1));
    EXPECT_TRUE(grid.SetCol(5));
    EXPECT_EQ(grid.Text(), "C");
    EXPECT_FALSE(grid.SetCol(6));
    EXPECT_EQ(grid.Col(), 5);
    grid.SetText("K");
    EXPECT_EQ(grid.TextMatrix(1, 5), "K");
}

TEST(Grid, ClearKeepsTitlesAndColumnWidths) {
    Grid grid;
    SetUpTwoChannel(grid);
    grid.SetColWidth(2, 77);
    for (int n = 1; n <= 50; ++n) grid.AddItem(SampleRow(n));
    grid.SetRow(50);
    grid.Clear();
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_EQ(grid.TextMatrix(0, 5), "Unit");
    EXPECT_EQ(grid.ColWidth(2), 77);
    EXPECT_EQ(grid.Model().rowCount(), 0);
    grid.AddItem(SampleRow(7));
    EXPECT_EQ(grid.TextMatrix(1, 0), "7");
}

TEST(Grid, ColumnsCanShrinkAndGrow) {
    Grid grid;
    SetUpTwoChannel(grid);
    grid.AddItem(SampleRow(3));
    grid.SetCols(4);
    EXPECT_EQ(grid.RowText(1, '|'), "3|12:00:03|0.3|-OL");
    EXPECT_EQ(grid.TextMatrix(1, 5), "");
    grid.SetCols(6);
    EXPECT_EQ(grid.Model().columnCount(), 6);
    EXPECT_EQ(grid.TextMatrix(1, 5), "C") << "the stored row keeps its cells";
    EXPECT_GT(grid.TextWidth("AAAAAAA"), grid.TextWidth("AAAA"));
}

TEST(Grid, TopRowScrollsLikeTheLists) {
    Grid grid;
    SetUpTwoChannel(grid);
    grid.resize(400, grid.verticalHeader()->defaultSectionSize() * 16 + grid.horizontalHeader()->height());
    grid.show();
    EXPECT_EQ(grid.TopRow(), 1);
    // The lists scroll by one row for every row past the fifteenth, so the newest stays in view.
    for (int n = 1; n <= 200; ++n) {
        grid.AddItem(SampleRow(n));
        if (n > 15) grid.SetTopRow(grid.TopRow() + 1);
    }
    EXPECT_GE(grid.TopRow(), 180);
    const QRect newest = grid.visualRect(grid.model()->index(199, 0));
    EXPECT_TRUE(grid.viewport()->rect().contains(newest)) << "the newest row is in view";
    EXPECT_FALSE(grid.viewport()->rect().intersects(grid.visualRect(grid.model()->index(150, 0))));
    grid.SetTopRow(50);
    EXPECT_EQ(grid.TopRow(), 50);
    grid.SetTopRow(10000);
    EXPECT_LE(grid.TopRow(), 200);
    EXPECT_GT(grid.TopRow(), 150);
    grid.SetTopRow(-3);
    EXPECT_EQ(grid.TopRow(), 1);
    grid.hide();
}

TEST(Grid, HoldsTheLargestListAndSavesIt) {
    constexpr int Rows = 58300;
    Grid grid;
    SetUpTwoChannel(grid);
    grid.resize(400, 300);
    grid.show();
    qsizetype characters = 0;
    for (int n = 1; n <= Rows; ++n) {
        const QString row = SampleRow(n);
        characters += row.size() + 1;
        grid.AddItem(row);
    }
    ASSERT_EQ(grid.Rows(), Rows + 1);
    EXPECT_EQ(grid.Model().rowCount(), Rows);
    // One text store: no more than the rows' own characters (plus the title row).
    EXPECT_LE(grid.Model().TextBytes(), static_cast<size_t>(characters) + 64);
    EXPECT_EQ(grid.RowText(Rows, '\t'), SampleRow(Rows));
    EXPECT_EQ(grid.TextMatrix(31234, 1), SampleRow(31234).split('\t')[1]);
    grid.SetTopRow(Rows);
    QApplication::processEvents();
    EXPECT_GT(grid.TopRow(), Rows - 50);
    qsizetype saved = 0;
    for (int r = 1; r < grid.Rows(); ++r) saved += grid.RowText(r, '\t').size() + 1;
    EXPECT_EQ(saved, characters);
    grid.hide();
}

}  // namespace
