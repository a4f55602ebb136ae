#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <locale>
#include <string>

#include "meter/Meter.h"
#include "meter/MeterFrame.h"

namespace {

using Kind = Reading::Kind;

CurrentReading Decode(int status, int t1h, int t1l, int channel = 0xFF, int t2h = 0, int t2l = 0,
                      int type = 0) {
    CurrentReading r;
    const std::uint8_t body[] = {std::uint8_t(status),  std::uint8_t(t1h), std::uint8_t(t1l),
                                 std::uint8_t(channel), std::uint8_t(t2h), std::uint8_t(t2l),
                                 std::uint8_t(type)};
    Meter::DecodeFrameBody(r, body);
    return r;
}

struct T1Case {
    int status, high, low;
    const char* unit;
    double value, c, f, k;
};

void PrintTo(const T1Case& t, std::ostream* os) {
    *os << "status " << t.status << " magnitude " << t.high * 256 + t.low;
}

class T1Numbers : public testing::TestWithParam<T1Case> {};

TEST_P(T1Numbers, ValueAndConversions) {
    const T1Case& t = GetParam();
    CurrentReading r = Decode(t.status, t.high, t.low);
    EXPECT_EQ(r.UnitText, t.unit);
    EXPECT_EQ(int(r.UnitIsC) + int(r.UnitIsF) + int(r.UnitIsK), 1);
    ASSERT_TRUE(r.T1Value.IsNumber());
    EXPECT_DOUBLE_EQ(r.T1Value.Value(), t.value);
    EXPECT_NEAR(r.T1C.Value(), t.c, 1e-9);
    EXPECT_NEAR(r.T1F.Value(), t.f, 1e-9);
    EXPECT_NEAR(r.T1K.Value(), t.k, 1e-9);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Meter, T1Numbers,
    testing::Values(T1Case{0x00, 0x04, 0xD2, "C", 123.4, 123.4, 254.12, 396.6},
                    T1Case{0x80, 0x04, 0xD2, "C", -123.4, -123.4, -190.12, 149.8},
                    T1Case{0x02, 0x0B, 0xB8, "K", 300.0, 26.8, 80.24, 300.0},
                    T1Case{0x01, 0x00, 0xD4, "F", 21.2, -6.0, 21.2, 267.2},
                    T1Case{0x03, 0x00, 0xD4, "F", 21.2, -6.0, 21.2, 267.2},
                    T1Case{0x1C, 0x00, 0x64, "C", 10.0, 10.0, 50.0, 283.2},  // bits 2-4 ignored
                    T1Case{0x00, 0xFF, 0xFF, "C", 6553.5, 6553.5, 11828.3, 6826.7}));
// clang-format on

struct MarkCase {
    int status;
    Kind kind;
};

void PrintTo(const MarkCase& t, std::ostream* os) { *os << "status " << t.status; }

class T1Marks : public testing::TestWithParam<MarkCase> {};

TEST_P(T1Marks, AllFourFieldsCarryTheMark) {
    CurrentReading r = Decode(GetParam().status, 0x01, 0x02);
    for (const Reading* f : {&r.T1Value, &r.T1C, &r.T1F, &r.T1K}) EXPECT_EQ(f->kind(), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(Meter, T1Marks,
                         testing::Values(MarkCase{0x40, Kind::Over}, MarkCase{0xC0, Kind::Under},
                                         MarkCase{0x20, Kind::NoReading}, MarkCase{0x60, Kind::NoReading},
                                         MarkCase{0xA0, Kind::NoReading}, MarkCase{0xE0, Kind::NoReading}));

struct DiffCase {
    int status, t1h, t1l, channel, t2h, t2l;
    const char* value;  // T1T2Value as text
    const char *c, *f, *k;
};

void PrintTo(const DiffCase& t, std::ostream* os) {
    *os << "status " << t.status << " channel " << t.channel << " -> " << t.value;
}

class Differences : public testing::TestWithParam<DiffCase> {};

TEST_P(Differences, OrderOfMarksThenNumbers) {
    const DiffCase& t = GetParam();
    CurrentReading r = Decode(t.status, t.t1h, t.t1l, t.channel, t.t2h, t.t2l);
    EXPECT_TRUE(r.DualChannel);
    EXPECT_EQ(r.T1T2Value.Text(), t.value);
    EXPECT_EQ(r.T1T2C.Text(), t.c);
    EXPECT_EQ(r.T1T2F.Text(), t.f);
    EXPECT_EQ(r.T1T2K.Text(), t.k);
}

INSTANTIATE_TEST_SUITE_P(
    Meter, Differences,
    testing::Values(
        DiffCase{0x00, 0x00, 0xFA, 0x00, 0x00, 0x64, "15.0", "15.0", "27.0", "15.0"},  // 25.0 - 10.0
        DiffCase{0x01, 0x03, 0xE8, 0x00, 0x01, 0xF4, "50.0", "27.8", "50.0", "27.8"},  // F: 100 - 50
        DiffCase{0x00, 0x00, 0x64, 0x80, 0x00, 0x64, "20.0", "20.0", "36.0", "20.0"},  // 10 - (-10)
        DiffCase{0x80, 0x00, 0x00, 0x00, 0x00, 0x00, "0.0", "0.0", "0.0", "0.0"},      // -0.0 - 0.0
        DiffCase{0x40, 0, 1, 0x00, 0, 1, "OL", "OL", "OL", "OL"},                      // OL, number
        DiffCase{0x00, 0, 1, 0x40, 0, 1, "-OL", "-OL", "-OL", "-OL"},                  // number, OL
        DiffCase{0x40, 0, 1, 0x40, 0, 1, "OL", "OL", "OL", "OL"},                      // OL, OL
        DiffCase{0xC0, 0, 1, 0xC0, 0, 1, "OL", "OL", "OL", "OL"},                      // -OL, -OL
        DiffCase{0x00, 0, 1, 0xC0, 0, 1, "OL", "OL", "OL", "OL"},                      // number, -OL
        DiffCase{0xC0, 0, 1, 0x00, 0, 1, "-OL", "-OL", "-OL", "-OL"},                  // -OL, number
        DiffCase{0x20, 0, 1, 0x40, 0, 1, "----", "----", "----", "----"},              // ----, OL
        DiffCase{0x40, 0, 1, 0x20, 0, 1, "----", "----", "----", "----"},              // OL, ----
        DiffCase{0x00, 0, 1, 0xE0, 0, 1, "----", "----", "----", "----"}));            // number, ----

TEST(Meter, OneChannelFrameLeavesT2AndDifferenceUntouched) {
    CurrentReading r = Decode(0x00, 0x00, 0xFA, 0x00, 0x00, 0x64);
    const CurrentReading twoChannel = r;
    const std::uint8_t oneChannel[] = {0x40, 0x00, 0x01, 0xFF, 0x12, 0x34, 0x01};
    Meter::DecodeFrameBody(r, oneChannel);
    EXPECT_FALSE(r.DualChannel);
    EXPECT_TRUE(r.T2NoReading && r.T2Overload && r.T2Negative);
    EXPECT_EQ(r.T1Value.kind(), Kind::Over);
    EXPECT_EQ(r.T2Value, twoChannel.T2Value);
    EXPECT_EQ(r.T2F, twoChannel.T2F);
    EXPECT_EQ(r.T1T2Value, twoChannel.T1T2Value);
    EXPECT_EQ(r.T1T2C.Text(), "15.0");
    EXPECT_EQ(r.T1T2K.Text(), "15.0");
}

TEST(Meter, TypeByteOutsideTheTableKeepsTheType) {
    CurrentReading r;
    const char* expected = "KJETRSN";
    for (int t = 0; t <= 6; ++t) {
        Meter::DecodeTypeByte(r, t);
        EXPECT_EQ(r.ThermocoupleType, std::string(1, expected[t]));
    }
    Meter::DecodeTypeByte(r, 0);
    for (int t : {7, 0x80, 0xFF}) {
        Meter::DecodeTypeByte(r, t);
        EXPECT_EQ(r.ThermocoupleType, "K");
    }
}

TEST(Reading, TextOfMarksAndEmpty) {
    EXPECT_EQ(Reading::Mark(Kind::NoReading).Text(), "----");
    EXPECT_EQ(Reading::Mark(Kind::Over).Text(), "OL");
    EXPECT_EQ(Reading::Mark(Kind::Under).Text(), "-OL");
    EXPECT_EQ(Reading().Text(), "");
    EXPECT_EQ(Reading::Number(-0.0).Text(), "0.0");
}

TEST(Reading, FormatOneDecimal) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        // clang-format off
        {254.12, "254.1"},      {300.0 - 273.2, "26.8"}, {80.24, "80.2"},   {0.0, "0.0"},
        {-0.0, "0.0"},          {-0.04, "0.0"},          {-0.0499, "0.0"},  {-0.06, "-0.1"},
        {0.96, "1.0"},          {9.96, "10.0"},          {-40.0, "-40.0"},  {1372.0, "1372.0"},
        {6553.5, "6553.5"},     {11828.3, "11828.3"},    {0.15, "0.2"},     {-2.25, "-2.3"},
        {199999999.96, "200000000.0"},                   {-3e8, "-300000000.0"},
        // clang-format on
    };
    for (const auto& c : cases) {
        char buf[32];
        int length = FormatOneDecimal(c.value, buf);
        EXPECT_EQ(std::string(buf, length), c.text) << c.value;
        EXPECT_EQ(FormatOneDecimal(c.value), c.text) << c.value;
    }
}

// A decimal comma in the process locale must never leak into readings or files.
TEST(Reading, FormatIgnoresTheLocale) {
    struct CommaPunct : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
    };
    std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
    bool cLocaleSet = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "German"}) {
        if (std::setlocale(LC_NUMERIC, name)) {
            cLocaleSet = true;
            break;
        }
    }
    std::string formatted = FormatOneDecimal(1234.5);
    CurrentReading r = Decode(0x01, 0x03, 0xE8, 0x00, 0x01, 0xF4);
    std::setlocale(LC_NUMERIC, "C");
    std::locale::global(previous);

    EXPECT_EQ(formatted, "1234.5");
    EXPECT_EQ(r.T1T2C.Text(), "27.8");
    if (!cLocaleSet) std::printf("note: no German C locale installed; only the C++ locale was changed\n");
}

}  // namespace
