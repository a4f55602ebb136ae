#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "records/RecordFormat.h"
#include "records/RecordWriter.h"

namespace fs = std::filesystem;

namespace {

class RecordWriterTest : public testing::Test {
  protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("tq36-writer-" + std::to_string(getpid()));
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override { fs::remove_all(root); }

    static std::string Contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path root;
};

TEST_F(RecordWriterTest, LinesReachTheFileAsTheyAreWritten) {
    fs::path path = root / "run1.txt";
    RecordWriter writer;
    ASSERT_TRUE(writer.Open(path.string())) << writer.ErrorText();
    EXPECT_EQ(Contents(path), "");

    ASSERT_TRUE(writer.WriteLine(RecordFormat::Header));
    ASSERT_TRUE(writer.WriteLine("1\t14:03:07\t23.5\t21.0\t2.5\tC"));
    // Read while still open: nothing may wait in a buffer of ours.
    EXPECT_EQ(Contents(path), std::string(RecordFormat::Header) + "\r\n1\t14:03:07\t23.5\t21.0\t2.5\tC\r\n");
    EXPECT_TRUE(writer.Close());
    EXPECT_FALSE(writer.IsOpen());
}

TEST_F(RecordWriterTest, OpenReplacesAnExistingFile) {
    fs::path path = root / "old.txt";
    std::ofstream(path) << "a much longer earlier recording\r\n";
    RecordWriter writer;
    ASSERT_TRUE(writer.Open(path.string()));
    ASSERT_TRUE(writer.WriteLine(""));
    writer.Close();
    EXPECT_EQ(Contents(path), "\r\n");
}

TEST_F(RecordWriterTest, ReopeningClosesThePreviousFile) {
    RecordWriter writer;
    ASSERT_TRUE(writer.Open((root / "a.txt").string()));
    ASSERT_TRUE(writer.WriteLine("first"));
    ASSERT_TRUE(writer.Open((root / "b.txt").string()));
    ASSERT_TRUE(writer.WriteLine("second"));
    writer.Close();
    EXPECT_EQ(Contents(root / "a.txt"), "first\r\n");
    EXPECT_EQ(Contents(root / "b.txt"), "second\r\n");
}

TEST_F(RecordWriterTest, FailuresReturnFalseWithTheReason) {
    RecordWriter full;
    ASSERT_TRUE(full.Open("/dev/full")) << full.ErrorText();
    EXPECT_FALSE(full.WriteLine("1\t00:00:01\t20.0\tC"));
    EXPECT_EQ(full.ErrorText(), "No space left on device");

    RecordWriter missing;
    EXPECT_FALSE(missing.Open((root / "no such folder/run.txt").string()));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.ErrorText(), "No such file or directory");
    EXPECT_FALSE(missing.WriteLine("x"));

    // A later success clears the old reason.
    EXPECT_TRUE(missing.Open((root / "run.txt").string()));
    EXPECT_EQ(missing.ErrorText(), "");
}

}  // namespace
