#include "windows/records/ListWindow.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QVBoxLayout>
#include <span>

#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/Forms.h"
#include "ui/MeterLink.h"
#include "ui/Grid.h"
#include "ui/Icons.h"
#include "ui/Toolbar.h"
#include "windows/WindowNames.h"
#include "windows/records/ListPrinting.h"
#include "windows/records/RecordFile.h"

namespace {

struct Column {
    const char* title;
    const char* widthSample;  // the column is as wide as this text in the grid's font
};

constexpr Column TwoChannelColumns[] = {{"No.s", " 000000 "},   {"   Time", " 000:00:00 "}, {" T1", "AAAAAAA"},
                                        {" T2", "AAAAAAA"},     {"T1-T2", "AAAAAAA"},        {"Unit", "AAAA"}};
constexpr Column OneChannelColumns[] = {
    {"No.s", " 000000 "}, {"   Time", " 000:00:00 "}, {"Value", "AAAAAAA"}, {"Unit", "AAAA"}};

std::span<const Column> Columns(bool dual) {
    if (dual) return TwoChannelColumns;
    return OneChannelColumns;
}

// The hidden Run and Start buttons only hold the running and paused pictures of Pause.
constexpr ToolbarButton RealTimeTwoChannelButtons[] = {{"Save", "Save As", "Save", true},
                                                {"Pause", "Pause", "Pause", true},
                                                {"Run", "", "Pause", false},
                                                {"Start", "Start", "Start", false},
                                                {"Print", "Print", "Print", true}};
constexpr ToolbarButton RealTimeOneChannelButtons[] = {{"Save", "Save As", "Save", true}, {"Print", "Print", "Print", true}};
constexpr ToolbarButton FileButtons[] = {{"Plot", "Plot", "Plot", true}, {"Print", "Print", "Print", true}};
constexpr ToolbarButton DataButtons[] = {
    {"Save", "Save As", "Save", true}, {"Plot", "Plot", "Plot", true}, {"Print", "Print", "Print", true}};

std::span<const ToolbarButton> Buttons(ListWindow::Kind kind, bool dual) {
    if (kind == ListWindow::Kind::Data) return DataButtons;
    if (kind == ListWindow::Kind::File) return FileButtons;
    if (dual) return RealTimeTwoChannelButtons;
    return RealTimeOneChannelButtons;
}

}  // namespace

QString ListWindow::NameOf(Kind kind, bool dual) {
    if (kind == Kind::Data) return WindowNames::DataList(dual);
    if (kind == Kind::File) return WindowNames::FileList(dual);
    return WindowNames::List(dual);
}

ListWindow::ListWindow(MeterLink& link, Kind kind, bool dual, PlotCommand plot, QWidget* parent)
    : FormWindow(NameOf(kind, dual), parent),
      link_(link),
      kind_(kind),
      dual_(dual),
      records_(RecordTable::ColumnsFor(dual)),
      plot_(std::move(plot)) {
    SetCaption(kind == Kind::Data ? "Data List" : kind == Kind::File ? "File List" : "Real Time List");
    if (kind == Kind::RealTime) {
        connect(&link_, &MeterLink::ListChanged, this, &ListWindow::FollowListState);
        connect(&link_, &MeterLink::SampleTaken, this, &ListWindow::TakeSample);
    }
    BuildToolbar();
    BuildGrid();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Toolbar1);
    layout->addWidget(grid_);
}

void ListWindow::BuildToolbar() {
    Toolbar1 = new Toolbar(this);
    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->AddButtons(Buttons(kind_, dual_));
    connect(Toolbar1, &Toolbar::ButtonClick, this, &ListWindow::Toolbar1_ButtonClick);
}

void ListWindow::BuildGrid() {
    grid_ = new Grid(this);
    grid_->setObjectName("Grid");
    grid_->setFont(Fonts::Get("MS Sans Serif", 8));
    grid_->Model().Show(records_);
    grid_->SetFixedCols(1);
}

