#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "LoggerMemory.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

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
