// The serial line's byte stream through the poll cycle: the bytes arrive a few per wait on a real
// (pseudo-terminal) port, each cycle checks the frame it collected and decodes it into the live
// reading, and a silent or noisy line ends in No COM and a reconnect.
//
// Input: one byte of pace (1 to 24 bytes arrive per 0.1 s wait), then the stream.
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FrameChecks.h"
#include "FuzzInput.h"
#include "acquisition/PollCycle.h"
#include "meter/Meter.h"
#include "serial/EventHooks.h"
#include "serial/PortNames.h"
#include "serial/Rs232_API.h"

namespace {

constexpr int Com = 7;

struct Line {
    const std::uint8_t* next = nullptr;
    const std::uint8_t* end = nullptr;
    std::size_t perWait = 1;
    double clock = 0;
    std::vector<std::uint8_t> held;  // the receive buffer after the last wait
};
Line line;

std::string aliasFolder;
void RemoveAliasFolder() { std::filesystem::remove_all(aliasFolder); }

// A pseudo-terminal linked as the COM port; nothing is ever written to it, so the port's own
// reads find nothing and the bytes come through the receive buffer, a wait at a time.
void OpenLine() {
    static bool done = false;
    if (done) return;
    done = true;
    char folder[] = "/tmp/tq36-fuzz-ports-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    aliasFolder = folder;
    std::atexit(RemoveAliasFolder);
    setenv("TQ36_PORTS_DIR", folder, 1);
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) std::abort();
    if (symlink(ptsname(master), PortNames::AliasPath(Com).c_str()) != 0) std::abort();
    EventHooks::Install([] {},
                        [](double seconds) {
                            line.clock += seconds;
                            const std::size_t n = std::min<std::size_t>(line.perWait, line.end - line.next);
                            auto& buffer = Rs232_API::OpenPorts(Rs232_API::CurrentPortIndex()).receiveBuffer;
                            // Bytes sent while the port is closed are lost on the line.
                            if (Rs232_API::PortDriver().IsOpen(Com)) buffer.insert(buffer.end(), line.next, line.next + n);
                            line.next += n;
                            line.held = buffer;
                        });
}

void RequireDecoded(const std::vector<std::uint8_t>& f) {
    Fuzz::Require(f.size() >= MeterFrame::Size && f[0] == MeterFrame::Start && f[8] == MeterFrame::End,
                  "a frame is shown only between 02 and 03");
    const CurrentReading& r = Meter::Current();
    Fuzz::Require(r.MeterOnline && r.FrameTime == line.clock, "a shown frame marks the meter online, now");
    Fuzz::RequireDecodedBody(r, f.data() + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    OpenLine();
    line = Line{data + 1, data + size, 1 + data[0] % 24u, 86395.0, {}};
    Meter::ResetCurrent();
    if (!Rs232_API::PortDriver().IsOpen(Com) && !Rs232_API::OpenPort(Com, Rs232_API::MeterSettings)) std::abort();
    Rs232_API::CurrentPortIndex() = 1;
    Rs232_API::ClearReceiveBuffer();
    PollCycle cycle({[] {}, [] {}, [] {}, [] {}}, [] { return static_cast<int>(line.clock) % 86400; },
                    [] { return line.clock; });
    // One cycle more than the stream lasts, so that it ends with the line falling silent.
    bool more = true;
    while (more) {
        more = line.next != line.end;
        if (cycle.Run()) RequireDecoded(line.held);
    }
    return 0;
}
