#pragma once

#include <string>

// The real-time list's state: closed, running or paused, and the rows it has taken so far. The
// sampling tick asks it what to do with each sample; the list window tells it when it opens,
// pauses, resumes or closes; a Save dialog holds it while open. Nothing else changes it.
class RealTimeList {
public:
    enum class State { Closed, Running, Paused };

    // What the sampling tick does with one sample.
    struct Step {
        bool add = false;     // append `row` to the list window of this channel mode
        std::string row;      // "<number> TAB <sample line>"
        bool pause = false;   // the meter link is lost: the list has paused after this row
        bool close = false;   // the row limit or a channel-mode change: close the list windows
    };

    static constexpr long DefaultMaxRows = 58300;

    RealTimeList() = default;
    explicit RealTimeList(long maxRows) : maxRows_(maxRows) {}

    // The list window has opened: numbering starts at 1.
    void Opened();
    // The list window has closed, by the user or for the sampling tick.
    void Closed();
    // The Pause button: a running list pauses; a paused one resumes, but only with the meter
    // online. Returns the state afterwards.
    State TogglePause(bool meterOnline);
    // One due sample, with the channel mode the list was opened in. A sample of a reading that is
    // not fresh adds no row (a lost link still pauses the list).
    Step Take(const std::string& sampleLine, bool dualChannel, bool meterOnline, bool channelModeAtStart,
              bool fresh = true);

    // Holds a running list while a Save dialog is open, unless a recording runs; it runs again
    // when the hold ends, whatever the user chose in the dialog.
    class DialogHold {
    public:
        DialogHold(RealTimeList& list, bool recording);
        ~DialogHold();
        DialogHold(const DialogHold&) = delete;
        DialogHold& operator=(const DialogHold&) = delete;

    private:
        RealTimeList& list_;
        bool held_ = false;
    };

    State CurrentState() const { return state_; }
    bool IsRunning() const { return state_ == State::Running; }
    long RowCount() const { return rowCount_; }

private:
    long maxRows_ = DefaultMaxRows;
    State state_ = State::Closed;
    long rowCount_ = 0;
};