void ListWindow::Load() {
    if (auto* panel = Forms::FindAs<FormWindow>(WindowNames::Panel)) MovePx(panel->LeftPx() + panel->WidthPx(), panel->TopPx());

    grid_->SetRow(0);
    int col = 0;
    int tableWidth = 0;
    for (const Column& column : Columns(dual_)) {
        grid_->SetCol(col);
        grid_->SetColWidth(col, grid_->TextWidth(column.widthSample));
        grid_->SetText(column.title);
        tableWidth += grid_->ColWidth(col);
        ++col;
    }

    // Room for every column and exactly RowsInView rows, so the newest row stays in view once
    // the list starts to scroll and no row is cut in half.
    const int frame = 2 * grid_->frameWidth();
    const int rowHeight = grid_->verticalHeader()->defaultSectionSize();
    const int width = tableWidth + grid_->verticalScrollBar()->sizeHint().width() + frame;
    const int height = grid_->horizontalHeader()->sizeHint().height() + RowsInView * rowHeight + frame;
    resize(width, Toolbar1->sizeHint().height() + height);
}

void ListWindow::Unload() {
    if (kind_ == Kind::RealTime) link_.ListClosed();
}

void ListWindow::AppendRow(std::string_view tabbedRow) { grid_->AddItemUtf8(tabbedRow); }

void ListWindow::AppendRows(std::span<const std::string> tabbedRows) { grid_->Model().AppendRowsUtf8(tabbedRows); }

// The list's row of a sample, when the list runs in this window's channel mode; a list that
// has ended goes.
void ListWindow::TakeSample(const MeterLink::Sample& sample) {
    if (sample.list.add && sample.reading.DualChannel == dual_) AddSampleRow(QString::fromStdString(sample.list.row));
    if (sample.list.close) UnloadForm();
}

void ListWindow::AddSampleRow(const QString& tabbedRow) {
    grid_->AddItem(tabbedRow);
    const int row = grid_->Rows() - 1;
    grid_->SetRow(row);
    if (row > RowsInView) ScrollDownOneRow();
}

// Each scroll of a freshly grown table makes the view lay out all its rows again, so scrolls
// are gathered and applied when events next run: a single row a second scrolls at once, a
// burst of rows costs one layout instead of one per row.
void ListWindow::ScrollDownOneRow() {
    pendingTopRow_ = (scrollPending_ ? pendingTopRow_ : grid_->TopRow()) + 1;
    if (scrollPending_) return;
    scrollPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            scrollPending_ = false;
            grid_->SetTopRow(pendingTopRow_);
        },
        Qt::QueuedConnection);
}

void ListWindow::ShowPaused() {
    Toolbar1->SetButtonIcon("Pause", Toolbar1->ButtonIcon("Start"));
    Toolbar1->SetButtonTooltip("Pause", "Start");
}

void ListWindow::ShowRunning() {
    Toolbar1->SetButtonIcon("Pause", Toolbar1->ButtonIcon("Run"));
    Toolbar1->SetButtonTooltip("Pause", "Pause");
}

void ListWindow::Toolbar1_ButtonClick(const QString& key) {
    if (key == "Save") {
        Save();
    } else if (key == "Pause" && kind_ == Kind::RealTime) {
        Pause();
    } else if (key == "Print") {
        Print();
    } else if (key == "Plot" && plot_) {
        plot_(records_);
    }
}

void ListWindow::Save() {
    if (link_.Recording()) {
        Dialogs::Current().Message("Aready in recording mode, close it and try again !");
        return;
    }
    const QPointer<FormWindow> self(this);
    RecordFile::ShowSaveAsDialog(link_);
    if (FormWindow::IsGone(self)) return;
    if (link_.SavePathChosen()) RecordFile::SaveList(link_, *this, records_);
}

// The button shows what the engine says the list does, whatever brought it there.
void ListWindow::Pause() { link_.ListTogglePause(); }

void ListWindow::FollowListState(RealTimeList::State state) {
    if (state == RealTimeList::State::Paused) ShowPaused();
    if (state == RealTimeList::State::Running) ShowRunning();
}

void ListWindow::Print() { ListPrinting::PrintList(*this, records_); }
