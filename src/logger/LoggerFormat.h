#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The meter's data-logger memory and its two answers on the line, and the texts made from them.
// The memory is data sets back to back: the marker 00 55 AA 00, one byte of sampling interval in
// seconds, then 7-byte records (a live frame without its 02 and 03).
namespace Logger {

inline constexpr std::uint32_t DataStart = 35968;  // address of the first logged byte
inline constexpr long Capacity = 62083;            // logger bytes, for the "Remained" figure
inline constexpr std::uint8_t SizeCommand = 0x41;  // "A"
inline constexpr std::uint8_t DumpCommand = 0x55;  // "U"
inline constexpr std::size_t SizeReplyLength = 5;
inline constexpr std::size_t DumpStartLength = 5;
inline constexpr std::size_t RecordLength = 7;

using Bytes = std::span<const std::uint8_t>;

// 02 .. .. .. 03: the answer to "A" (a live frame caught instead usually fails this).
bool IsSizeReply(Bytes reply);
// Used memory from a size reply: its end address minus DataStart (negative or 0: no data).
long UsedBytes(Bytes sizeReply);
// 02 00 55 AA 00: the dump's lead byte and the first set's marker.
bool IsDumpStart(Bytes received);

// Free logger memory, "58.4 K".
std::string RemainedText(long usedBytes);
// Transfer progress, "37.5% Completed".
std::string ProgressText(long received, long expected);

struct DataSet {
    int number = 0;          // 1 for the first set
    int sampling = 0;        // seconds between records
    long records = 0;        // as the walk counts them: always at least 1
    std::size_t offset = 0;  // of the set's marker in the memory
    // The dump ended inside this set, before the size the meter announced: records may be missing.
    bool incomplete = false;
};

// Walks the memory as the meter lays it out: a set starts where the previous one ended, stray
// bytes are stepped over one at a time, and a marker inside a set's records is data. A set's
// records end at the next marker or at the end of the memory; a set always counts at least one.
// `keepGoing`, asked before each set is added, may end the walk early.
std::vector<DataSet> ListSets(Bytes memory, const std::function<bool()>& keepGoing = {});

// The sampling byte of set `number` followed by its records, found by the same walk and never
// read past the end of the memory; nothing when the memory holds no such set.
std::optional<std::vector<std::uint8_t>> CutSet(Bytes memory, int number);

// The start time typed for a data set: hours, minutes and seconds joined by ':' (8:5:3, 25:00:00,
// 30:75:10 ...), each taken as its last two digits and brought into the day.
struct StartTime {
    // NotATime: a part prints with a sign or a decimal point among its last two characters.
    enum class Status { Ok, NoColon, OneColon, NotATime };
    Status status = Status::NoColon;
    int seconds = 0;  // of the day, when Ok
};
StartTime ParseStartTime(std::string_view answer);

// "hh:mm:ss" of a second of the day; any whole number of seconds wraps into the day.
std::string TimeText(long secondsOfDay);

// A set as CutSet gives it: its whole records (a partial last one is left out), record `i` (from
// 1) as a data-list row stamped from `startSeconds` at the set's interval, and whether a
// two-channel meter recorded it (channel byte of its first record not 255).
long SetRecordCount(Bytes set);
std::string SetRow(Bytes set, long i, long startSeconds, bool twoChannelLayout);
bool IsTwoChannelSet(Bytes set);

// One data-list row of a record: number, time, reading(s) "0.0" or a mark, unit; TAB-separated.
// The record is decoded on its own, never into the live reading.
std::string RecordRow(long number, const std::string& time, Bytes record, bool twoChannelLayout);

}  // namespace Logger
