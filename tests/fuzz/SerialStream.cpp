// The serial line's byte stream through the acquisition engine: the bytes arrive a few per tenth
// of a second on a real (pseudo-terminal) port, the engine decodes only frames that were read, and
// a silent or noisy line ends in No COM and the close-and-reopen rhythm.
//
// Input: one byte of pace (1 to 24 bytes arrive per 0.1 s step), then the stream.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "FrameChecks.h"
#include "FuzzInput.h"
#include "acquisition/AcquisitionEngine.h"
#include "meter/MeterFrame.h"
#include "serial/PortNames.h"

namespace {

constexpr int Com = 7;
constexpr double Step = 0.1;
constexpr std::size_t FrameSize = MeterFrame::Size;

int meterEnd = -1;
std::string aliasFolder;
void RemoveAliasFolder() { std::filesystem::remove_all(aliasFolder); }

// A pseudo-terminal linked as the COM port, made once for the whole run; the engine opens and
// closes its other end as it would a real port.
void MakeLine() {
    if (meterEnd >= 0) return;
    std::string folder = (std::filesystem::temp_directory_path() / "tq36-fuzz-ports-XXXXXX").string();
    if (!mkdtemp(folder.data())) std::abort();
    aliasFolder = folder;
    std::atexit(RemoveAliasFolder);
    setenv("TQ36_PORTS_DIR", folder.c_str(), 1);
    meterEnd = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (meterEnd < 0 || grantpt(meterEnd) != 0 || unlockpt(meterEnd) != 0) std::abort();
    if (symlink(ptsname(meterEnd), PortNames::AliasPath(Com).c_str()) != 0) std::abort();
}

void Send(const std::uint8_t* bytes, std::size_t count) {
    int refused = 0;
    while (count > 0) {
        const ssize_t n = write(meterEnd, bytes, count);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            // The fuzzer's own timer interrupts, or the line is slow to take bytes on a busy
            // machine; a line that refuses for a second is broken.
            Fuzz::Require(++refused < 100, "the line takes what the meter sends");
            pollfd writable{meterEnd, POLLOUT, 0};
            poll(&writable, 1, 10);
            continue;
        }
        Fuzz::Require(n > 0, "the line takes what the meter sends");
        bytes += n;
        count -= static_cast<std::size_t>(n);
    }
}

// Everything the engine read, and what it told about it. It reads every byte sent, in order, so
// the stream is what it read.
struct Watch : AcquisitionEngine::Listener {
    const AcquisitionEngine* engine = nullptr;
    std::vector<std::uint8_t> stream;
    double now = 0;
    std::size_t noComAt = 0;   // no byte before it may be shown
    int shown = 0;             // in the current turn

    void ReadingShown(const CurrentReading& r) override {
        Fuzz::Require(++shown == 1, "at most one reading is shown per turn");
        Fuzz::Require(r.MeterOnline && r.FrameTime <= now, "a shown frame marks the meter online, as it arrived");
        // The frame it came from is 02 .. 03 in the bytes read after the last No COM.
        const std::size_t readTo = engine->BytesRead();
        const std::uint8_t* newest = nullptr;
        for (std::size_t end = noComAt + FrameSize; end <= readTo; ++end) {
            const std::uint8_t* f = stream.data() + end - FrameSize;
            if (f[0] != MeterFrame::Start || f[FrameSize - 1] != MeterFrame::End) continue;
            if (Fuzz::DecodedFromBody(r, f + 1)) return;
            newest = f;
        }
        Fuzz::Require(newest != nullptr, "a frame is shown only from 02 .. 03 in bytes read after the last No COM");
        // None of the frames re-encodes to the reading: name what the newest breaks.
        Fuzz::RequireDecodedBody(r, newest + 1);
        Fuzz::Require(false, "the shown reading re-encodes to a frame that was read");
    }
    void NoCom() override {
        noComAt = static_cast<std::size_t>(engine->BytesRead());
        Fuzz::Require(!engine->Reading().MeterOnline, "No COM takes the meter offline");
    }
};

void Turn(AcquisitionEngine& engine, Watch& watch, double maxWait) {
    watch.shown = 0;
    engine.Turn(maxWait);
}

// The engine turns until it has read everything sent; the scripted clock stands still meanwhile.
void Deliver(AcquisitionEngine& engine, Watch& watch) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (static_cast<std::size_t>(engine.BytesRead()) < watch.stream.size()) {
        if (std::chrono::steady_clock::now() > deadline) {
            Fuzz::Require(false, "every byte sent while the port is open reaches the engine");
        }
        Turn(engine, watch, 0.05);
    }
    Fuzz::Require(static_cast<std::size_t>(engine.BytesRead()) == watch.stream.size(),
                  "the engine reads no byte that was not sent");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    MakeLine();
    const std::size_t pace = 1 + data[0] % 24u;
    long steps = 0;
    // Near midnight, so that the time of day runs over it.
    const auto now = [&steps] { return 86395.0 + static_cast<double>(steps) * Step; };
    Watch watch;
    AcquisitionEngine engine({.port = Com}, {now, now}, watch);
    watch.engine = &engine;
    if (!engine.Open()) std::abort();

    const std::uint8_t* next = data + 1;
    const std::uint8_t* const end = data + size;
    // The stream, then the line falls silent for longer than No COM takes.
    const long quietSteps = std::lround(AcquisitionEngine::SilenceSeconds / Step) + 1;
    for (long quiet = 0; quiet < quietSteps;) {
        if (next != end) {
            const std::size_t n = std::min<std::size_t>(pace, static_cast<std::size_t>(end - next));
            // Bytes sent while the port is closed are lost on the line.
            if (engine.PortOpen()) {
                Send(next, n);
                watch.stream.insert(watch.stream.end(), next, next + n);
                watch.now = now();
                Deliver(engine, watch);
            }
            next += n;
        } else {
            ++quiet;
        }
        ++steps;
        watch.now = now();
        Turn(engine, watch, 0);
    }
    Fuzz::Require(!engine.Reading().MeterOnline, "a silent line ends in No COM");
    return 0;
}
