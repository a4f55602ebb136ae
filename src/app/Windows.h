#pragma once

#include "graphs/ListPlot.h"
#include "graphs/RealTimeChart.h"
#include "logger/DataLogger.h"
#include "stats/StatisticsState.h"

class MeterLink;

// The state that pairs of windows share, made once by the program and handed to both windows of
// each pair; it outlives every window.
struct SharedState {
    StatisticsState statistics;  // the statistics windows and the AVG command
    RealTimeChart chart;         // the real-time graph and its range dialog
    ListPlot plot;               // the plot and its range dialog
    DataLogger logger;           // "Data Logger" and the data lists it opens
};

// Registers every window of the program with Forms under its name, each handed what it needs of
// `link` and `shared`; the commands by which one window opens another are wired here.
void RegisterWindows(MeterLink& link, SharedState& shared);
