#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "MeterSettings.h"

// The meter's data-logger memory and its two answers on the line.
namespace LoggerMemory {

constexpr std::uint32_t StartAddress = 35968;  // 0x8C80: where logged data begins
constexpr std::size_t Capacity = 62083;        // the most the logger can hold
constexpr std::uint8_t SetMarker[4] = {0x00, 0x55, 0xAA, 0x00};

struct SetSpec {
    int interval = 0;  // seconds, 0 to 255
    int records = 0;
    int channels = 0;    // 1 or 2; 0 keeps the settings' channels
    char unit = 0;       // 'C', 'F' or 'K'; 0 keeps the settings' unit
    bool marks = false;  // some records carry OL, -OL or ---- instead of a reading
};

// A logger filled to the last byte, as sets text: 7 sets of 8864 records in all, with every interval
// class, both channel modes, all three units and marks in some sets.
constexpr const char* FullSets = "1:4200:2C,2:1800:1Fm,5:1200:2Km,10:900:2F,30:480:1Cm,60:240:2Cm,255:44:1K";

// "10:20,1:5:1Fm": sets of INTERVAL:RECORDS[:FLAGS], the flags in any order: 1 or 2 for the channels,
// m for marks, C, F or K for the unit. Nothing and an error text when malformed or when the sets would
// not fit the logger.
std::optional<std::vector<SetSpec>> ParseSets(const std::string& text, std::string& error);

// Sets back to back, each its marker, interval byte and records; the readings follow the settings'
// values with a gentle swing over the set's time so that a plot of a set is not a flat line. A set's
// own channels and unit replace the settings' for its records; with marks, every 7th record has a
// mark on T1 and, on two channels, other records every 7 have one on T2, cycling through OL, -OL, ----.
std::vector<std::uint8_t> BuildImage(const std::vector<SetSpec>& sets, const MeterSettings& settings);

// The used memory from a file as it is, up to the logger's capacity.
std::optional<std::vector<std::uint8_t>> ReadImageFile(const std::string& path, std::string& error);

// Answer to "A": 02, end address bits 16-23, 8-15, 0-7, 03; the end is StartAddress + used bytes.
std::vector<std::uint8_t> SizeReply(std::size_t usedBytes);
// Answer to "U": 02, the used memory, a closing 03.
std::vector<std::uint8_t> DumpReply(const std::vector<std::uint8_t>& memory);

}  // namespace LoggerMemory
