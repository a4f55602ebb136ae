#include <gtest/gtest.h>
#include <termios.h>

#include <optional>
#include <string>
#include <vector>

#include "serial/ModeString.h"

namespace {

struct Framing {
    speed_t speed;
    tcflag_t bits;  // CSIZE, PARENB, PARODD, CMSPAR, CSTOPB as the text leaves them
};

constexpr tcflag_t FramingMask = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;

// The line of a terminal that was never configured: 38400 baud, 7 data bits, even parity.
termios StartLine() {
    termios line{};
    line.c_cflag = CS7 | PARENB | HUPCL;
    line.c_lflag = ICANON | ECHO | ISIG;
    line.c_iflag = ICRNL | IXON;
    line.c_oflag = OPOST | ONLCR;
    line.c_cc[VMIN] = 1;
    cfsetispeed(&line, B38400);
    cfsetospeed(&line, B38400);
    return line;
}

TEST(ModeStringTest, SettingsReachTheLine) {
    struct Case {
        std::string text;
        Framing expected;
    };
    const std::vector<Case> cases{
        {"baud=9600 parity=N data=8 stop=1", {B9600, CS8}},
        {"BAUD=9600 PARITY=n DATA=8 STOP=1", {B9600, CS8}},
        {"  baud=115200   parity=O  ", {B115200, CS7 | PARENB | PARODD}},
        {"baud=4800 parity=M data=7 stop=2", {B4800, CS7 | PARENB | PARODD | CMSPAR | CSTOPB}},
        {"parity=S data=5 stop=1.5", {B38400, CS5 | PARENB | CMSPAR | CSTOPB}},
        {"data=6", {B38400, CS6 | PARENB}},
        {"9600,N,8,1", {B9600, CS8}},
        {"19200,e,7,2", {B19200, CS7 | PARENB | CSTOPB}},
        {"1200,o", {B1200, CS7 | PARENB | PARODD}},
        {"2400,,8", {B2400, CS8 | PARENB}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::optional<ModeString> mode = ModeString::Parse(c.text);
        ASSERT_TRUE(mode);
        termios line = StartLine();
        mode->ApplyTo(line);
        EXPECT_EQ(cfgetispeed(&line), c.expected.speed);
        EXPECT_EQ(cfgetospeed(&line), c.expected.speed);
        EXPECT_EQ(line.c_cflag & FramingMask, c.expected.bits);
    }
}

TEST(ModeStringTest, AnyAppliedTextLeavesARawNonWaitingLine) {
    for (const char* text : {"baud=9600 parity=N data=8 stop=1", "data=7", "300,o,7,1"}) {
        SCOPED_TRACE(text);
        termios line = StartLine();
        ModeString::Parse(text)->ApplyTo(line);
        EXPECT_FALSE(line.c_lflag & (ICANON | ECHO | ISIG));
        EXPECT_FALSE(line.c_iflag & (ICRNL | IXON));
        EXPECT_FALSE(line.c_oflag & OPOST);
        EXPECT_TRUE(line.c_cflag & CLOCAL);
        EXPECT_TRUE(line.c_cflag & CREAD);
        EXPECT_TRUE(line.c_cflag & HUPCL) << "unrelated control flags stay";
        EXPECT_EQ(line.c_cc[VMIN], 0);
        EXPECT_EQ(line.c_cc[VTIME], 0);
    }
}

TEST(ModeStringTest, UnknownKeysAndValuesAreRefused) {
    for (const char* text :
         {"", "   ", "baud=9601", "baud=", "baud=-9600", "baud=96OO", "parity=X", "parity=NO", "data=4",
          "data=9", "stop=3", "stop=1.0", "speed=9600", "baud 9600", "baud=9600 parity=N junk", "xon=yes",
          "9600,N,8,1,x,y", "9600,Q,8,1", "9600,N,8,1,z"}) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(ModeString::Parse(text));
    }
}

}  // namespace
