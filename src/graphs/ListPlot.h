#pragma once

#include <string>
#include <string_view>

#include "graphs/ChartFrame.h"
#include "graphs/ColumnCurve.h"
#include "graphs/Drawing.h"
#include "meter/Reading.h"
#include "records/RecordTable.h"

// The plot of a stored list (a data list or a file list): the records it was given, the
// hand-over values the range dialog changes, the frame of a layout, and the records drawn into
// primitives. The records are the plot's own snapshot: nothing done to the list afterwards
// changes what the plot draws. The plot window and its range dialog share one.
class ListPlot {
public:
    static constexpr int OriginX = 82;

    // The records to plot, in the unit of the first record's unit cell, the whole range.
    void Open(RecordTable records);
    // The range dialog's choice of temperatures and records.
    void SetRange(double yMin, double yMax, long firstRecord, long lastRecord);

    // The frame for a client area; `timeWidth` is the width of a time label ("hh:mm:ss00").
    Drawing Layout(int clientWidth, int clientHeight, double timeWidth, const TextMetrics& metrics);

    // One run of the renderer: the grid lines, then the records of the range in turn, each
    // channel's curve drawn a pixel column at a time.
    class Run {
    public:
        Run(ListPlot& plot, const TextMetrics& metrics);
        Drawing Grid();
        bool Done() const { return record_ > plot_.lastRecord_; }
        long Record() const { return record_; }
        // The next record: a time label or a half-way tick where one falls, and the curves of
        // every pixel column it completes.
        Drawing Next();

    private:
        void Point(Drawing& out, ColumnCurve& curve, double x, const Reading& value);
        bool TimeMark(Drawing& out, long record, double x);

        ListPlot& plot_;
        TextMetrics metrics_;
        long record_;
        ColumnCurve curves_[3]{ColumnCurve(Colours::Black), ColumnCurve(Colours::Blue), ColumnCurve(Colours::Red)};
        bool labelShown_ = false;
    };

    // The value of a cell in the plot's unit: "23,5" is 23.5, a mark stays a mark, an empty cell
    // (one the record does not have) is no value, anything else is its leading number.
    // Differences take no offset.
    static Reading CellValue(std::string_view text, std::string_view recordUnit, std::string_view plotUnit,
                             bool difference);
    // Where time labels and half-way ticks fall among L records (1-based position in the range).
    static bool IsLabelPosition(long position, long records);
    static bool IsTickPosition(long position, long records);

    const RecordTable& Records() const { return records_; }
    bool TwoChannels() const { return records_.TwoChannels(); }
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

private:
    ChartFrame::Area Area() const;

    RecordTable records_;
    std::string unit_ = "K";
    double unitTempMax_ = 1999.9, unitTempMin_ = 0, yMax_ = 1999.9, yMin_ = 0;
    long recordCount_ = 0, recordLimit_ = 0, firstRecord_ = 1, lastRecord_ = 0;
    double originY_ = 0, height_ = 0, width_ = 0, xStep_ = 0;
};
