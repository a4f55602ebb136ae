#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "logger/LoggerFormat.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes Marker = {0x00, 0x55, 0xAA, 0x00};
// 25.0 C on T1, 10.0 C on T2, type K, as a 7-byte record.
const Bytes Record = {0x00, 0x00, 0xFA, 0x00, 0x00, 0x64, 0x00};

Bytes Set(int sampling, int records) {
    Bytes set = Marker;
    set.push_back(static_cast<std::uint8_t>(sampling));
    for (int i = 0; i < records; ++i) set.insert(set.end(), Record.begin(), Record.end());
    return set;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST(LoggerFormat, SizeReplyAndMemoryFigures) {
    struct Case {
        Bytes reply;
        bool good;
        long used;
        std::string remained;
    };
    const Case cases[] = {
        {{0x02, 0x00, 0x8C, 0x80, 0x03}, true, 0, "60.6 K"},
        {{0x02, 0x00, 0x8C, 0x8F, 0x03}, true, 15, "60.6 K"},
        {{0x02, 0x01, 0x7F, 0x03, 0x03}, true, 62083, "0.0 K"},
        {{0x02, 0x00, 0x00, 0xFA, 0x00, 0x00, 0x64, 0x00, 0x03}, false, 0, ""},  // a live frame
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Logger::IsSizeReply(c.reply), c.good);
        if (!c.good) continue;
        EXPECT_EQ(Logger::UsedBytes(c.reply), c.used);
        EXPECT_EQ(Logger::RemainedText(c.used), c.remained);
    }
    EXPECT_EQ(Logger::ProgressText(6, 16), "37.5% Completed");
    EXPECT_TRUE(Logger::IsDumpStart(Bytes{0x02, 0x00, 0x55, 0xAA, 0x00, 0x0A}));
    EXPECT_FALSE(Logger::IsDumpStart(Bytes{0x00, 0x55, 0xAA, 0x00, 0x0A}));
}

