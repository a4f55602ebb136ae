#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "FileText.h"
#include "acquisition/PcRecording.h"
#include "meter/CurrentReading.h"

namespace {

namespace fs = std::filesystem;
using R = PcRecording::Result;
// The time of every sample below; the readings came half a second before unless a case says.
constexpr bool Fresh = true;

class PcRecordingTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tq36-recording-XXXXXX";
        dir = mkdtemp(pattern);
        file = dir / "run1.txt";
    }
    void TearDown() override { fs::remove_all(dir); }

    static CurrentReading Reading(bool dual, double t1, bool online = true) {
        CurrentReading r;
        r.DualChannel = dual;
        r.MeterOnline = online;
        r.UnitText = "C";
        r.T1Value = Reading::Number(t1);
        r.T2Value = Reading::Mark(Reading::Kind::Over);
        r.T1T2Value = Reading::Mark(Reading::Kind::Over);
        r.FrameTime = 99.5;
        return r;
    }

    fs::path dir;
    fs::path file;
};

const std::string Header = "No.s    Time            T1      T2      T1-T2   Unit\r\n";

TEST_F(PcRecordingTest, WritesHeaderWithFirstRecordAndNumbersFromOne) {
    PcRecording recording;
    ASSERT_TRUE(recording.Start(file.string(), true));
    EXPECT_TRUE(recording.Recording());
    EXPECT_EQ(FileText(file), "") << "a recording stopped before its first sample leaves an empty file";
    EXPECT_EQ(recording.Sample(Reading(true, 23.5), "14:03:07", Fresh), R::Written);
    EXPECT_EQ(recording.Sample(Reading(true, -0.04), "14:03:09", Fresh), R::Written);
    EXPECT_EQ(recording.RecordCount(), 2);
    EXPECT_EQ(FileText(file), Header + "1\t14:03:07\t23.5\tOL\tOL\tC\r\n2\t14:03:09\t0.0\tOL\tOL\tC\r\n")
        << "each record is on disk as soon as it is written";

    EXPECT_TRUE(recording.Stop());
    EXPECT_FALSE(recording.Recording());
    ASSERT_TRUE(recording.Start(file.string(), false));
    EXPECT_EQ(recording.Sample(Reading(false, -40), "14:03:10", Fresh), R::Written);
    EXPECT_EQ(FileText(file), Header + "1\t14:03:10\t-40.0\tC\r\n") << "a restart replaces the file";
}

TEST_F(PcRecordingTest, AutomaticStopsAndTheLostLinkPolicy) {
    struct Case {
        const char* name;
        PcRecording::LostLink policy;
        bool dualAtSample;
        bool online;
        R expected;
        bool recordingAfter;
    };
    const Case cases[] = {
        {"channel mode changed", PcRecording::LostLink::Stop, false, true, R::StoppedChannelMode, false},
        {"link lost", PcRecording::LostLink::Stop, true, false, R::StoppedLostLink, false},
        {"link lost, waiting", PcRecording::LostLink::Wait, true, false, R::WaitingForMeter, true},
        {"channel change wins over a lost link", PcRecording::LostLink::Wait, false, false, R::StoppedChannelMode, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PcRecording recording(c.policy);
        ASSERT_TRUE(recording.Start(file.string(), true));
        EXPECT_EQ(recording.Sample(Reading(c.dualAtSample, 1, c.online), "10:00:00", Fresh), c.expected);
        EXPECT_EQ(recording.Recording(), c.recordingAfter);
        EXPECT_EQ(FileText(file), "") << "nothing written by a sample that stops or waits";
        if (c.recordingAfter) {
            EXPECT_EQ(recording.Sample(Reading(true, 2), "10:00:02", Fresh), R::Written) << "and numbering goes on from 1";
            EXPECT_EQ(FileText(file), Header + "1\t10:00:02\t2.0\tOL\tOL\tC\r\n");
        } else {
            EXPECT_EQ(recording.Sample(Reading(true, 1), "10:00:02", Fresh), R::NotRecording);
        }
    }
}

TEST_F(PcRecordingTest, StopsAtItsLimitBeforeOneRecordTooMany) {
    PcRecording recording(PcRecording::LostLink::Stop, 3);
    ASSERT_TRUE(recording.Start(file.string(), false));
    for (int n = 1; n <= 3; ++n) EXPECT_EQ(recording.Sample(Reading(false, n), "10:00:00", Fresh), R::Written);
    EXPECT_EQ(recording.Sample(Reading(false, 4), "10:00:00", Fresh), R::StoppedLimit);
    const std::string text = FileText(file);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << "the header and three records";

    // A limit in samples due: after a stop across the last of five, the sample taken late is past
    // it and is not written; what went by before the first sample is none of the recording's.
    PcRecording due(PcRecording::LostLink::Wait, 0, 5);
    ASSERT_TRUE(due.Start(file.string(), false));
    EXPECT_EQ(due.Sample(Reading(false, 1), "10:00:00", Fresh, 7), R::Written);
    EXPECT_EQ(due.Sample(Reading(false, 2), "10:00:01", Fresh), R::Written);
    EXPECT_EQ(due.Sample(Reading(false, 3), "10:00:06", Fresh, 3), R::StoppedLimit);
    const std::string twoRecords = FileText(file);
    EXPECT_EQ(std::count(twoRecords.begin(), twoRecords.end(), '\n'), 3) << "the header and two records";
}

// A reading that no new frame renewed (the meter went quiet, an earlier sample took it) is not recorded
// again under a new time: no record, and the numbering goes on with the next fresh one.
TEST_F(PcRecordingTest, StaleReadingsLeaveAGap) {
    PcRecording recording(PcRecording::LostLink::Wait);
    ASSERT_TRUE(recording.Start(file.string(), false));
    CurrentReading r = Reading(false, 1);
    EXPECT_EQ(recording.Sample(r, "10:00:00", Fresh), R::Written);
    EXPECT_EQ(recording.Sample(r, "10:00:02", false), R::Stale);
    r = Reading(false, 4);
    EXPECT_EQ(recording.Sample(r, "10:00:06", Fresh), R::Written);
    EXPECT_EQ(FileText(file), Header + "1\t10:00:00\t1.0\tC\r\n2\t10:00:06\t4.0\tC\r\n");
}

TEST_F(PcRecordingTest, WriteFailureStopsAtOnceAndSaysWhy) {
    PcRecording recording;
    ASSERT_TRUE(recording.Start("/dev/full", true));
    EXPECT_EQ(recording.Sample(Reading(true, 1), "14:00:00", Fresh), R::WriteFailed);
    EXPECT_FALSE(recording.Recording());
    EXPECT_EQ(recording.ErrorText(), "No space left on device");
    EXPECT_EQ(recording.Sample(Reading(true, 1), "14:00:02", Fresh), R::NotRecording);
}

TEST_F(PcRecordingTest, FileThatCannotBeCreatedDoesNotStartARecording) {
    PcRecording recording;
    EXPECT_FALSE(recording.Start((dir / "missing" / "run.txt").string(), true));
    EXPECT_FALSE(recording.Recording());
    EXPECT_FALSE(recording.ErrorText().empty());
}

}  // namespace
