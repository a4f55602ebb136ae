#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "records/RecordFileReader.h"

namespace fs = std::filesystem;

namespace {

class RecordFileReaderTest : public testing::Test {
protected:
    void SetUp() override {
        path = fs::temp_directory_path() / ("tq36-reader-" + std::to_string(getpid()) + ".txt");
    }
    void TearDown() override { fs::remove(path); }

    std::vector<std::string> Lines(const std::string& content) {
        std::ofstream(path, std::ios::binary) << content;
        RecordFileReader reader;
        EXPECT_TRUE(reader.Open(path.string()));
        std::vector<std::string> lines;
        while (auto line = reader.NextLine()) lines.push_back(*line);
        EXPECT_FALSE(reader.Failed());
        return lines;
    }

    fs::path path;
};

TEST_F(RecordFileReaderTest, LinesWhateverTheirEnds) {
    using Lines_ = std::vector<std::string>;
    struct Case {
        const char* name;
        std::string content;
        Lines_ lines;
    };
    const Case cases[] = {
        {"CrLf", "a\r\nb\r\n", {"a", "b"}},
        {"LfOnly", "a\nb\n", {"a", "b"}},
        {"CrOnly", "a\rb\r", {"a", "b"}},
        {"NoFinalLineEnd", "a\r\nb", {"a", "b"}},
        {"EmptyLinesLeftOut", "\r\n\r\na\n\n\rb\r\n", {"a", "b"}},
        {"DecimalCommaStaysInItsLine", "1\t10:00:00\t23,5\tC\r\n", {"1\t10:00:00\t23,5\tC"}},
        {"NulBytesDropped", std::string("a\0b\n", 4), {"ab"}},
        {"Empty", "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Lines(c.content), c.lines);
    }
    const std::vector<std::string> longLine = Lines(std::string(3 << 20, 'x') + "\nnext\n");
    ASSERT_EQ(longLine.size(), 2u);
    EXPECT_EQ(longLine[0].size(), RecordFileReader::MaxLineBytes);
    EXPECT_EQ(longLine[1], "next");
}

TEST_F(RecordFileReaderTest, HeadersAndChannelModes) {
    EXPECT_TRUE(RecordFileReader::IsHeader("No.s    Time            T1      T2      T1-T2   Unit"));
    EXPECT_TRUE(RecordFileReader::IsHeader("No.s\tTime\tT1\tT2\tT1-T2\tUnit\t"));
    EXPECT_FALSE(RecordFileReader::IsHeader("No.s    Time            Value   Unit"));
    const std::pair<const char*, bool> records[] = {
        {"1\t14:03:07\t23.5\t21.0\t2.5\tC", true},  {"1\t14:03:07\t23.5\t21.0\t2.5\tC\t", true},
        {"1\t09:05:03\t23.5\tC", false},             {"1\t09:05:03\t23.5\tC\t", false},
        {"1\t09:05:03\tOL\t----\t-OL\tF\t", true}, {"garbage", false},
    };
    for (const auto& [line, dual] : records) EXPECT_EQ(RecordFileReader::IsTwoChannelRecord(line), dual) << line;
}

// Random bytes and mangled record files: the reader always ends, lines stay bounded and none is empty.
TEST_F(RecordFileReaderTest, AnyFileIsReadInBoundedLines) {
    std::mt19937 random(10);
    const std::string record = "12\t14:03:07\t23.5\t21.0\t2.5\tC\t\r\n";
    for (int file = 0; file < 300; ++file) {
        std::string content;
        const int parts = std::uniform_int_distribution<int>(0, 60)(random);
        for (int i = 0; i < parts; ++i) {
            if (random() % 2) {
                std::string mangled = record;
                mangled[random() % mangled.size()] = static_cast<char>(random());
                content += mangled;
            } else {
                content += std::string(random() % 3000, static_cast<char>(random()));
            }
        }
        std::size_t count = 0;
        for (const std::string& line : Lines(content)) {
            ASSERT_FALSE(line.empty());
            ASSERT_LE(line.size(), RecordFileReader::MaxLineBytes);
            ASSERT_EQ(line.find('\0'), std::string::npos);
            ++count;
        }
        ASSERT_LE(count, content.size());
    }
}

TEST_F(RecordFileReaderTest, MissingFileCannotBeOpened) {
    RecordFileReader reader;
    EXPECT_FALSE(reader.Open((path.string() + ".missing")));
    EXPECT_FALSE(reader.NextLine().has_value());
}

}  // namespace
