#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "FrameEncoder.h"
#include "SimOptions.h"

namespace {

using Status = ParseOutcome::Status;

ParseOutcome Parse(std::vector<std::string> args) { return ParseOptions(args); }

std::vector<int> FrameAt(const MeterSettings& settings, double t) {
    MeterFrame frame = FrameEncoder::EncodeFrame(settings.SampleAt(t));
    return {frame.bytes.begin(), frame.bytes.end()};
}

TEST(SimOptions, DefaultsAreATwoChannelKMeterInCelsius) {
    ParseOutcome out = Parse({"--com", "7"});
    ASSERT_EQ(out.status, Status::Run) << out.error;
    EXPECT_EQ(out.options.com, 7);
    EXPECT_EQ(out.options.settings.Rate(), 2.0);
    EXPECT_EQ(out.options.baud, 0);
    EXPECT_TRUE(out.options.memory.empty());
    EXPECT_FALSE(out.options.silentAfter);
    EXPECT_EQ(FrameAt(out.options.settings, 0),
              (std::vector<int>{2, 0x00, 0x00, 0xEB, 0x00, 0x00, 0xD2, 0, 3}));
}

TEST(SimOptions, TemperaturesAreInTheUnitGivenAnywhereOnTheLine) {
    ParseOutcome before = Parse({"--t1", "100", "--unit", "F", "--com", "1"});
    ParseOutcome after = Parse({"--com", "1", "--unit", "F", "--t1", "100"});
    for (const ParseOutcome* out : {&before, &after}) {
        ASSERT_EQ(out->status, Status::Run) << out->error;
        // T1 100.0 F, T2 keeps its default 21.0 in the same unit.
        EXPECT_EQ(FrameAt(out->options.settings, 0),
                  (std::vector<int>{2, 0x01, 0x03, 0xE8, 0x00, 0x00, 0xD2, 0, 3}));
    }
}

TEST(SimOptions, MeterSettingsAndMarksReachTheFrame) {
    ParseOutcome out = Parse({"--com", "2", "--channels", "1", "--type", "S", "--unit", "K", "--t1", "-OL",
                              "--rate", "0.5", "--garbage", "0.25"});
    ASSERT_EQ(out.status, Status::Run) << out.error;
    EXPECT_EQ(FrameAt(out.options.settings, 0), (std::vector<int>{2, 0xC2, 0, 0, 0xFF, 0, 0, 5, 3}));
    EXPECT_EQ(out.options.settings.Rate(), 0.5);
    EXPECT_EQ(out.options.settings.Garbage(), 0.25);
}

TEST(SimOptions, TimingOptions) {
    ParseOutcome out = Parse({"--com", "3", "--gap", "5:2.5", "--gap", "20:1", "--silent-after", "30",
                              "--exit-after", "40", "--baud", "9600", "--seed", "42", "--sets", "10:3"});
    ASSERT_EQ(out.status, Status::Run) << out.error;
    const SimOptions& o = out.options;
    ASSERT_EQ(o.gaps.size(), 2u);
    EXPECT_EQ(o.gaps[0].start, 5.0);
    EXPECT_EQ(o.gaps[0].length, 2.5);
    EXPECT_EQ(o.gaps[1].start, 20.0);
    EXPECT_EQ(o.silentAfter, 30.0);
    EXPECT_EQ(o.exitAfter, 40.0);
    EXPECT_EQ(o.baud, 9600);
    EXPECT_EQ(o.seed, 42u);
    EXPECT_EQ(o.memory.size(), 5u + 21);
}

TEST(SimOptions, BadLinesAreRefusedWithAReason) {
    struct Case {
        std::vector<std::string> args;
        const char* inError;
    } cases[] = {
        {{}, "--com"},
        {{"--channels", "2"}, "--com"},
        {{"--com", "0"}, "--com"},
        {{"--com", "257"}, "--com"},
        {{"--com", "x"}, "--com"},
        {{"--com", "1", "--frobnicate", "3"}, "unknown option '--frobnicate'"},
        {{"--com", "1", "stray"}, "unexpected argument"},
        {{"--com", "1", "--unit"}, "needs a value"},
        {{"--com", "1", "--channels", "3"}, "channels"},
        {{"--com", "1", "--unit", "R"}, "unit"},
        {{"--com", "1", "--type", "X"}, "type"},
        {{"--com", "1", "--type", "KJ"}, "type"},
        {{"--com", "1", "--t1", "hot"}, "t1"},
        {{"--com", "1", "--t2", "1,5"}, "t2"},
        {{"--com", "1", "--t2", "nan"}, "t2"},
        {{"--com", "1", "--wave", "square"}, "wave"},
        {{"--com", "1", "--rate", "0"}, "rate"},
        {{"--com", "1", "--rate", "-2"}, "rate"},
        {{"--com", "1", "--garbage", "1.5"}, "garbage"},
        {{"--com", "1", "--gap", "5"}, "--gap"},
        {{"--com", "1", "--gap", "5:-1"}, "--gap"},
        {{"--com", "1", "--silent-after", "soon"}, "--silent-after"},
        {{"--com", "1", "--baud", "0"}, "--baud"},
        {{"--com", "1", "--sets", "10:x"}, "sets"},
        {{"--com", "1", "--sets", "1:1", "--memory", "/nonexistent"}, "cannot both"},
        {{"--com", "1", "--sets", "10:5:3"}, "flags"},
        {{"--com", "1", "--logger", "half"}, "--logger"},
        {{"--com", "1", "--logger", "full", "--sets", "1:1"}, "--sets and --logger cannot both"},
        {{"--com", "1", "--logger", "empty", "--memory", "/nonexistent"},
         "--memory and --logger cannot both"},
        {{"--com", "1", "--frame-before-answers", "-1"}, "--frame-before-answers"},
        {{"--com", "1", "--frame-before-answers", "x"}, "--frame-before-answers"},
        {{"--com", "1", "--memory", "/nonexistent/memory.bin"}, "cannot read"},
        {{"--com", "1", "--script", "/nonexistent/script.txt"}, "cannot read"},
    };
    for (const auto& c : cases) {
        ParseOutcome out = Parse(c.args);
        std::string line;
        for (const auto& a : c.args) line += a + " ";
        EXPECT_EQ(out.status, Status::Error) << line;
        EXPECT_NE(out.error.find(c.inError), std::string::npos) << line << "-> " << out.error;
    }
}

TEST(MeterScript, EventsComeSortedAndSkipCommentsAndBlanks) {
    std::string error;
    auto events = ParseScript("# a comment\n\n10 unit F\n5 channels 1\n  5 t1 OL\n7.5 rate 4\n",
                              MeterSettings{}, error);
    ASSERT_TRUE(events) << error;
    ASSERT_EQ(events->size(), 4u);
    EXPECT_EQ((*events)[0].key, "channels");
    EXPECT_EQ((*events)[1].key, "t1");  // equal times keep their order in the file
    EXPECT_EQ((*events)[1].value, "OL");
    EXPECT_EQ((*events)[2].time, 7.5);
    EXPECT_EQ((*events)[3].value, "F");
}

TEST(MeterScript, BadLinesAndValuesAreReportedBeforeRunning) {
    for (const char* bad : {"5 channels\n", "five unit F\n", "-1 unit F\n", "5 color red\n",
                            "5 unit F extra\n", "5 unit X\n", "1 rate 0\n", "5 com 3\n"}) {
        std::string error;
        EXPECT_FALSE(ParseScript(std::string("1 unit C\n") + bad, MeterSettings{}, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

}  // namespace
