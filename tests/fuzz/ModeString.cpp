// The serial driver's mode string, long form ("baud=9600 parity=N data=8 stop=1 xon=off") and
// short form ("9600,N,8,1"). What it takes re-encodes: written out again in the long form it
// gives the same settings, and applied to a line it sets exactly those.
//
// Input: the text.
#include <termios.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzInput.h"
#include "serial/ModeString.h"

namespace {

std::string LongForm(const ModeString& m) {
    std::string text;
    if (m.baud) text += " baud=" + std::to_string(*m.baud);
    if (m.parity) text += std::string(" parity=") + *m.parity;
    if (m.dataBits) text += " data=" + std::to_string(*m.dataBits);
    if (m.stopBits) {
        text += m.stopBits == ModeString::StopBits::One          ? " stop=1"
                : m.stopBits == ModeString::StopBits::OneAndHalf ? " stop=1.5"
                                                                 : " stop=2";
    }
    if (m.softwareFlow) text += *m.softwareFlow ? " xon=on" : " xon=off";
    if (m.hardwareFlow) text += *m.hardwareFlow ? " octs=on" : " octs=off";
    return text;
}

bool SameSettings(const ModeString& a, const ModeString& b) {
    return a.baud == b.baud && a.parity == b.parity && a.dataBits == b.dataBits && a.stopBits == b.stopBits &&
           a.softwareFlow == b.softwareFlow && a.hardwareFlow == b.hardwareFlow;
}

void RequireApplied(const ModeString& m) {
    // A line that a previous user left with every flag set.
    termios line;
    std::memset(&line, 0xFF, sizeof line);
    m.ApplyTo(line);
    Fuzz::Require(line.c_cc[VMIN] == 0 && line.c_cc[VTIME] == 0 && !(line.c_lflag & (ICANON | ECHO)),
                  "the line is raw and reads never wait");
    if (m.baud) {
        Fuzz::Require(cfgetospeed(&line) == cfgetispeed(&line) && cfgetospeed(&line) != B0, "the speed is set both ways");
    }
    if (m.dataBits) {
        static constexpr tcflag_t Sizes[] = {CS5, CS6, CS7, CS8};
        Fuzz::Require((line.c_cflag & CSIZE) == Sizes[*m.dataBits - 5], "the data bits are set");
    }
    if (m.parity) {
        const tcflag_t bits = line.c_cflag & (PARENB | PARODD | CMSPAR);
        const tcflag_t want = *m.parity == 'N'   ? 0
                              : *m.parity == 'E' ? PARENB
                              : *m.parity == 'O' ? PARENB | PARODD
                              : *m.parity == 'M' ? PARENB | PARODD | CMSPAR
                                                 : PARENB | CMSPAR;
        Fuzz::Require(bits == want, "the parity is set");
    }
    if (m.stopBits) {
        Fuzz::Require(((line.c_cflag & CSTOPB) != 0) == (*m.stopBits != ModeString::StopBits::One), "the stop bits are set");
    }
    Fuzz::Require(((line.c_iflag & IXON) != 0) == m.softwareFlow.value_or(false) &&
                      ((line.c_cflag & CRTSCTS) != 0) == m.hardwareFlow.value_or(false),
                  "flow control is on only when asked for");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::optional<ModeString> mode = ModeString::Parse(text);
    if (!mode) return 0;
    const std::optional<ModeString> again = ModeString::Parse(LongForm(*mode));
    Fuzz::Require(again && SameSettings(*mode, *again), "the settings re-encode in the long form");
    RequireApplied(*mode);
    return 0;
}
