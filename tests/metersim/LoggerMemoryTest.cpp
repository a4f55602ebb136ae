#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include "LoggerMemory.h"
#include "SimOptions.h"
#include "meter/Meter.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = Reading::Kind;

struct WalkedSet {
    int interval = 0;
    std::vector<CurrentReading> records;
};

bool MarkerAt(const Bytes& image, std::size_t at) {
    return at + 4 <= image.size() && std::equal(std::begin(LoggerMemory::SetMarker),
                                                std::end(LoggerMemory::SetMarker), image.begin() + at);
}

// Splits an image at its set markers, as a reader of the dump does, and decodes every record with the
// program's own decoders.
std::vector<WalkedSet> Walk(const Bytes& image) {
    std::vector<WalkedSet> sets;
    std::size_t at = 0;
    while (MarkerAt(image, at) && at + 5 <= image.size()) {
        WalkedSet set{image[at + 4], {}};
        for (at += 5; at + 7 <= image.size() && !MarkerAt(image, at); at += 7) {
            CurrentReading r;
            Meter::DecodeFrameBody(r, image.data() + at);
            set.records.push_back(r);
        }
        sets.push_back(set);
    }
    EXPECT_EQ(at, image.size()) << "the sets do not cover the image";
    return sets;
}

TEST(LoggerMemory, ParseSetsReadsIntervalsAndCounts) {
    std::string error;
    auto sets = LoggerMemory::ParseSets("10:20,1:5,255:0", error);
    ASSERT_TRUE(sets) << error;
    ASSERT_EQ(sets->size(), 3u);
    EXPECT_EQ((*sets)[0].interval, 10);
    EXPECT_EQ((*sets)[0].records, 20);
    EXPECT_EQ((*sets)[1].interval, 1);
    EXPECT_EQ((*sets)[1].records, 5);
    EXPECT_EQ((*sets)[2].interval, 255);
    EXPECT_EQ((*sets)[2].records, 0);
}

TEST(LoggerMemory, ParseSetsRefusesMalformedOrOversizedMemory) {
    // 5 + 7 * 8868 = 62081 fits the 62083 bytes; one record more does not.
    std::string error;
    EXPECT_TRUE(LoggerMemory::ParseSets("10:8868", error)) << error;
    for (const char* bad : {"", "10", "10:", ":5", "256:1", "-1:5", "10:5,", "10:5,,1:1", "a:b", "10:5 ",
                            "10:8869", "10:4434,10:4434"}) {
        error.clear();
        EXPECT_FALSE(LoggerMemory::ParseSets(bad, error)) << "'" << bad << "'";
        EXPECT_FALSE(error.empty()) << "'" << bad << "'";
    }
}

TEST(LoggerMemory, ParseSetsReadsFlagsInAnyOrder) {
    struct Case {
        const char* text;
        int channels;
        char unit;
        bool marks;
    } cases[] = {
        {"10:5", 0, 0, false},      {"10:5:1", 1, 0, false},   {"10:5:2Fm", 2, 'F', true},
        {"10:5:mK2", 2, 'K', true}, {"10:5:C", 0, 'C', false}, {"10:5:m", 0, 0, true},
    };
    for (const auto& c : cases) {
        std::string error;
        auto sets = LoggerMemory::ParseSets(c.text, error);
        ASSERT_TRUE(sets) << c.text << ": " << error;
        ASSERT_EQ(sets->size(), 1u) << c.text;
        const auto& set = sets->front();
        EXPECT_EQ(set.interval, 10) << c.text;
        EXPECT_EQ(set.records, 5) << c.text;
        EXPECT_EQ(set.channels, c.channels) << c.text;
        EXPECT_EQ(set.unit, c.unit) << c.text;
        EXPECT_EQ(set.marks, c.marks) << c.text;
    }

    std::string error;
    auto mixed = LoggerMemory::ParseSets("1:3:1m,2:4,5:6:K", error);
    ASSERT_TRUE(mixed) << error;
    ASSERT_EQ(mixed->size(), 3u);
    EXPECT_EQ((*mixed)[1].channels, 0) << "flags belong to their own set";
    EXPECT_FALSE((*mixed)[1].marks);
    EXPECT_EQ((*mixed)[2].unit, 'K');
}

