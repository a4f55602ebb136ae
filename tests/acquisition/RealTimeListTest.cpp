#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition/RealTimeList.h"

namespace {

using State = RealTimeList::State;

// One sample as the sampling tick hands it over, and what the list makes of it.
struct Sample {
    bool dual = true;
    bool online = true;
    bool fresh = true;
    bool addsRow = true;
    std::string row{};
    bool pauses = false;
    bool closes = false;
};

struct SampleCase {
    const char* name;
    long maxRows;
    std::vector<Sample> samples;  // the list was opened in two-channel mode
    State end;
};

TEST(RealTimeList, WhatEachSampleDoes) {
    const SampleCase cases[] = {
        {"RowsAreNumbered", 100, {{.row = "1\tS"}, {.row = "2\tS"}}, State::Running},
        {"LostLinkShowsOneMoreRowThenPauses",
         100,
         {{.row = "1\tS"}, {.online = false, .row = "2\tS", .pauses = true}, {.online = false, .addsRow = false}},
         State::Paused},
        {"StaleReadingsAddNoRowAndTheNumberingGoesOn",
         100,
         {{.row = "1\tS"}, {.fresh = false, .addsRow = false}, {.row = "2\tS"}},
         State::Running},
        {"LostLinkWithAStaleReadingPausesWithoutARow",
         100,
         {{.row = "1\tS"}, {.online = false, .fresh = false, .addsRow = false, .pauses = true}},
         State::Paused},
        {"ClosesAtTheRowLimit", 2, {{.row = "1\tS"}, {.row = "2\tS", .closes = true}, {.addsRow = false}}, State::Closed},
        {"ClosesOnAChannelModeChange", 100, {{.row = "1\tS"}, {.dual = false, .row = "2\tS", .closes = true}}, State::Closed},
    };
    for (const SampleCase& c : cases) {
        SCOPED_TRACE(c.name);
        RealTimeList list(c.maxRows);
        list.Opened();
        for (const Sample& sample : c.samples) {
            const RealTimeList::Step step = list.Take("S", sample.dual, sample.online, true, sample.fresh);
            EXPECT_EQ(step.add, sample.addsRow);
            EXPECT_EQ(step.row, sample.row);
            EXPECT_EQ(step.pause, sample.pauses);
            EXPECT_EQ(step.close, sample.closes);
        }
        EXPECT_EQ(list.CurrentState(), c.end);
    }
}

// Pause and resume go on numbering without a gap; resuming needs the meter online.
TEST(RealTimeList, PauseButtonAndNumbering) {
    RealTimeList list;
    EXPECT_EQ(list.TogglePause(true), State::Closed) << "no list, nothing to pause";
    list.Opened();
    list.Take("S", true, true, true);
    EXPECT_EQ(list.TogglePause(true), State::Paused);
    EXPECT_FALSE(list.Take("S", true, true, true).add);
    EXPECT_EQ(list.TogglePause(false), State::Paused);
    EXPECT_EQ(list.TogglePause(true), State::Running);
    EXPECT_EQ(list.Take("S", true, true, true).row, "2\tS");
    list.Closed();
    list.Opened();
    EXPECT_EQ(list.Take("S", true, true, true).row, "1\tS") << "a reopened list starts at 1";
}

// A Save dialog holds a running list, unless a recording runs, and lets it run again afterwards;
// a list paused or closed meanwhile stays so.
TEST(RealTimeList, DialogHold) {
    struct Case {
        const char* name;
        bool recording;
        State before, during, after;
        bool closeDuring;
    };
    const Case cases[] = {
        {"Running", false, State::Running, State::Paused, State::Running, false},
        {"RunningWhileRecording", true, State::Running, State::Running, State::Running, false},
        {"PausedByTheUser", false, State::Paused, State::Paused, State::Paused, false},
        {"ClosedWhileTheDialogWasOpen", false, State::Running, State::Paused, State::Closed, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RealTimeList list;
        list.Opened();
        if (c.before == State::Paused) list.TogglePause(true);
        {
            RealTimeList::DialogHold hold(list, c.recording);
            EXPECT_EQ(list.CurrentState(), c.during);
            if (c.closeDuring) list.Closed();
        }
        EXPECT_EQ(list.CurrentState(), c.after);
    }
}

}  // namespace
