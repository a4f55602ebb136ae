#pragma once

#include <functional>
#include <string>

#include "graphs/ChartFrame.h"
#include "graphs/Drawing.h"
#include "meter/Reading.h"

// The plot of a stored list (a data list or a file list): the hand-over values the list's "Plot"
// gives it and the range dialog changes, the frame of a layout, and the records drawn one by one
// into primitives. The window draws those and reads the list's cells for it.
class ListPlot {
public:
    static constexpr int OriginX = 82;

    static ListPlot& Instance();

    // The list that opened the plot, its unit cell of the first record, and its records.
    void Open(const std::string& sourceList, bool twoChannels, const std::string& firstUnit,
              long recordCount);
    // The range dialog's choice of temperatures and records.
    void SetRange(double yMin, double yMax, long firstRecord, long lastRecord);

    // The frame for a client area; `timeWidth` is the width of a time label ("hh:mm:ss00").
    Drawing Layout(int clientWidth, int clientHeight, double timeWidth, const TextMetrics& metrics);

    // A record's cells: the unit, the value(s) and the time, by column.
    using Cell = std::function<std::string(long row, int column)>;
    // One run of the renderer: the grid lines, then each record of the range in turn.
    class Run {
    public:
        Run(ListPlot& plot, Cell cell, const TextMetrics& metrics);
        Drawing Grid();
        bool Done() const { return record_ > plot_.lastRecord_; }
        long Record() const { return record_; }
        // The next record's curves and, where it falls, a time label or a half-way tick.
        Drawing Next();

    private:
        void Channel(Drawing& out, int column, bool difference, const std::string& unit, double& previousY, Colour colour);
        void TimeMark(Drawing& out, long record);

        ListPlot& plot_;
        Cell cell_;
        TextMetrics metrics_;
        long record_;
        double previous_[3] = {0, 0, 0};
        bool labelShown_ = false;
    };

    // The value of a cell in the plot's unit: "23,5" is 23.5, a mark stays a mark, anything else
    // is its leading number. Differences take no offset.
    static Reading CellValue(const std::string& text, const std::string& recordUnit, const std::string& plotUnit,
                             bool difference);
    // Where time labels and half-way ticks fall among L records (1-based position in the range).
    static bool IsLabelPosition(long position, long records);
    static bool IsTickPosition(long position, long records);

    const std::string& SourceList() const { return sourceList_; }
    bool TwoChannels() const { return twoChannels_; }
    const std::string& Unit() const { return unit_; }
    double UnitTempMax() const { return unitTempMax_; }
    double UnitTempMin() const { return unitTempMin_; }
    double YMax() const { return yMax_; }
    double YMin() const { return yMin_; }
    long RecordCount() const { return recordCount_; }
    long RecordLimit() const { return recordLimit_; }
    long FirstRecord() const { return firstRecord_; }
    long LastRecord() const { return lastRecord_; }
    double OriginY() const { return originY_; }
    double Height() const { return height_; }
    double Width() const { return width_; }
    double XStep() const { return xStep_; }

    void Reset() { *this = ListPlot{}; }

private:
    ChartFrame::Area Area() const;

    std::string sourceList_;
    bool twoChannels_ = false;
    std::string unit_ = "K";
    double unitTempMax_ = 1999.9, unitTempMin_ = 0, yMax_ = 1999.9, yMin_ = 0;
    long recordCount_ = 0, recordLimit_ = 0, firstRecord_ = 1, lastRecord_ = 0;
    double originY_ = 0, height_ = 0, width_ = 0, xStep_ = 0, xPos_ = 0, prevX_ = 0;
};