TEST(LoggerMemory, ParseSetsRefusesBadFlags) {
    struct Case {
        const char* text;
        const char* inError;
    } cases[] = {
        {"10:5:", "flags"},   {"10:5:3", "flags"},   {"10:5:12", "flags"},          {"10:5:CF", "flags"},
        {"10:5:mm", "flags"}, {"10:5:c", "flags"},   {"10:5:M", "flags"},           {"10:5:2:", "flags"},
        {"10:5: 2", "flags"}, {"1:1,10:5:x", "'x'"}, {"10::2", "INTERVAL:RECORDS"}, {"10:5:2K,", "comma"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_FALSE(LoggerMemory::ParseSets(c.text, error)) << c.text;
        EXPECT_NE(error.find(c.inError), std::string::npos) << c.text << " -> " << error;
    }
}

TEST(LoggerMemory, SetFlagsDecideChannelsUnitAndMarksOfTheirRecords) {
    // The command line asks for one channel in F; 74.3 F and 69.8 F are 23.5 C and 21.0 C.
    MeterSettings settings;
    settings.Apply("channels", "1");
    settings.Apply("unit", "F");
    settings.Apply("t1", "74.3");
    settings.Apply("t2", "69.8");
    std::string error;
    auto sets = LoggerMemory::ParseSets("5:21,5:21:2,5:21:Cm,5:21:m2K,5:21:1m", error);
    ASSERT_TRUE(sets) << error;
    struct Expected {
        bool dual;
        std::string unit;
        double t1, t2;
        bool marks;
    } expected[] = {
        {false, "F", 74.3, 69.8, false}, {true, "F", 74.3, 69.8, false}, {false, "C", 23.5, 21.0, true},
        {true, "K", 296.7, 294.2, true}, {false, "F", 74.3, 69.8, true},
    };
    std::vector<WalkedSet> walked = Walk(LoggerMemory::BuildImage(*sets, settings));
    ASSERT_EQ(walked.size(), std::size(expected));

    const std::set<Kind> allMarks = {Kind::Over, Kind::Under, Kind::NoReading};
    for (std::size_t i = 0; i < walked.size(); ++i) {
        const Expected& e = expected[i];
        ASSERT_EQ(walked[i].records.size(), 21u) << "set " << i;
        std::set<Kind> t1Marks, t2Marks;
        int numbers = 0;
        for (const CurrentReading& r : walked[i].records) {
            EXPECT_EQ(r.DualChannel, e.dual) << "set " << i;
            EXPECT_EQ(r.UnitText, e.unit) << "set " << i;
            if (r.T1Value.IsMark()) t1Marks.insert(r.T1Value.kind());
            if (r.DualChannel && r.T2Value.IsMark()) t2Marks.insert(r.T2Value.kind());
            // The swing stays within 2.3 degrees of the set value.
            if (r.T1Value.IsNumber() && (!r.DualChannel || r.T2Value.IsNumber())) {
                ++numbers;
                EXPECT_NEAR(r.T1Value.Value(), e.t1, 2.5) << "set " << i;
                if (e.dual) {
                    EXPECT_NEAR(r.T2Value.Value(), e.t2, 2.5) << "set " << i;
                }
            }
        }
        EXPECT_EQ(t1Marks, e.marks ? allMarks : std::set<Kind>{}) << "set " << i;
        EXPECT_EQ(t2Marks, e.marks && e.dual ? allMarks : std::set<Kind>{}) << "set " << i;
        EXPECT_GE(numbers, 14) << "marks are the exception in set " << i;
    }
}

TEST(LoggerMemory, FullLoggerIsEveryByteInSevenMixedSets) {
    ParseOutcome full = ParseOptions({"--com", "1", "--logger", "full"});
    ASSERT_EQ(full.status, ParseOutcome::Status::Run) << full.error;
    ASSERT_EQ(full.options.memory.size(), 62083u);

    std::vector<WalkedSet> walked = Walk(full.options.memory);
    ASSERT_EQ(walked.size(), 7u);
    std::size_t records = 0, largest = 0;
    std::set<int> intervals;
    std::set<std::string> units;
    std::set<bool> channelModes;
    int marked = 0;
    for (const WalkedSet& set : walked) {
        records += set.records.size();
        largest = std::max(largest, set.records.size());
        intervals.insert(set.interval);
        for (const CurrentReading& r : set.records) {
            units.insert(r.UnitText);
            channelModes.insert(r.DualChannel);
            marked += r.T1Value.IsMark() || (r.DualChannel && r.T2Value.IsMark());
        }
    }
    EXPECT_EQ(records, 8864u);
    EXPECT_GE(largest, 4000u);
    EXPECT_EQ(intervals.size(), 7u);
    EXPECT_EQ(units.size(), 3u);
    EXPECT_EQ(channelModes.size(), 2u);
    EXPECT_GT(marked, 0);

    ParseOutcome empty = ParseOptions({"--com", "1", "--logger", "empty"});
    ASSERT_EQ(empty.status, ParseOutcome::Status::Run) << empty.error;
    EXPECT_TRUE(empty.options.memory.empty());
}

TEST(LoggerMemory, ImageHoldsSetsBackToBack) {
    MeterSettings settings;
    settings.Apply("channels", "1");
    settings.Apply("unit", "K");
    settings.Apply("type", "T");
    Bytes image = LoggerMemory::BuildImage({{10, 2}, {1, 3}, {0, 0}}, settings);
    ASSERT_EQ(image.size(), (5u + 14) + (5 + 21) + 5);

    const Bytes marker = {0x00, 0x55, 0xAA, 0x00};
    for (std::size_t at : {0u, 19u, 45u})
        EXPECT_EQ(Bytes(image.begin() + at, image.begin() + at + 4), marker) << at;
    EXPECT_EQ(image[4], 10);
    EXPECT_EQ(image[23], 1);
    EXPECT_EQ(image[49], 0);
    for (std::size_t record : {5u, 12u, 24u, 31u, 38u}) {
        EXPECT_EQ(image[record] & 0x03, 2) << "unit K in the status byte of the record at " << record;
        EXPECT_EQ(image[record + 3], 0xFF) << "one channel";
        EXPECT_EQ(image[record + 6], 3) << "type T";
    }
}

TEST(LoggerMemory, SizeReplyCarriesTheEndAddress) {
    struct Case {
        std::size_t used;
        Bytes reply;
    } cases[] = {
        {0, {0x02, 0x00, 0x8C, 0x80, 0x03}},
        {15, {0x02, 0x00, 0x8C, 0x8F, 0x03}},
        {384, {0x02, 0x00, 0x8E, 0x00, 0x03}},
        {62083, {0x02, 0x01, 0x7F, 0x03, 0x03}},  // the end address needs the top byte
    };
    for (const auto& c : cases) EXPECT_EQ(LoggerMemory::SizeReply(c.used), c.reply) << c.used;
}

TEST(LoggerMemory, DumpReplyWrapsTheMemory) {
    Bytes memory = {0x00, 0x55, 0xAA, 0x00, 0x0A, 0x03, 0x02};
    Bytes expected = {0x02, 0x00, 0x55, 0xAA, 0x00, 0x0A, 0x03, 0x02, 0x03};
    EXPECT_EQ(LoggerMemory::DumpReply(memory), expected);
    EXPECT_EQ(LoggerMemory::DumpReply({}), (Bytes{0x02, 0x03}));
}

class MemoryFile : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ =
            (std::filesystem::temp_directory_path() / ("tq36-memory-" + std::to_string(getpid()) + ".bin"))
                .string();
    }
    void TearDown() override { std::remove(path_.c_str()); }
    void Write(const Bytes& bytes) {
        std::ofstream out(path_, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    std::string path_;
};

TEST_F(MemoryFile, RefusesMoreThanTheLoggerHoldsAndMissingFiles) {
    std::string error;
    Write(Bytes(LoggerMemory::Capacity, 0x11));
    EXPECT_TRUE(LoggerMemory::ReadImageFile(path_, error)) << error;
    Write(Bytes(LoggerMemory::Capacity + 1, 0x11));
    EXPECT_FALSE(LoggerMemory::ReadImageFile(path_, error));
    EXPECT_NE(error.find("larger"), std::string::npos) << error;
    EXPECT_FALSE(LoggerMemory::ReadImageFile(path_ + ".missing", error));
}

}  // namespace
