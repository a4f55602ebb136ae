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

}  // namespace

std::optional<std::vector<SetSpec>> ParseSets(const std::string& text, std::string& error) {
    std::vector<SetSpec> sets;
    std::size_t total = 0;
    std::string_view rest = text;
    while (!rest.empty() || sets.empty()) {
        auto comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        auto colon = item.find(':');
        auto interval =
            colon == std::string_view::npos ? std::nullopt : ParseCount(item.substr(0, colon), 255);
        auto records = colon == std::string_view::npos
                           ? std::nullopt
                           : ParseCount(item.substr(colon + 1), static_cast<int>(Capacity / 7));
        if (!interval || !records) {
            error = "sets must be INTERVAL:RECORDS[,...] with an interval of 0 to 255 s, not '" +
                    std::string(item) + "'";
            return std::nullopt;
        }
        sets.push_back({*interval, *records});
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
    MeterSettings swinging = settings;
    swinging.Apply("wave", "sine");
    std::vector<std::uint8_t> image;
    double clock = 0.0;
    for (const SetSpec& set : sets) {
        image.insert(image.end(), std::begin(SetMarker), std::end(SetMarker));
        image.push_back(static_cast<std::uint8_t>(set.interval));
        for (int i = 0; i < set.records; ++i) {
            auto record = FrameEncoder::EncodeRecord(swinging.SampleAt(clock));
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
