#include "LoggerMemory.h"

#include <charconv>
#include <fstream>
#include <iterator>

#include "FrameEncoder.h"

namespace LoggerMemory {

namespace {

std::optional<int> ParseCount(std::string_view text, int max) {
    int v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || v < 0 || v > max)
        return std::nullopt;
    return v;
}

std::size_t SetBytes(const SetSpec& set) { return 5 + 7 * static_cast<std::size_t>(set.records); }

// Each flag may come once: a set has one channel mode and one unit.
bool ApplyFlags(std::string_view flags, SetSpec& set) {
    if (flags.empty()) return false;
    for (char f : flags) {
        if (f == '1' || f == '2') {
            if (set.channels != 0) return false;
            set.channels = f - '0';
        } else if (f == 'C' || f == 'F' || f == 'K') {
            if (set.unit != 0) return false;
            set.unit = f;
        } else if (f == 'm' && !set.marks) {
            set.marks = true;
        } else {
            return false;
        }
    }
    return true;
}

std::optional<SetSpec> ParseSet(std::string_view item, std::string& error) {
    auto first = item.find(':');
    auto second = first == std::string_view::npos ? first : item.find(':', first + 1);
    std::optional<int> interval, records;
    if (first != std::string_view::npos) {
        interval = ParseCount(item.substr(0, first), 255);
        records = ParseCount(item.substr(first + 1, second - first - 1), static_cast<int>(Capacity / 7));
    }
    if (!interval || !records) {
        error = "sets must be INTERVAL:RECORDS[:FLAGS][,...] with an interval of 0 to 255 s, not '" +
                std::string(item) + "'";
        return std::nullopt;
    }
    SetSpec set{*interval, *records};
    if (second != std::string_view::npos && !ApplyFlags(item.substr(second + 1), set)) {
        error = "set flags are 1 or 2 (channels), m (marks) and C, F or K (unit), each at most once, not '" +
                std::string(item.substr(second + 1)) + "' in '" + std::string(item) + "'";
        return std::nullopt;
    }
    return set;
}

// The marks cycle so that a set holds all three on each channel; T2's fall on other records than
// T1's, so each mark also shows beside a plain reading on the other channel.
void AddMarks(MeterSample& sample, int index) {
    static constexpr SimReading::Kind Cycle[] = {SimReading::Kind::Over, SimReading::Kind::Under,
                                                 SimReading::Kind::NoReading};
    SimReading mark = SimReading::Mark(Cycle[(index / 7) % 3]);
    if (index % 7 == 6) sample.t1 = mark;
    if (index % 7 == 2 && sample.channels == 2) sample.t2 = mark;
}

}  // namespace

std::optional<std::vector<SetSpec>> ParseSets(const std::string& text, std::string& error) {
    std::vector<SetSpec> sets;
    std::size_t total = 0;
    std::string_view rest = text;
    while (!rest.empty() || sets.empty()) {
        auto comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        auto set = ParseSet(item, error);
        if (!set) return std::nullopt;
        sets.push_back(*set);
        total += SetBytes(sets.back());
        if (comma != std::string_view::npos && rest.empty()) {
            error = "sets end with a comma";
            return std::nullopt;
        }
    }
    if (total > Capacity) {
        error = "sets need " + std::to_string(total) + " bytes, the logger holds " + std::to_string(Capacity);
        return std::nullopt;
    }
    return sets;
}

std::vector<std::uint8_t> BuildImage(const std::vector<SetSpec>& sets, const MeterSettings& settings) {
    std::vector<std::uint8_t> image;
    double clock = 0.0;
    for (const SetSpec& set : sets) {
        MeterSettings meter = settings;
        meter.Apply("wave", "sine");
        if (set.channels != 0) meter.Apply("channels", std::to_string(set.channels));
        if (set.unit != 0) meter.Apply("unit", std::string(1, set.unit));
        image.insert(image.end(), std::begin(SetMarker), std::end(SetMarker));
        image.push_back(static_cast<std::uint8_t>(set.interval));
        for (int i = 0; i < set.records; ++i) {
            MeterSample sample = meter.SampleAt(clock);
            if (set.marks) AddMarks(sample, i);
            auto record = FrameEncoder::EncodeRecord(sample);
            image.insert(image.end(), record.begin(), record.end());
            clock += set.interval;
        }
    }
    return image;
}

std::optional<std::vector<std::uint8_t>> ReadImageFile(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read memory file '" + path + "'";
        return std::nullopt;
    }
    std::vector<std::uint8_t> image;
    char c;
    while (image.size() <= Capacity && in.get(c)) image.push_back(static_cast<std::uint8_t>(c));
    if (in.bad()) {
        error = "cannot read memory file '" + path + "'";
        return std::nullopt;
    }
    if (image.size() > Capacity) {
        error =
            "memory file '" + path + "' is larger than the logger's " + std::to_string(Capacity) + " bytes";
        return std::nullopt;
    }
    return image;
}

std::vector<std::uint8_t> SizeReply(std::size_t usedBytes) {
    auto end = static_cast<std::uint32_t>(StartAddress + usedBytes);
    return {0x02, static_cast<std::uint8_t>(end >> 16), static_cast<std::uint8_t>(end >> 8),
            static_cast<std::uint8_t>(end), 0x03};
}

std::vector<std::uint8_t> DumpReply(const std::vector<std::uint8_t>& memory) {
    std::vector<std::uint8_t> reply;
    reply.reserve(memory.size() + 2);
    reply.push_back(0x02);
    reply.insert(reply.end(), memory.begin(), memory.end());
    reply.push_back(0x03);
    return reply;
}

}  // namespace LoggerMemory
