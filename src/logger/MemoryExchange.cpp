#include "logger/MemoryExchange.h"

#include <utility>

namespace {
constexpr double Step = 0.1;  // the exchange looks at the line every tenth of a second
}  // namespace

MemoryExchange::MemoryExchange(Line& line, Display display, std::function<double()> clock, Limits limits)
    : line_(line), display_(std::move(display)), clock_(std::move(clock)), limits_(limits) {}

std::vector<std::uint8_t> MemoryExchange::TakeInto(std::vector<std::uint8_t>& held) {
    const std::vector<std::uint8_t> arrived = line_.Take();
    held.insert(held.end(), arrived.begin(), arrived.end());
    return held;
}

MemoryExchange::Outcome MemoryExchange::Run() {
    long used = 0;
    Outcome failure = Outcome::NoAnswer;
    if (!AskSize(used, failure)) return End(failure);
    const long expected = used + 2;
    line_.Wait(Step);
    if (expected <= 2) return End(Outcome::NoData);
    display_.showWindow(used);

    std::vector<std::uint8_t> start;
    DumpReceiver dump(static_cast<std::size_t>(expected));
    if (!RequestDump(start, failure)) return End(failure);
    const bool whole = Transfer(dump, start, failure);
    if (!whole && failure == Outcome::Stopped) return End(failure);

    // A dump that ended short keeps what came: its sets are listed as far as they arrived.
    const std::vector<std::uint8_t> memory = whole ? dump.Memory() : dump.PartialMemory();
    if (!whole) line_.Flush();
    std::vector<Logger::DataSet> sets = Logger::ListSets(memory, display_.carryOn);
    // The memory holds no record counts: only the set the dump ended inside can have lost records,
    // and nothing tells whether it did.
    if (!whole && !sets.empty()) sets.back().incomplete = true;
    display_.showSets(memory, sets, used);
    display_.transferDone();
    display_.showTime();
    return whole ? Outcome::Listed : failure;
}

bool MemoryExchange::AskSize(long& usedBytes, Outcome& failure) {
    const double start = clock_();
    while (!TimedOut(start, limits_.answer)) {
        // Whatever the live stream left is not the answer; a meter that does not answer keeps
        // streaming its readings meanwhile, and they are the line owner's.
        line_.Unanswered(line_.Take());
        line_.Send(Logger::SizeCommand);
        std::vector<std::uint8_t> reply;
        do {
            line_.Wait(Step);
            TakeInto(reply);
            if (!display_.carryOn()) {
                failure = Outcome::Stopped;
                return false;
            }
            if (TimedOut(start, limits_.answer)) {
                line_.Unanswered(reply);
                return false;
            }
        } while (reply.size() < Logger::SizeReplyLength);
        if (Logger::IsSizeReply(reply)) {
            usedBytes = Logger::UsedBytes(reply);
            return true;
        }
        line_.Unanswered(reply);
    }
    return false;
}

bool MemoryExchange::RequestDump(std::vector<std::uint8_t>& start, Outcome& failure) {
    const double begun = clock_();
    for (;;) {
        // The request goes again every step until a few bytes come back within one.
        do {
            line_.Take();
            line_.Send(Logger::DumpCommand);
            line_.Wait(Step);
            start = line_.Take();
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
    bool lost = false;
    for (;;) {
        display_.showProgress(Logger::ProgressText(static_cast<long>(dump.Received()), expected));
        if (status == DumpReceiver::Status::Complete) return true;
        // Live frames in place of the dump's last bytes: the meter ended its answer, they will not come.
        if (status == DumpReceiver::Status::LiveFrames) {
            failure = Outcome::Short;
            return false;
        }
        if (lost) {
            failure = Outcome::Lost;
            return false;
        }
        if (!display_.carryOn()) {
            failure = Outcome::Stopped;
            return false;
        }
        line_.Wait(Step);
        const std::size_t before = dump.Received();
        status = dump.Add(line_.Take());
        if (dump.Received() > before) lastByte = clock_();
        // What came with the hang-up is kept; after it, or a silence, nothing more will come.
        lost = line_.Gone() || TimedOut(lastByte, limits_.stall);
    }
}

MemoryExchange::Outcome MemoryExchange::End(Outcome outcome) {
    // A dump cut short may still be arriving: none of it may be taken for anything else.
    if (outcome != Outcome::NoData) line_.Flush();
    display_.transferDone();
    return outcome;
}
