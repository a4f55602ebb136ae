#include "logger/MemoryExchange.h"

#include <utility>

#include "logger/DataLogger.h"
#include "serial/EventHooks.h"
#include "serial/Rs232_API.h"

namespace {

constexpr double Step = 0.1;  // the exchange looks at the line every tenth of a second

std::vector<std::uint8_t>& ReceiveBuffer() {
    return Rs232_API::OpenPorts(Rs232_API::CurrentPortIndex()).receiveBuffer;
}

// What the port holds now, taken out of the receive buffer.
std::vector<std::uint8_t> TakeReceived() {
    Rs232_API::ReceiveBytes();
    std::vector<std::uint8_t> taken = std::move(ReceiveBuffer());
    Rs232_API::ClearReceiveBuffer();
    return taken;
}

}  // namespace

MemoryExchange::MemoryExchange(Display display, std::function<double()> clock, Limits limits)
    : display_(std::move(display)), clock_(std::move(clock)), limits_(limits) {}

MemoryExchange::Outcome MemoryExchange::Run() {
    DataLogger& logger = DataLogger::Instance();
    const int index = Rs232_API::CurrentPortIndex();
    if (index < 1 || index > Rs232_API::MaxOpenPorts) return Outcome::NoAnswer;
    logger.DownloadStarted();
    // Let a poll cycle that was collecting finish before the line is ours.
    EventHooks::Delay(1.0);

    long used = 0;
    Outcome failure = Outcome::NoAnswer;
    if (!AskSize(used, failure)) return End(failure);
    const long expected = used + 2;
    EventHooks::Delay(Step);
    if (expected <= 2) return End(Outcome::NoData);
    display_.showWindow(used);

    std::vector<std::uint8_t> start;
    DumpReceiver dump(static_cast<std::size_t>(expected));
    if (!RequestDump(start, failure) || !Transfer(dump, start, failure)) return End(failure);

    // The sets may be opened as soon as they are listed, while the line settles.
    logger.MemoryRead(dump.Memory());
    display_.showSets(Logger::ListSets(logger.MemoryImage(), display_.carryOn));
    display_.transferDone();
    WaitForLiveStream();
    display_.showTime();
    logger.DownloadEnded();
    EventHooks::Delay(1.5);
    return Outcome::Listed;
}

bool MemoryExchange::AskSize(long& usedBytes, Outcome& failure) {
    const double start = clock_();
    while (!TimedOut(start, limits_.answer)) {
        // Whatever the live stream left is not the answer.
        TakeReceived();
        Rs232_API::SendBytes({Logger::SizeCommand});
        long count = 0;
        do {
            EventHooks::Delay(Step);
            count = Rs232_API::ReceiveBytes();
            if (!display_.carryOn()) {
                failure = Outcome::Stopped;
                return false;
            }
            if (TimedOut(start, limits_.answer)) return false;
        } while (count < static_cast<long>(Logger::SizeReplyLength));
        const std::vector<std::uint8_t> reply = ReceiveBuffer();
        if (Logger::IsSizeReply(reply)) {
            usedBytes = Logger::UsedBytes(reply);
            return true;
        }
    }
    return false;
}

bool MemoryExchange::RequestDump(std::vector<std::uint8_t>& start, Outcome& failure) {
    const double begun = clock_();
    for (;;) {
        Rs232_API::ReceiveBytes();
        // The request goes again every step until a few bytes come back within one.
        do {
            Rs232_API::ClearReceiveBuffer();
            Rs232_API::SendBytes({Logger::DumpCommand});
            EventHooks::Delay(Step);
            start = TakeReceived();
            if (!display_.carryOn()) {
                failure = Outcome::Stopped;
                return false;
            }
            if (TimedOut(begun, limits_.answer)) return false;
        } while (start.size() < Logger::DumpStartLength);
        if (Logger::IsDumpStart(start)) return true;
    }
}

bool MemoryExchange::Transfer(DumpReceiver& dump, const std::vector<std::uint8_t>& start, Outcome& failure) {
    const auto expected = static_cast<long>(dump.Expected());
    // A small memory may have come whole with the start of the dump.
    DumpReceiver::Status status = dump.Add(start);
    double lastByte = clock_();
    for (;;) {
        display_.showProgress(Logger::ProgressText(static_cast<long>(dump.Received()), expected));
        if (status == DumpReceiver::Status::Complete) return true;
        // Live frames in place of the dump's last bytes: they will not come.
        if (status == DumpReceiver::Status::LiveFrames) return false;
        EventHooks::ProcessEvents();
        if (!display_.carryOn()) {
            failure = Outcome::Stopped;
            return false;
        }
        EventHooks::Delay(Step);
        const std::size_t before = dump.Received();
        status = dump.Add(TakeReceived());
        if (dump.Received() > before) {
            lastByte = clock_();
        } else if (TimedOut(lastByte, limits_.stall)) {
            return false;
        }
    }
}

void MemoryExchange::WaitForLiveStream() {
    const double start = clock_();
    while (display_.carryOn() && Rs232_API::ReceiveBytes() < 9 && clock_() - start < limits_.liveStream) {
        EventHooks::Delay(Step / 2);
    }
    Rs232_API::ClearReceiveBuffer();
}

MemoryExchange::Outcome MemoryExchange::End(Outcome outcome) {
    // A dump cut short keeps arriving for a while; the poll cycle is not to take it for frames.
    if (outcome != Outcome::NoData) {
        const int number = Rs232_API::OpenPorts(Rs232_API::CurrentPortIndex()).number;
        Rs232_API::PortDriver().CommFlush(number);
    }
    Rs232_API::ClearReceiveBuffer();
    display_.transferDone();
    DataLogger::Instance().DownloadEnded();
    return outcome;
}
