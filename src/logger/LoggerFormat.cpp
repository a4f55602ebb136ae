#include "logger/LoggerFormat.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <optional>

#include "meter/Meter.h"
#include "meter/Reading.h"

namespace Logger {

namespace {

constexpr std::array<std::uint8_t, 4> Marker = {0x00, 0x55, 0xAA, 0x00};
constexpr long SecondsPerDay = 86400;

bool MarkerAt(Bytes memory, std::size_t at) {
    return at + Marker.size() <= memory.size() && std::equal(Marker.begin(), Marker.end(), memory.begin() + at);
}

// The records of the set whose marker is at `at`: whole 7-byte steps until the next marker, at
// least one, and for the last set as many steps as it takes to reach the end of the memory.
long CountRecords(Bytes memory, std::size_t at) {
    const std::size_t first = at + 5;
    long k = 0;
    do {
        ++k;
        if (first + 1 + RecordLength * k >= memory.size()) break;
    } while (!MarkerAt(memory, first + RecordLength * k));
    return k;
}

// Calls `visit(set)` for each set in memory order until it returns false.
template <typename Visit>
void WalkSets(Bytes memory, Visit visit) {
    std::size_t at = 0;
    int number = 0;
    while (at + Marker.size() < memory.size()) {
        if (!MarkerAt(memory, at)) {
            ++at;
            continue;
        }
        DataSet set{++number, memory[at + 4], CountRecords(memory, at), at};
        if (!visit(set)) return;
        at += 5 + RecordLength * static_cast<std::size_t>(set.records);
    }
}

std::string OneDecimal(double value) { return FormatOneDecimal(value); }

// The leading number of a text (blanks before it skipped, a sign, digits, a decimal point and
// more digits); 0 when there is none.
double LeadingValue(std::string_view text) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos) return 0;
    double sign = 1;
    if (text[i] == '+' || text[i] == '-') sign = text[i++] == '-' ? -1 : 1;
    double value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) value = value * 10 + (text[i] - '0');
    if (i < text.size() && text[i] == '.') {
        double place = 0.1;
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, place /= 10) value += (text[i] - '0') * place;
    }
    return value == 0 ? 0 : sign * value;
}

// One part of a typed time: its leading number as it prints, with "00" in front, of which the
// last two characters are kept (7 is 07, 123 is 23). When those are not two digits (-5, 8.5) the
// text is no time of day.
std::optional<long> TimePart(std::string_view text) {
    char printed[48];
    std::snprintf(printed, sizeof printed, "00%.15g", LeadingValue(text));
    const std::string_view last = std::string_view(printed).substr(std::strlen(printed) - 2);
    if (last[0] < '0' || last[0] > '9' || last[1] < '0' || last[1] > '9') return std::nullopt;
    return (last[0] - '0') * 10 + (last[1] - '0');
}

}  // namespace

bool IsSizeReply(Bytes reply) {
    return reply.size() >= SizeReplyLength && reply[0] == 0x02 && reply[4] == 0x03;
}

long UsedBytes(Bytes reply) {
    const long end = (long{reply[1]} << 16) | (long{reply[2]} << 8) | long{reply[3]};
    return end - static_cast<long>(DataStart);
}

bool IsDumpStart(Bytes received) {
    return received.size() >= DumpStartLength && received[0] == 0x02 && MarkerAt(received, 1);
}

std::string RemainedText(long usedBytes) { return OneDecimal((Capacity - usedBytes) / 1024.0) + " K"; }

std::string ProgressText(long received, long expected) {
    return OneDecimal(expected > 0 ? 100.0 * received / expected : 0.0) + "% Completed";
}

std::vector<DataSet> ListSets(Bytes memory, const std::function<bool()>& keepGoing) {
    std::vector<DataSet> sets;
    WalkSets(memory, [&](const DataSet& set) {
        if (keepGoing && !keepGoing()) return false;
        sets.push_back(set);
        return true;
    });
    return sets;
}

std::optional<std::vector<std::uint8_t>> CutSet(Bytes memory, int number) {
    std::optional<std::vector<std::uint8_t>> cut;
    WalkSets(memory, [&](const DataSet& set) {
        if (set.number != number) return true;
        const std::size_t first = set.offset + 5;
        const std::size_t end = std::min(memory.size(), first + RecordLength * static_cast<std::size_t>(set.records));
        cut.emplace(1 + end - std::min(first, end));
        cut->front() = static_cast<std::uint8_t>(set.sampling);
        std::copy(memory.begin() + static_cast<std::ptrdiff_t>(std::min(first, end)),
                  memory.begin() + static_cast<std::ptrdiff_t>(end), cut->begin() + 1);
        return false;
    });
    return cut;
}

StartTime ParseStartTime(std::string_view answer) {
    const std::size_t c1 = answer.find(':');
    if (c1 == std::string_view::npos) return {};
    const std::size_t c2 = answer.find(':', c1 + 1);
    if (c2 == std::string_view::npos) return {StartTime::Status::OneColon, 0};
    // Each part keeps its last two digits, then comes into the day (25 h is 1 h).
    const std::optional<long> hours = TimePart(answer.substr(0, c1));
    const std::optional<long> minutes = TimePart(answer.substr(c1 + 1, c2 - c1 - 1));
    const std::optional<long> seconds = TimePart(answer.substr(c2 + 1, 2));
    if (!hours || !minutes || !seconds) return {StartTime::Status::NotATime, 0};
    return {StartTime::Status::Ok, static_cast<int>(*hours % 24 * 3600 + *minutes % 60 * 60 + *seconds % 60)};
}

std::string TimeText(long secondsOfDay) {
    const long s = ((secondsOfDay % SecondsPerDay) + SecondsPerDay) % SecondsPerDay;
    char text[9];
    const long parts[3] = {s / 3600, s / 60 % 60, s % 60};
    for (int i = 0; i < 3; ++i) {
        text[3 * i] = static_cast<char>('0' + parts[i] / 10);
        text[3 * i + 1] = static_cast<char>('0' + parts[i] % 10);
        if (i < 2) text[3 * i + 2] = ':';
    }
    return std::string(text, 8);
}

long SetRecordCount(Bytes set) { return set.empty() ? 0 : static_cast<long>((set.size() - 1) / RecordLength); }

std::string SetRow(Bytes set, long i, long startSeconds, bool twoChannelLayout) {
    const Bytes record = set.subspan(1 + RecordLength * static_cast<std::size_t>(i - 1), RecordLength);
    return RecordRow(i, TimeText(startSeconds + (i - 1) * set[0]), record, twoChannelLayout);
}

bool IsTwoChannelSet(Bytes set) { return SetRecordCount(set) == 0 || set[1 + 3] != 255; }

std::string RecordRow(long number, const std::string& time, Bytes record, bool twoChannelLayout) {
    CurrentReading reading;
    Meter::DecodeFrameBody(reading, record.data());
    std::string row = std::to_string(number) + '\t' + time + '\t' + reading.T1Value.Text() + '\t';
    if (twoChannelLayout) row += reading.T2Value.Text() + '\t' + reading.T1T2Value.Text() + '\t';
    return row + reading.UnitText;
}

}  // namespace Logger
