#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

    // Everything in the test's folder, by name: a whole file left nothing of its own behind.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(root))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path root;
};

// A file size limit of `bytes` while it lives: every write beyond fails with EFBIG.
class SizeLimit {
  public:
    explicit SizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limited = saved_;
        limited.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~SizeLimit() { setrlimit(RLIMIT_FSIZE, &saved_); }

  private:
    rlimit saved_{};
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

    RecordWriter kept;
    std::ofstream(root / "kept.txt") << "yesterday\r\n";
    EXPECT_FALSE(kept.Open((root / "kept.txt").string(), RecordWriter::Existing::Keep));
    EXPECT_EQ(kept.ErrorCode(), EEXIST);
    EXPECT_EQ(Contents(root / "kept.txt"), "yesterday\r\n");

    RecordWriter missing;
    EXPECT_FALSE(missing.Open((root / "no such folder/run.txt").string()));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.ErrorText(), "No such file or directory");
    EXPECT_FALSE(missing.WriteLine("x"));

    // A later success clears the old reason.
    EXPECT_TRUE(missing.Open((root / "run.txt").string()));
    EXPECT_EQ(missing.ErrorText(), "");
}

// A FIFO would hold the writer until someone reads it, and a whole file put in place would replace
// a device itself: both are refused at once.
TEST_F(RecordWriterTest, WhatIsNoFileIsRefusedWithoutWaiting) {
    const fs::path fifo = root / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A reader, so that a writer that does open the FIFO is not held by it.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const struct {
        const char* name;
        fs::path path;
        bool whole;
    } cases[] = {
        {"FifoGrowing", fifo, false},
        {"FifoWhole", fifo, true},
        {"DeviceWhole", "/dev/null", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordWriter writer;
        const bool opened = c.whole ? writer.OpenWhole(c.path.string(), RecordWriter::Existing::Replace)
                                    : writer.Open(c.path.string());
        EXPECT_FALSE(opened);
        EXPECT_EQ(writer.ErrorCode(), RecordWriter::NotAFile);
        EXPECT_EQ(writer.ErrorText(), "not a regular file");
    }
    ::close(reader);
    struct stat st{};
    ASSERT_EQ(stat("/dev/null", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode)) << "the device is still there";
}

// A whole file takes the place of the old one only once it is complete; until then, and after any
// failure, the old file is as it was and nothing else is left in the folder.
TEST_F(RecordWriterTest, WholeFileReplacesTheOldOneOnlyWhenComplete) {
    const fs::path path = root / "set01.txt";
    const std::string old = "No.s\r\n1\t08:00:00\t20.0\tC\t\r\n";
    std::ofstream(path) << old;
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);

    {
        RecordWriter abandoned;
        ASSERT_TRUE(abandoned.OpenWhole(path.string(), RecordWriter::Existing::Replace))
            << abandoned.ErrorText();
        ASSERT_TRUE(abandoned.WriteLine("new"));
        ASSERT_TRUE(abandoned.Finish());
        EXPECT_EQ(Contents(path), old);
    }
    EXPECT_EQ(Names(), std::vector<std::string>{"set01.txt"}) << "an abandoned file is removed";

    {
        RecordWriter limited;
        ASSERT_TRUE(limited.OpenWhole(path.string(), RecordWriter::Existing::Replace));
        const SizeLimit limit(8);
        EXPECT_FALSE(limited.WriteLine("a line longer than the limit"));
        EXPECT_FALSE(limited.Commit());
        EXPECT_EQ(limited.ErrorCode(), EFBIG);
    }
    EXPECT_EQ(Contents(path), old);
    EXPECT_EQ(Names(), std::vector<std::string>{"set01.txt"});

    RecordWriter writer;
    ASSERT_TRUE(writer.OpenWhole(path.string(), RecordWriter::Existing::Replace));
    ASSERT_TRUE(writer.WriteLine("new"));
    ASSERT_TRUE(writer.Commit()) << writer.ErrorText();
    EXPECT_EQ(Contents(path), "new\r\n");
    const fs::perms kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, kept);
    EXPECT_EQ(Names(), std::vector<std::string>{"set01.txt"});
}

// Kept: a file there at the start, or one that came while the lines were written, stays as it is.
TEST_F(RecordWriterTest, WholeFileThatMustNotReplaceLeavesAnyFileThere) {
    const fs::path path = root / "set02.txt";
    RecordWriter writer;
    ASSERT_TRUE(writer.OpenWhole(path.string(), RecordWriter::Existing::Keep));
    ASSERT_TRUE(writer.WriteLine("ours"));
    std::ofstream(path) << "theirs";
    EXPECT_FALSE(writer.Commit());
    EXPECT_EQ(writer.ErrorCode(), EEXIST);
    writer.Close();
    EXPECT_EQ(Contents(path), "theirs");
    EXPECT_EQ(Names(), std::vector<std::string>{"set02.txt"});

    RecordWriter second;
    EXPECT_FALSE(second.OpenWhole(path.string(), RecordWriter::Existing::Keep));
    EXPECT_EQ(second.ErrorCode(), EEXIST);
}

// A link is followed: the file it leads to is replaced and the link stays a link.
TEST_F(RecordWriterTest, WholeFileReplacesWhatALinkLeadsTo) {
    fs::create_directories(root / "real");
    std::ofstream(root / "real" / "list.txt") << "old";
    fs::create_symlink(root / "real" / "list.txt", root / "link.txt");
    RecordWriter writer;
    ASSERT_TRUE(writer.OpenWhole((root / "link.txt").string(), RecordWriter::Existing::Replace));
    ASSERT_TRUE(writer.WriteLine("new"));
    ASSERT_TRUE(writer.Commit()) << writer.ErrorText();
    EXPECT_TRUE(fs::is_symlink(root / "link.txt"));
    EXPECT_EQ(Contents(root / "real" / "list.txt"), "new\r\n");
}

}  // namespace
