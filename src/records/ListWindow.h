#pragma once

#include <QString>

#include "ui/FormWindow.h"

class Grid;
class Toolbar;

// The real-time list: one row per PC sample while the list runs. "List2" (dual) shows T1, T2
// and T1-T2 and can pause; "List1" shows the one value. Rows come from the main window's
// sampling tick through AddSampleRow; closing the window ends the list.
class ListWindow : public FormWindow {
    Q_OBJECT
public:
    // Rows in view below the title row; from the next row on, each new row scrolls by one.
    static constexpr int RowsInView = 15;

    explicit ListWindow(bool dual, QWidget* parent = nullptr);

    bool Dual() const { return dual_; }
    Grid& ListGrid() { return *grid_; }

    // Appends "<number> TAB <sample line>" as the new last row and makes it current; from the
    // sixteenth row on the grid scrolls down by one row (once events run), so the newest row
    // stays in view.
    void AddSampleRow(const QString& tabbedRow);
    // The Pause button offers "Start" (the list was paused by a lost meter link).
    void ShowPaused();

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

    bool dual_;
    Toolbar* Toolbar1;
    Grid* grid_;
    bool scrollPending_ = false;
    int pendingTopRow_ = 1;
};
