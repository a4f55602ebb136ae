#include <gtest/gtest.h>

#include <vector>

#include "FrameEncoder.h"

namespace {

using Kind = SimReading::Kind;

struct FrameCase {
    const char* name;
    MeterSample sample;
    std::vector<int> expected;  // the nine frame bytes
};

// Keeps test listings readable: a case prints as its name, not as raw bytes.
void PrintTo(const FrameCase& c, std::ostream* os) { *os << c.name; }

MeterSample Sample(TempUnit unit, int channels, int type, SimReading t1, SimReading t2) {
    return {unit, channels, type, t1, t2};
}

SimReading N(double v) { return SimReading::Number(v); }
SimReading M(Kind k) { return SimReading::Mark(k); }

const FrameCase FrameCases[] = {
    {"two channels in C",
     Sample(TempUnit::C, 2, 0, N(23.5), N(21.0)),
     {0x02, 0x00, 0x00, 0xEB, 0x00, 0x00, 0xD2, 0x00, 0x03}},
    {"one channel in F, type J",
     Sample(TempUnit::F, 1, 1, N(123.4), N(99.9)),
     {0x02, 0x01, 0x04, 0xD2, 0xFF, 0x00, 0x00, 0x01, 0x03}},
    {"kelvin, type N",
     Sample(TempUnit::K, 2, 6, N(300.0), N(1.0)),
     {0x02, 0x02, 0x0B, 0xB8, 0x00, 0x00, 0x0A, 0x06, 0x03}},
    {"both negative, rounded",
     Sample(TempUnit::C, 2, 3, N(-123.44), N(-12.36)),
     {0x02, 0x80, 0x04, 0xD2, 0x80, 0x00, 0x7C, 0x03, 0x03}},
    {"negative rounding to zero carries no sign",
     Sample(TempUnit::C, 2, 0, N(-0.04), N(-0.01)),
     {0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03}},
    {"largest magnitude and beyond it",
     Sample(TempUnit::F, 2, 0, N(6553.5), N(-9000.0)),
     {0x02, 0x01, 0xFF, 0xFF, 0x80, 0xFF, 0xFF, 0x00, 0x03}},
    {"T1 over, T2 under",
     Sample(TempUnit::C, 2, 4, M(Kind::Over), M(Kind::Under)),
     {0x02, 0x40, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x04, 0x03}},
    {"T1 under, T2 no reading",
     Sample(TempUnit::K, 2, 5, M(Kind::Under), M(Kind::NoReading)),
     {0x02, 0xC2, 0x00, 0x00, 0x20, 0x00, 0x00, 0x05, 0x03}},
    {"T1 no reading in F",
     Sample(TempUnit::F, 2, 0, M(Kind::NoReading), N(5.0)),
     {0x02, 0x21, 0x00, 0x00, 0x00, 0x00, 0x32, 0x00, 0x03}},
    {"one channel hides a T2 mark and value",
     Sample(TempUnit::C, 1, 0, N(1.5), M(Kind::Over)),
     {0x02, 0x00, 0x00, 0x0F, 0xFF, 0x00, 0x00, 0x00, 0x03}},
};

class FrameEncoderCases : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameEncoderCases, FrameMatchesTheWireLayout) {
    const FrameCase& c = GetParam();
    MeterFrame frame = FrameEncoder::EncodeFrame(c.sample);
    std::vector<int> actual(frame.bytes.begin(), frame.bytes.end());
    EXPECT_EQ(actual, c.expected);
}

TEST_P(FrameEncoderCases, RecordIsTheFrameWithoutItsMarks) {
    const FrameCase& c = GetParam();
    auto record = FrameEncoder::EncodeRecord(c.sample);
    std::vector<int> actual(record.begin(), record.end());
    EXPECT_EQ(actual, std::vector<int>(c.expected.begin() + 1, c.expected.end() - 1));
}

INSTANTIATE_TEST_SUITE_P(Frames, FrameEncoderCases, ::testing::ValuesIn(FrameCases), [](const auto& info) {
    std::string name;
    for (const char* p = info.param.name; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
});

}  // namespace
