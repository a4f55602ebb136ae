#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "FileText.h"
#include "ProgramState.h"
#include "acquisition/PcRecording.h"
#include "acquisition/SamplingState.h"

namespace {

namespace fs = std::filesystem;

class PcRecordingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        char pattern[] = "/tmp/tq36-recording-XXXXXX";
        dir = mkdtemp(pattern);
        file = dir / "run1.txt";
    }
    void TearDown() override {
        fs::remove_all(dir);
        ResetProgramState();
    }

    fs::path dir;
    fs::path file;
    PcRecording recording;
};

const std::string Header = "No.s    Time            T1      T2      T1-T2   Unit\r\n";

TEST_F(PcRecordingTest, WritesHeaderWithFirstRecordAndNumbersFromOne) {
    ASSERT_TRUE(recording.Start(file.string(), true));
    EXPECT_TRUE(Sampling::State().Recording);
    EXPECT_EQ(FileText(file), "") << "a recording stopped before its first sample leaves an empty file";
    using R = PcRecording::Result;
    EXPECT_EQ(recording.Sample("14:03:07\t23.5\t21.0\t2.5\tC", true, true), R::Written);
    EXPECT_EQ(recording.Sample("14:03:09\tOL\t21.0\tOL\tF", true, true), R::Written);
    EXPECT_EQ(Sampling::State().RecordCount, 2);
    EXPECT_EQ(FileText(file), Header + "1\t14:03:07\t23.5\t21.0\t2.5\tC\r\n2\t14:03:09\tOL\t21.0\tOL\tF\r\n")
        << "each record is on disk as soon as it is written";

    recording.StopByUser();
    EXPECT_FALSE(Sampling::State().Recording);
    EXPECT_FALSE(Sampling::State().SavePathChosen);
    ASSERT_TRUE(recording.Start(file.string(), false));
    EXPECT_EQ(recording.Sample("14:03:10\t-40.0\tK", false, true), R::Written);
    EXPECT_EQ(FileText(file), Header + "1\t14:03:10\t-40.0\tK\r\n") << "a restart replaces the file";
}

TEST_F(PcRecordingTest, AutomaticStops) {
    using R = PcRecording::Result;
    struct Case {
        const char* name;
        long countBefore;
        bool dualAtSample;
        bool online;
        R expected;
        bool savePathKept;
    };
    for (const Case& c : {Case{"limit reached", Sampling::MaxRecords, true, true, R::StoppedLimitOrChannel, true},
                          Case{"channel mode changed", 5, false, true, R::StoppedLimitOrChannel, true},
                          Case{"link lost", 5, true, false, R::StoppedLostLink, false},
                          Case{"channel change wins over a lost link", 5, false, false, R::StoppedLimitOrChannel,
                               true}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(recording.Start(file.string(), true));
        Sampling::State().SavePathChosen = true;
        Sampling::State().RecordCount = c.countBefore;
        EXPECT_EQ(recording.Sample("t", c.dualAtSample, c.online), c.expected);
        EXPECT_FALSE(Sampling::State().Recording);
        EXPECT_EQ(Sampling::State().RecordCount, 0);
        EXPECT_EQ(Sampling::State().SavePathChosen, c.savePathKept);
        EXPECT_EQ(recording.Sample("t", true, true), R::NotRecording);
        EXPECT_EQ(FileText(file), "") << "nothing written by a sample that stops";
    }
}

TEST_F(PcRecordingTest, WriteFailureStopsAtOnceAndSaysWhy) {
    ASSERT_TRUE(recording.Start("/dev/full", true));
    EXPECT_EQ(recording.Sample("14:00:00\t1.0\t2.0\t-1.0\tC", true, true), PcRecording::Result::WriteFailed);
    EXPECT_FALSE(Sampling::State().Recording);
    EXPECT_EQ(recording.ErrorText(), "No space left on device");
    EXPECT_EQ(recording.Sample("14:00:02\t1.0\t2.0\t-1.0\tC", true, true), PcRecording::Result::NotRecording);
}

TEST_F(PcRecordingTest, FileThatCannotBeCreatedDoesNotStartARecording) {
    EXPECT_FALSE(recording.Start((dir / "missing" / "run.txt").string(), true));
    EXPECT_FALSE(Sampling::State().Recording);
    EXPECT_FALSE(recording.ErrorText().empty());
}

}  // namespace
