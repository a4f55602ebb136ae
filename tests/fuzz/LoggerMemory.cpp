// A logger memory through everything the download and the data lists do with it: the size
// answer, the dump as it arrives between live frames, the walk over its sets, the cut of each
// set, every record row, and the start time typed for a set.
//
// Input: the start time text, a newline, then the memory (the used bytes from the first set
// marker on, as the meter sends them after "U").
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzInput.h"
#include "logger/DumpReceiver.h"
#include "logger/LoggerFormat.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// 25.0 C on T1, 10.0 C on T2: the live stream the meter goes back to after the dump.
const Bytes LiveFrame = {0x02, 0x00, 0x00, 0xFA, 0x00, 0x00, 0x64, 0x00, 0x03};

// The answer to "A" for a memory of `used` bytes.
Bytes SizeReply(std::size_t used) {
    const std::uint32_t end = Logger::DataStart + static_cast<std::uint32_t>(used);
    return {0x02, static_cast<std::uint8_t>(end >> 16), static_cast<std::uint8_t>(end >> 8),
            static_cast<std::uint8_t>(end), 0x03};
}

// The dump as it comes: lead byte, memory, closing byte, then live frames, in the pieces of a
// tenth of a second at 9600 baud.
Bytes Download(const Bytes& memory) {
    const Bytes reply = SizeReply(memory.size());
    Fuzz::Require(Logger::IsSizeReply(reply), "a size answer is recognised");
    const long used = Logger::UsedBytes(reply);
    Fuzz::Require(used == static_cast<long>(memory.size()), "the size answer gives the memory's size");
    Logger::RemainedText(used);

    Bytes stream = {0x02};
    stream.insert(stream.end(), memory.begin(), memory.end());
    stream.push_back(0x03);
    for (int i = 0; i < 3; ++i) stream.insert(stream.end(), LiveFrame.begin(), LiveFrame.end());
    DumpReceiver dump(static_cast<std::size_t>(used) + 2);
    DumpReceiver::Status status = DumpReceiver::Status::Receiving;
    for (std::size_t at = 0; at < stream.size() && status == DumpReceiver::Status::Receiving; at += 96) {
        const std::size_t n = std::min<std::size_t>(96, stream.size() - at);
        status = dump.Add({stream.data() + at, n});
        Logger::ProgressText(static_cast<long>(dump.Received()), used + 2);
    }
    // Memory bytes that look like live frames for a whole wait are taken for the stream coming
    // back: the receiver cannot tell them apart, and says so.
    if (status == DumpReceiver::Status::LiveFrames) {
        const Bytes kept = dump.PartialMemory();
        Fuzz::Require(kept.size() <= memory.size() && std::equal(kept.begin(), kept.end(), memory.begin()),
                      "a dump taken for short keeps the memory's first bytes, never a frame's");
        return memory;
    }
    Fuzz::Require(status == DumpReceiver::Status::Complete, "a whole dump completes");
    return dump.Memory();
}

// A shown reading says what its record's bytes say: a mark, or the magnitude in tenths.
void RequireReading(std::string_view text, int flags, int high, int low) {
    if (flags & 0x20) {
        Fuzz::Require(text == "----", "no-reading flag gives ----");
    } else if (flags & 0x40) {
        Fuzz::Require(text == ((flags & 0x80) ? "-OL" : "OL"), "overload flags give OL or -OL");
    } else {
        const double value = std::strtod(std::string(text).c_str(), nullptr);
        Fuzz::Require(std::lround(std::fabs(value) * 10) == high * 256 + low, "a row's reading re-encodes");
    }
}

std::vector<std::string> Cells(const std::string& row) {
    std::vector<std::string> cells(1);
    for (char c : row) {
        if (c == '\t') {
            cells.emplace_back();
        } else {
            cells.back().push_back(c);
        }
    }
    return cells;
}

void RequireRows(const Bytes& set, int startSeconds) {
    const bool dual = Logger::IsTwoChannelSet(set);
    const long records = Logger::SetRecordCount(set);
    for (long i = 1; i <= records; ++i) {
        const std::uint8_t* r = set.data() + 1 + Logger::RecordLength * static_cast<std::size_t>(i - 1);
        const std::vector<std::string> cells = Cells(Logger::SetRow(set, i, startSeconds, dual));
        Fuzz::Require(cells.size() == (dual ? 6u : 4u), "a row has the cells of its layout");
        Fuzz::Require(cells[0] == std::to_string(i), "rows are numbered from 1");
        Fuzz::Require(cells[1] == Logger::TimeText(startSeconds + (i - 1) * long{set[0]}), "rows step by the interval");
        RequireReading(cells[2], r[0], r[1], r[2]);
        // A one-channel record in a two-channel set has no T2, nor a difference.
        if (dual && r[3] == 255) Fuzz::Require(cells[3].empty() && cells[4].empty(), "no T2 in a one-channel record");
        if (dual && r[3] != 255) RequireReading(cells[3], r[3], r[4], r[5]);
        Fuzz::Require(cells.back() == std::string(1, "CFKF"[r[0] % 4]), "the unit re-encodes");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint8_t* newline = std::find(data, data + size, '\n');
    const std::string_view startText(reinterpret_cast<const char*>(data), static_cast<std::size_t>(newline - data));
    const Bytes memory(newline == data + size ? newline : newline + 1, data + size);

    // The start time: what is taken shows as a time that reads back as itself.
    const Logger::StartTime start = Logger::ParseStartTime(startText);
    int startSeconds = 0;
    if (start.status == Logger::StartTime::Status::Ok) {
        Fuzz::Require(start.seconds >= 0 && start.seconds < 86400, "a start time lies in the day");
        const Logger::StartTime again = Logger::ParseStartTime(Logger::TimeText(start.seconds));
        Fuzz::Require(again.status == Logger::StartTime::Status::Ok && again.seconds == start.seconds,
                      "a start time reads back from its text");
        startSeconds = start.seconds;
    }

    if (memory.empty()) return 0;
    Fuzz::Require(Download(memory) == memory, "the dump gives back the memory");

    const std::vector<Logger::DataSet> sets = Logger::ListSets(memory);
    std::size_t after = 0;  // where the previous set's records end
    for (std::size_t k = 0; k < sets.size(); ++k) {
        const Logger::DataSet& s = sets[k];
        Fuzz::Require(s.number == static_cast<int>(k) + 1, "sets are numbered from 1 in memory order");
        Fuzz::Require(s.offset >= after && s.offset + 5 <= memory.size() && s.records >= 1,
                      "a set starts after the one before, inside the memory");
        after = s.offset + 5 + Logger::RecordLength * static_cast<std::size_t>(s.records);
        const auto cut = Logger::CutSet(memory, s.number);
        Fuzz::Require(cut && !cut->empty() && (*cut)[0] == s.sampling, "a listed set can be cut, with its interval");
        Fuzz::Require(s.offset + 5 + cut->size() - 1 <= memory.size(), "a cut set lies inside the memory");
        Fuzz::Require(std::equal(cut->begin() + 1, cut->end(), memory.begin() + static_cast<long>(s.offset) + 5) &&
                          Logger::SetRecordCount(*cut) <= s.records,
                      "a cut set is its records in the memory");
        RequireRows(*cut, startSeconds);
    }
    Fuzz::Require(!Logger::CutSet(memory, static_cast<int>(sets.size()) + 1), "no set past the last");
    return 0;
}