TEST(LoggerFormat, SetsAsTheWalkFindsThem) {
    struct Case {
        const char* name;
        Bytes memory;
        std::vector<std::pair<int, long>> sets;  // sampling, records
    };
    Bytes trailing = Set(10, 2);
    trailing.resize(trailing.size() - 3);  // the last record cut short still counts
    const Case cases[] = {
        {"OneSetOfTwo", Set(10, 2), {{10, 2}}},
        {"ThreeThenOne", Join({Set(1, 3), Set(2, 1)}), {{1, 3}, {2, 1}}},
        // A set without records takes the next set's bytes as its own.
        {"EmptySetQuirk", Join({Set(5, 0), Set(6, 2)}), {{5, 3}}},
        {"MarkerInsideARecordIsData", Join({Marker, {3}, {0x00, 0x00, 0x55, 0xAA, 0x00, 0x64, 0x00}, Record, Set(4, 1)}),
         {{3, 2}, {4, 1}}},
        {"StrayBytesAreSteppedOver", Join({Bytes{0x99, 0x98}, Set(7, 1)}), {{7, 1}}},
        {"LastRecordCutShort", trailing, {{10, 2}}},
        {"NoMarker", Bytes(30, 0x11), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto sets = Logger::ListSets(c.memory);
        ASSERT_EQ(sets.size(), c.sets.size());
        for (std::size_t i = 0; i < sets.size(); ++i) {
            EXPECT_EQ(sets[i].number, static_cast<int>(i + 1));
            EXPECT_EQ(sets[i].sampling, c.sets[i].first);
            EXPECT_EQ(sets[i].records, c.sets[i].second);
        }
    }
}

TEST(LoggerFormat, CutSetFollowsTheSameWalk) {
    const Bytes memory = Join({Set(1, 3), Set(2, 1)});
    EXPECT_EQ(Logger::CutSet(memory, 1), Join({Bytes{1}, Record, Record, Record}));
    EXPECT_EQ(Logger::CutSet(memory, 2), Join({Bytes{2}, Record}));
    EXPECT_EQ(Logger::CutSet(memory, 3), std::nullopt);
    EXPECT_EQ(Logger::CutSet(memory, 0), std::nullopt);
    Bytes shortEnd = Set(9, 2);
    shortEnd.resize(shortEnd.size() - 3);
    EXPECT_EQ(Logger::CutSet(shortEnd, 1)->size(), 1u + 7 + 4) << "never past the end";
}

// Random memories, some built from sets, some noise with markers: the walk always ends, every
// set it lists can be cut, and nothing is read outside the memory (run under the sanitizers).
TEST(LoggerFormat, AnyMemoryListsAndCutsSafely) {
    std::mt19937 random(36);
    for (int image = 0; image < 2000; ++image) {
        Bytes memory;
        const int length = std::uniform_int_distribution<int>(0, 400)(random);
        while (static_cast<int>(memory.size()) < length) {
            switch (random() % 4) {
                case 0: {
                    const Bytes set = Set(random() % 256, random() % 6);
                    memory.insert(memory.end(), set.begin(), set.end());
                    break;
                }
                case 1:
                    memory.insert(memory.end(), Marker.begin(), Marker.begin() + 1 + random() % 4);
                    break;
                default:
                    memory.push_back(static_cast<std::uint8_t>(random()));
            }
        }
        memory.resize(static_cast<std::size_t>(length));
        const auto sets = Logger::ListSets(memory);
        std::size_t previousEnd = 0;
        for (const Logger::DataSet& set : sets) {
            ASSERT_GE(set.offset, previousEnd);
            ASSERT_GE(set.records, 1);
            const auto cut = Logger::CutSet(memory, set.number);
            ASSERT_TRUE(cut.has_value());
            ASSERT_LE(cut->size(), memory.size() - set.offset - 4);
            ASSERT_EQ(cut->front(), set.sampling);
            previousEnd = set.offset + 5;
        }
        ASSERT_FALSE(Logger::CutSet(memory, static_cast<int>(sets.size()) + 1).has_value());
    }
}

TEST(LoggerFormat, StartTimes) {
    using Status = Logger::StartTime::Status;
    struct Case {
        const char* typed;
        Status status;
        const char* shown;
    };
    const Case cases[] = {
        {"8:5:3", Status::Ok, "08:05:03"},     {"25:00:00", Status::Ok, "01:00:00"},
        {"30:75:10", Status::Ok, "06:15:10"},  {"123:4:59", Status::Ok, "23:04:59"},
        {"12:30:", Status::Ok, "12:30:00"},    {"07:08:091", Status::Ok, "07:08:09"},
        {"x:y:z", Status::Ok, "00:00:00"},     {"12.30.00", Status::NoColon, ""},
        {"12:30", Status::OneColon, ""},
        // A sign or a decimal point left among the last two characters makes no time of day.
        {"-5:00:00", Status::NotATime, ""},    {"8.5:00:00", Status::NotATime, ""},
        {"12:-1:00", Status::NotATime, ""},    {"12:00:.5", Status::NotATime, ""},
        {"-10:00:00", Status::Ok, "10:00:00"}, {"8.25:00:00", Status::Ok, "01:00:00"},
        {"+5:0.0:-0", Status::Ok, "05:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const Logger::StartTime start = Logger::ParseStartTime(c.typed);
        EXPECT_EQ(start.status, c.status);
        if (start.status == Status::Ok) {
            EXPECT_EQ(Logger::TimeText(start.seconds), c.shown);
        }
    }
    EXPECT_EQ(Logger::TimeText(86390 + 20), "00:00:10");
    EXPECT_EQ(Logger::TimeText(86390 + 40), "00:00:30");
}

// Record bytes: status, T1 high, T1 low, channel, T2 high, T2 low, type.
TEST(LoggerFormat, RecordRowsInBothLayouts) {
    struct Case {
        const char* name;
        Bytes record;
        bool twoChannelLayout;
        const char* row;  // after "7\t12:00:00\t"
    };
    const Case cases[] = {
        {"Celsius", Record, true, "25.0\t10.0\t15.0\tC"},
        {"OneChannelLayout", Record, false, "25.0\tC"},
        {"Fahrenheit", {0x01, 0x02, 0xBF, 0x00, 0x01, 0xF4, 0x00}, true, "70.3\t50.0\t20.3\tF"},
        {"UnitCodeThreeIsFahrenheit", {0x03, 0x02, 0xBF, 0xFF, 0x00, 0x00, 0x00}, false, "70.3\tF"},
        {"Kelvin", {0x02, 0x0B, 0xB8, 0x00, 0x0A, 0xAC, 0x00}, true, "300.0\t273.2\t26.8\tK"},
        {"BothNegative", {0x80, 0x01, 0x90, 0x80, 0x00, 0x64, 0x00}, true, "-40.0\t-10.0\t-30.0\tC"},
        {"NegativeDifference", {0x00, 0x00, 0x64, 0x00, 0x00, 0xFA, 0x00}, true, "10.0\t25.0\t-15.0\tC"},
        {"T1Over", {0x40, 0x00, 0x00, 0x00, 0x00, 0x64, 0x00}, true, "OL\t10.0\tOL\tC"},
        {"T2Over", {0x00, 0x00, 0xFA, 0x40, 0x00, 0x00, 0x00}, true, "25.0\tOL\t-OL\tC"},
        {"T2Under", {0x01, 0x00, 0xFA, 0xC0, 0x00, 0x00, 0x00}, true, "25.0\t-OL\tOL\tF"},
        {"T2NoReadingWins", {0x02, 0x00, 0xFA, 0xE0, 0x00, 0x00, 0x00}, true, "25.0\t----\t----\tK"},
        {"T1NoReadingWithT2Over", {0x20, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00}, true, "----\tOL\t----\tC"},
        {"BothUnderMakeOver", {0xC0, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00}, true, "-OL\t-OL\tOL\tC"},
        {"OneChannelMark", {0xC1, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00}, false, "-OL\tF"},
        // Decoded on its own, a one-channel record has no T2 to show.
        {"OneChannelRecordInATwoChannelSet", {0x00, 0x00, 0xFA, 0xFF, 0x00, 0x64, 0x00}, true, "25.0\t\t\tC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Logger::RecordRow(7, "12:00:00", c.record, c.twoChannelLayout),
                  std::string("7\t12:00:00\t") + c.row);
    }
    EXPECT_EQ(Logger::RecordRow(58300, "00:00:10", Record, false), "58300\t00:00:10\t25.0\tC");
}

}  // namespace
