#include "acquisition/PollCycle.h"

#include <utility>

#include "meter/Meter.h"
#include "serial/Rs232_API.h"

namespace {
constexpr int SecondsPerDay = 86400;

int ElapsedSeconds(int start, int now) { return (now - start + SecondsPerDay) % SecondsPerDay; }

bool CurrentEntryValid() {
    int index = Rs232_API::CurrentPortIndex();
    return index >= 1 && index <= Rs232_API::MaxOpenPorts;
}
}  // namespace

PollCycle::PollCycle(Display display, std::function<int()> secondsSinceMidnight,
                     std::function<double()> elapsedSeconds)
    : display_(std::move(display)),
      secondsNow_(std::move(secondsSinceMidnight)),
      elapsedNow_(std::move(elapsedSeconds)) {}

long PollCycle::CollectWindow(bool& readFailed) {
    const int start = secondsNow_();
    long held = 0;
    do {
        Rs232_API::Delay(0.1);
        if (cancelled_) return held;
        held = Rs232_API::ReceiveBytes();
        // A failed read means the device is gone or the port is closed: no point waiting on.
        if (held < 0) {
            readFailed = true;
            return held;
        }
    } while (held < static_cast<long>(MeterFrame::Size) && ElapsedSeconds(start, secondsNow_()) <= 1);
    return held;
}

bool PollCycle::Run() {
    if (running_ || cancelled_) return false;
    running_ = true;
    const bool shown = Cycle();
    running_ = false;
    return shown;
}

bool PollCycle::Cycle() {
    if (!CurrentEntryValid()) {
        Reconnect();
        return false;
    }
    int retries = 0;
    for (;;) {
        bool readFailed = false;
        long held = CollectWindow(readFailed);
        if (cancelled_) return false;
        if (retries >= 2 || readFailed) break;
        if (held < static_cast<long>(MeterFrame::Size)) {
            ++retries;
            continue;
        }
        auto& entry = Rs232_API::OpenPorts(Rs232_API::CurrentPortIndex());
        std::vector<std::uint8_t> frame = std::move(entry.receiveBuffer);
        Rs232_API::ClearReceiveBuffer();
        display_.showPort();
        // Without a checksum the two delimiters are the only check; what follows byte 9 is lost.
        // A window without a frame counts as a silent one, so that noise alone ends in No COM.
        if (frame[0] != MeterFrame::Start || frame[8] != MeterFrame::End) {
            ++retries;
            continue;
        }

        CurrentReading& reading = Meter::Current();
        reading.MeterOnline = true;
        reading.FrameTime = elapsedNow_();
        display_.showPort();
        Meter::DecodeStatusByte(reading, frame[1]);
        Meter::DecodeT1(reading, frame[2], frame[3]);
        Meter::DecodeChannelByte(reading, frame[4]);
        Meter::DecodeT2(reading, frame[5], frame[6]);
        display_.showReading();
        Meter::DecodeTypeByte(reading, frame[7]);
        display_.showType();
        return true;
    }
    display_.showNoCom();
    Rs232_API::ClearReceiveBuffer();
    Meter::Current().MeterOnline = false;
    Reconnect();
    return false;
}

void PollCycle::Reconnect() {
    noDataTicks_ += 1;
    if (noDataTicks_ < 2 || !CurrentEntryValid()) return;
    auto& entry = Rs232_API::OpenPorts(Rs232_API::CurrentPortIndex());
    bool open = false;
    try {
        open = Rs232_API::PortDriver().IsOpen(entry.number);
    } catch (...) {
        // A number the driver cannot hold is treated as closed; reopening it fails quietly.
    }
    if (open) {
        Rs232_API::ClosePort(Rs232_API::CurrentPortIndex());
    } else {
        const int number = entry.number;
        const std::string settings = entry.settings;
        Rs232_API::OpenPort(number, settings);
    }
    noDataTicks_ = 0;
}
