#include "acquisition/RealTimeList.h"

void RealTimeList::Opened() {
    state_ = State::Running;
    rowCount_ = 0;
}

void RealTimeList::Closed() {
    state_ = State::Closed;
    rowCount_ = 0;
}

RealTimeList::State RealTimeList::TogglePause(bool meterOnline) {
    if (state_ == State::Running) {
        state_ = State::Paused;
    } else if (state_ == State::Paused && meterOnline) {
        state_ = State::Running;
    }
    return state_;
}

RealTimeList::Step RealTimeList::Take(const std::string& sampleLine, bool dualChannel, bool meterOnline,
                                      bool channelModeAtStart, bool fresh) {
    Step step;
    if (state_ != State::Running) return step;
    if (!fresh) {
        if (!meterOnline) {
            state_ = State::Paused;
            step.pause = true;
        }
        return step;
    }
    rowCount_ += 1;
    step.add = true;
    step.row = std::to_string(rowCount_) + '\t' + sampleLine;
    // The row of the sample that found the link gone is still shown; then the list waits.
    if (!meterOnline) {
        state_ = State::Paused;
        step.pause = true;
    }
    if (rowCount_ == maxRows_ || dualChannel != channelModeAtStart) {
        Closed();
        step.close = true;
    }
    return step;
}

RealTimeList::DialogHold::DialogHold(RealTimeList& list, bool recording) : list_(list) {
    held_ = !recording && list_.state_ == State::Running;
    if (held_) list_.state_ = State::Paused;
}

RealTimeList::DialogHold::~DialogHold() {
    // A list that was closed meanwhile stays closed.
    if (held_ && list_.state_ == State::Paused) list_.state_ = State::Running;
}
