#pragma once

class MeterLink;

#include <QString>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "acquisition/RealTimeList.h"
#include "records/RecordTable.h"
#include "ui/FormWindow.h"
#include "ui/MeterLink.h"

class Grid;
class Toolbar;

// A list of readings with its toolbar, in a two-channel twin (T1, T2, T1-T2) and a one-channel
// twin (one value). The real-time lists "List2" and "List1" take one row per PC sample from the
// main window's sampling tick (AddSampleRow); the two-channel one can pause, and closing either
// ends the list. The data lists "DataList2" and "DataList1" show one data set of the meter's
// logger, the file lists "FileList2" and "FileList1" a record file read back. Every list prints
// its rows; real-time and data lists also save them as a record file.
class ListWindow : public FormWindow {
    Q_OBJECT
public:
    enum class Kind { RealTime, Data, File };

    // Rows in view below the title row; from the next row on, each new row scrolls by one.
    static constexpr int RowsInView = 15;

    // What the Plot button of a data or file list does with a snapshot of the list's rows.
    using PlotCommand = std::function<void(RecordTable rows)>;

    ListWindow(MeterLink& link, Kind kind, bool dual, PlotCommand plot = {}, QWidget* parent = nullptr);
    // "List2", "DataList1" ...
    static QString NameOf(Kind kind, bool dual);

    bool Dual() const { return dual_; }
    // The rows the list shows, saves, prints and plots; its grid is a view of them.
    const RecordTable& Records() const { return records_; }
    Grid& ListGrid() { return *grid_; }

    // Appends rows (TAB-separated cells, UTF-8) as a data set or a file fills the list.
    void AppendRow(std::string_view tabbedRow);
    void AppendRows(std::span<const std::string> tabbedRows);

    // Appends "<number> TAB <sample line>" as the new last row and makes it current; from the
    // sixteenth row on the grid scrolls down by one row (once events run), so the newest row
    // stays in view.
    void AddSampleRow(const QString& tabbedRow);
    void TakeSample(const MeterLink::Sample& sample);
    // The Pause button offers "Start" (the list was paused by a lost meter link).
    void ShowPaused();
    void FollowListState(RealTimeList::State state);

    void Toolbar1_ButtonClick(const QString& key);

protected:
    void Load() override;
    void Unload() override;

private:
    void BuildToolbar();
    void BuildGrid();
    void ShowRunning();
    void ScrollDownOneRow();
    void Save();
    void Pause();
    void Print();

    MeterLink& link_;
    Kind kind_;
    bool dual_;
    RecordTable records_;
    PlotCommand plot_;
    Toolbar* Toolbar1;
    Grid* grid_;
    bool scrollPending_ = false;
    int pendingTopRow_ = 1;
};
